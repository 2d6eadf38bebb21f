// qv3's questions and notices on the terminal: "CAPTION: TEXT [ok/Cancel] ", answered by a line on standard input.
#include "cli/terminal_questions.h"

#include <cstdio>
#include <iostream>
#include <string_view>

#include "device/user_questions.h"

namespace qv3 {

namespace {

// Set by the verb that asks; a question before that goes to standard error.
std::ostream* questions_out = &std::cerr;
bool answer_every_question_ok = false;

}  // namespace

void answer_questions_on(std::ostream& err, bool answer_ok) {
    questions_out = &err;
    answer_every_question_ok = answer_ok;
}

// Anything but an explicit yes is Cancel, as Cancel is a message box's default.
bool ask_ok_cancel(WindowHandle, std::string_view caption, std::string_view text) {
    if (answer_every_question_ok) return true;
    *questions_out << caption << ": " << text << " [ok/Cancel] " << std::flush;
    char answer[64] = {};
    // No answer at all (end of input): what follows starts on a line of its own.
    if (std::fgets(answer, sizeof answer, stdin) == nullptr) {
        *questions_out << "\n";
        return false;
    }
    const std::string_view reply(answer);
    return reply.rfind("ok", 0) == 0 || reply.rfind("OK", 0) == 0 || reply.rfind("y", 0) == 0 ||
           reply.rfind("Y", 0) == 0;
}

void show_notice(WindowHandle, std::string_view caption, std::string_view text) {
    *questions_out << caption << ": " << text << "\n";
}

}  // namespace qv3
