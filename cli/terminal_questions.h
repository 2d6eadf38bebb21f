// Where qv3's questions and notices go: its standard error and standard input, or --yes.
//
// qv3's side of device/user_questions.h: a write asks the same questions, in
// the same order, as the window's message boxes.
#pragma once

#include <ostream>

namespace qv3 {

// From now on questions and notices are written to err; with answer_ok
// (--yes) every question is answered OK without being shown, else each waits
// for a line on standard input ("ok" or "y" is OK, anything else Cancel).
void answer_questions_on(std::ostream& err, bool answer_ok);

}  // namespace qv3
