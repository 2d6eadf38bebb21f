// qv3's entry: picks the verb and prints the program's help.
#include "cli/qv3_cli.h"

#include <string_view>

#include "cli/command_line.h"
#include "qv3_version.h"

namespace qv3 {

namespace {

constexpr std::string_view kProgramHelp =
    "usage: qv3 VERB [OPTIONS] ...\n"
    "Companion command line of Quorvale3Config, for APRS tracker configurations.\n"
    "\n"
    "Verbs without a device:\n"
    "  decode --model N IMAGE          print the settings of a raw image\n"
    "  encode [--model N] SETTINGS -o IMAGE\n"
    "                                  build a raw image from a settings text\n"
    "  show [--explain] FILE.qv3       print the settings of a configuration file\n"
    "  save SETTINGS -o FILE.qv3       save a settings text as a configuration file\n"
    "  diff A B                        compare two configurations (.qv3 or settings)\n"
    "  keys                            list every settings key: kind, range, unit, help\n"
    "\n"
    "Verbs with a tracker on a serial port (--trace FILE logs every byte):\n"
    "  version --port PORT             identify the tracker's model\n"
    "  read --port PORT [-o FILE.qv3]  read its configuration\n"
    "  write --port PORT SOURCE [--yes] [--model-change]\n"
    "                                  write a configuration and verify it\n"
    "  tone --port PORT 1200|2200|both|stop\n"
    "                                  key the transmitter with a test tone\n"
    "  ports [--probe [PORT...]]       list the serial ports; --probe asks each\n"
    "                                  which tracker model is attached\n"
    "\n"
    "The settings text has one 'key = value' a line and '#' comment lines;\n"
    "'qv3 keys' lists every key. It is UTF-8, or UTF-16 with a byte-order mark\n"
    "(other bytes read as Latin-1). Texts are double-quoted; the tracker stores\n"
    "Latin-1 characters (U+0000 to U+00FF) and refuses a text with any other,\n"
    "and \\xHH gives any byte. qv3 prints texts as UTF-8, control codes as \\xHH.\n"
    "Run 'qv3 VERB --help' for a verb's options; 'qv3 --version' prints the version.\n";

using VerbRun = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&, const std::string& history);

// A verb that keeps nothing in the history.
template <int (*verb)(const std::vector<std::string>&, std::ostream&, std::ostream&)>
int without_history(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const std::string&) {
    return verb(args, out, err);
}

struct Verb {
    std::string_view name;
    VerbRun run;
};

constexpr Verb kVerbs[] = {
    {"decode", without_history<verb_decode>}, {"encode", without_history<verb_encode>},
    {"show", without_history<verb_show>},     {"save", without_history<verb_save>},
    {"diff", without_history<verb_diff>},     {"version", without_history<verb_version>},
    {"read", verb_read},                      {"write", verb_write},
    {"tone", without_history<verb_tone>},     {"ports", without_history<verb_ports>},
    {"keys", without_history<verb_keys>},     {"history", verb_history},
};

}  // namespace

namespace {

int run_verb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const std::string& history) {
    if (args.empty()) {
        err << "qv3: no verb given (see qv3 --help)\n";
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        out << kProgramHelp;
        return kExitOk;
    }
    if (args[0] == "--version") {
        out << "qv3 " QV3_VERSION "\n";
        return kExitOk;
    }
    for (const Verb& verb : kVerbs) {
        if (args[0] == verb.name) {
            return verb.run(std::vector<std::string>(args.begin() + 1, args.end()), out, err, history);
        }
    }
    err << "qv3: unknown verb '" << args[0] << "' (see qv3 --help)\n";
    return kExitUsage;
}

}  // namespace

int run_qv3(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const std::string& history) {
    const int code = run_verb(args, out, err, history);
    // Output lost to a full disk or a closed pipe is a failure, whatever the verb made of its work.
    out.flush();
    if (out.good()) return code;
    err << "qv3: cannot write to standard output\n";
    return kExitFailure;
}

}  // namespace qv3
