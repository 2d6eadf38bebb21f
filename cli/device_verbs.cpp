// The qv3 verbs that talk to a tracker: version, read, write and tone.
//
// They drive the same DeviceProtocol as the window, calling step every 100 ms
// and printing each new status line on stderr.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string_view>

#include "cli/command_line.h"
#include "cli/interrupt.h"
#include "cli/model_change.h"
#include "cli/qv3_cli.h"
#include "cli/settings_text.h"
#include "cli/terminal_input.h"
#include "cli/terminal_questions.h"
#include "cli/write_changes.h"
#include "device/device_protocol.h"
#include "device/serial_port.h"
#include "device/tracker_history.h"
#include "device/write_confirmations.h"
#include "files/config_file.h"
#include "files/history.h"
#include "model/device_models.h"
#include "files/system_text.h"
#include "model/image_encoder.h"

namespace qv3 {

namespace {

constexpr int kTickMs = 100;
// Far more steps than the longest exchange takes (five version queries, eight
// pieces and a read-back), so a fault can never keep qv3 running.
constexpr int kMaxSteps = 600;

constexpr std::string_view kVersionHelp =
    "usage: qv3 version --port PORT [--baud 4800|9600] [--trace FILE]\n"
    "Asks the tracker for its version and prints its model code.\n"
    "--baud: the speed to ask at first (default 4800); the query switches\n"
    "between 4800 and 9600 until the tracker answers.\n";
constexpr std::string_view kReadHelp =
    "usage: qv3 read --port PORT [-o FILE.qv3] [--baud 4800|9600] [--trace FILE]\n"
    "Reads the tracker's configuration and prints the settings text, or saves\n"
    "it as a configuration file with -o (\"-o -\": to standard output).\n"
    "The configuration read is also kept in the history ('qv3 history').\n";
constexpr std::string_view kWriteHelp =
    "usage: qv3 write --port PORT SOURCE [--yes] [--model-change] [--dry-run | --no-backup]\n"
    "                 [--baud 4800|9600] [--trace FILE]\n"
    "Writes a configuration (a .qv3 file or a settings text) to the tracker,\n"
    "laid out for the model the tracker reports, and verifies it. Settings that\n"
    "need confirming are asked on the terminal unless --yes is given.\n"
    "First the tracker's configuration is read and kept in the history, and the\n"
    "settings the write changes are printed as 'qv3 diff' prints them; on a\n"
    "terminal qv3 asks before writing them (--yes answers yes). A tracker that\n"
    "already holds the configuration is left alone. A configuration that cannot\n"
    "be read is written over only once that is answered yes (--yes); one that\n"
    "cannot be kept stops the write. --dry-run reads, keeps and prints the\n"
    "changes and writes nothing; --no-backup writes without the read before it.\n"
    "A source made for another model than the tracker's (its 'model = N' line,\n"
    "a .qv3 file's model) that sets keys the tracker's model cannot hold is\n"
    "refused with nothing sent, and the keys are named. --model-change writes\n"
    "what the tracker can hold and names what is left out.\n"
    "Ctrl-C before the image goes out stops at once; while it goes out, the\n"
    "write is finished and verified, and a second Ctrl-C abandons it (exit 130).\n"
    "The verified configuration is kept in the history ('qv3 history').\n";
constexpr std::string_view kToneHelp =
    "usage: qv3 tone --port PORT 1200|2200|both|stop [--baud 4800|9600] [--trace FILE]\n"
    "Keys the tracker's transmitter with a test tone, or stops it.\n";

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The port, protocol and trace file of one device verb.
struct DeviceSession {
    SerialPort port;
    DeviceProtocol protocol;
    std::unique_ptr<std::FILE, FileCloser> trace_file;
    std::string trace_name;
};

// Parses the common options; returns an exit code, or -1 to go on.
int begin_session(const Arguments& parsed, size_t positional, std::string_view help, DeviceSession& session,
                  std::ostream& out, std::ostream& err) {
    if (const int code = usage_outcome(parsed, positional, help, out, err); code >= 0) return code;
    const auto port = parsed.values.find("--port");
    if (port == parsed.values.end() || port->second.empty()) {
        err << "qv3: --port PORT is required (see --help)\n";
        return kExitUsage;
    }
    set_port_name(session.port, port->second);
    if (const auto baud = parsed.values.find("--baud"); baud != parsed.values.end()) {
        if (baud->second != "4800" && baud->second != "9600") {
            err << "qv3: --baud takes 4800 or 9600\n";
            return kExitUsage;
        }
        session.port.baud_rate = baud->second == "4800" ? 4800 : 9600;
    }
    if (const auto trace = parsed.values.find("--trace"); trace != parsed.values.end()) {
        // Like a bad option, a trace that cannot be kept stops the verb before the port is opened.
        errno = 0;
        session.trace_file.reset(open_file(trace->second, "w"));
        if (!session.trace_file) {
            err << "qv3: " << file_error(trace->second, replace_outcome_text(ReplaceOutcome::OpenFailed),
                                         errno_reason(errno))
                << "\n";
            return kExitUsage;
        }
        session.trace_name = trace->second;
        std::FILE* file = session.trace_file.get();
        const SerialPort* line = &session.port;
        const int64_t start = line_clock_ms(session.port);
        session.protocol.trace = [file, line, start](TraceDirection direction, uint32_t value) {
            const auto at = static_cast<long long>(line_clock_ms(*line) - start);
            if (direction == TraceDirection::LineSpeed) {
                std::fprintf(file, "%10lld baud %u\n", at, static_cast<unsigned>(value));
            } else {
                std::fprintf(file, "%10lld %s %02X\n", at, direction == TraceDirection::Sent ? "sent" : "recv",
                             static_cast<unsigned>(value));
            }
        };
    }
    return -1;
}

enum class RunOutcome { Ended, Interrupted };

// Looked at between steps. Before a write's first byte an interrupt ends the
// exchange at once. Once the image goes out, stopping would leave the tracker
// with part of it, so the first interrupt only announces that the write is
// finished and verified; a second one abandons it. True when the exchange
// must stop now; the port is then closed.
bool stop_for_interrupt(DeviceSession& session, bool& finishing, std::ostream& err) {
    const int count = interrupt_count();
    if (count == 0) return false;
    if (!write_in_progress(session.protocol)) {
        close(session.port);
        err << "qv3: interrupted; nothing more was sent to the tracker\n";
        return true;
    }
    if (count == 1) {
        if (!finishing) err << "Finishing the write (press Ctrl-C again to abandon it)\n";
        finishing = true;
        return false;
    }
    close(session.port);
    err << "Write abandoned: the tracker may hold an incomplete configuration. Write it again.\n";
    return true;
}

// Steps the protocol on the window's beat until it is idle: a step 100 ms
// after the previous one began, or at once when that one took longer. The
// wait between steps is at most 100 ms, so an interrupt is heeded soon.
RunOutcome run_until_idle(DeviceSession& session, ConfigRecord& record, std::ostream& err) {
    std::string shown;
    auto show = [&] {
        if (session.protocol.status_line == shown) return;
        shown = session.protocol.status_line;
        err << terminal_safe(shown) << "\n";
    };
    show();
    bool finishing = false;
    int64_t last_step = line_clock_ms(session.port);
    for (int i = 0; i < kMaxSteps && session.protocol.state != ProtocolState::Idle; ++i) {
        const int64_t wait = last_step + kTickMs - line_clock_ms(session.port);
        if (wait > 0) sleep_ms(session.port, static_cast<int>(wait));
        if (stop_for_interrupt(session, finishing, err)) return RunOutcome::Interrupted;
        last_step = line_clock_ms(session.port);
        step(session.protocol, session.port, record);
        show();
    }
    if (session.protocol.state != ProtocolState::Idle) {
        close(session.port);
        err << "qv3: the tracker did not finish the exchange\n";
    }
    return RunOutcome::Ended;
}

// Runs a version query: kExitOk when the exchange ran to its end (the record
// tells whether a known model answered), else the verb's exit code.
int query_version(DeviceSession& session, ConfigRecord& record, ProtocolState follow_up, std::ostream& err) {
    session.protocol.retry_count = 0;
    start_version_query(session.protocol, session.port, follow_up);
    if (session.protocol.state == ProtocolState::Idle) {
        err << terminal_safe(session.protocol.status_line) << "\n";
        return kExitFailure;
    }
    return run_until_idle(session, record, err) == RunOutcome::Interrupted ? kExitInterrupted : kExitOk;
}

// Keeps the image the exchange ended with (a read, or a verified write's
// read-back) in the history. A copy that cannot be kept is said, but does
// not undo what the tracker did.
void keep_in_history_of(const DeviceSession& session, const std::string& history, int model, std::ostream& err) {
    const auto kept = keep_exchange_image(session.protocol, model, history);
    if (kept && kept->outcome == HistoryOutcome::Failed) err << "qv3: " << terminal_safe(history_failure_text(*kept)) << "\n";
}


// After the read before a write: a read image is kept as a "before write"
// entry, and a copy that cannot be kept stops the write; a tracker whose
// image could not be read is written only once that is accepted. An exit
// code, or -1 to go on.
int keep_before_write(const DeviceSession& session, const ConfigRecord& tracker, const std::string& history,
                      std::ostream& err) {
    const ExchangeOutcome read = session.protocol.outcome;
    if (read != ExchangeOutcome::ReadSucceeded) {
        // A port that went away has said so; only an image that came wrong is asked about.
        if (read != ExchangeOutcome::CorruptedEeprom && read != ExchangeOutcome::ConfigNotRead) return kExitFailure;
        if (ask_ok_cancel(kNoOwner, kWriteQuestionCaption, unreadable_tracker_question(read))) return -1;
        err << exchange_status_text(ExchangeOutcome::WriteDeclined) << "\n";
        return kExitFailure;
    }
    const auto kept = keep_image_before_write(session.protocol, tracker.device_model, history);
    if (!kept || kept->outcome != HistoryOutcome::Failed) return -1;
    err << terminal_safe(exchange_status_text(ExchangeOutcome::BackupFailed, backup_failure_detail(*kept))) << "\n";
    return kExitFailure;
}

// The settings the write changes, on standard output, and on a terminal the
// question whether to write them (--yes answers it; without a terminal the
// write goes on, as scripts expect). Nothing to change ends here. An exit
// code, or -1 to go on.
int show_changes(const DeviceSession& session, const ConfigRecord& tracker, const ConfigurationSource& source,
                 bool dry_run, bool yes, std::ostream& out, std::ostream& err) {
    const ConfigRecord& record = source.record;
    ConfigRecord written;
    ImageBytes image{};
    if (!as_written(record, written, image)) return -1;  // the write says why it does not fit
    const size_t size = static_cast<size_t>(image_size_for_model(record.device_model));
    const ImageBytes& held = session.protocol.received_image.bytes;
    if (std::equal(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size), held.begin())) {
        err << exchange_status_text(ExchangeOutcome::AlreadyHeld) << "\n";
        return kExitOk;
    }
    const std::vector<std::string> lines =
        changed_settings_for_write(tracker, record, written, keys_model_cannot_hold(source, record.device_model));
    for (const std::string& line : lines) out << terminal_safe(line) << "\n";
    out.flush();
    if (dry_run) return kExitOk;
    if (yes || !standard_input_is_terminal()) return -1;
    std::vector<std::string> shown;
    for (const std::string& line : lines) shown.push_back(terminal_safe(line));
    if (ask_ok_cancel(kNoOwner, kWriteQuestionCaption, change_question_text(shown))) return -1;
    err << exchange_status_text(ExchangeOutcome::WriteDeclined) << "\n";
    return kExitFailure;
}

// A trace that could not be written fails the verb, but only once the
// exchange is over: a write to the tracker is never cut short for its trace.
int end_session(DeviceSession& session, int code, std::ostream& err) {
    std::FILE* trace = session.trace_file.get();
    if (trace == nullptr) return code;
    // The first failure's errno is the reason: the stream keeps it from a write in the exchange.
    errno = 0;
    const bool written = std::fflush(trace) == 0 && !std::ferror(trace);
    const int write_error = errno;
    if (std::fclose(session.trace_file.release()) == 0 && written) return code;
    err << "qv3: "
        << file_error(session.trace_name, replace_outcome_text(ReplaceOutcome::WriteFailed),
                      errno_reason(write_error != 0 ? write_error : errno))
        << "\n";
    return kExitFailure;
}

int version_exchange(DeviceSession& session, const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err) {
    const Arguments parsed = parse_arguments(args, {"--port", "--trace", "--baud"}, {});
    if (const int code = begin_session(parsed, 0, kVersionHelp, session, out, err); code >= 0) return code;
    const CountedInterrupts interrupts;
    ConfigRecord record;
    if (const int code = query_version(session, record, ProtocolState::QueryVersion, err); code != kExitOk) {
        return code;
    }
    if (!model_known(record.device_model)) return kExitFailure;
    out << "model = " << record.device_model << "\n";
    return kExitOk;
}

int read_exchange(DeviceSession& session, const std::vector<std::string>& args, std::ostream& out,
                  std::ostream& err, const std::string& history) {
    const Arguments parsed = parse_arguments(args, {"--port", "--trace", "--baud", "-o"}, {});
    if (const int code = begin_session(parsed, 0, kReadHelp, session, out, err); code >= 0) return code;
    const CountedInterrupts interrupts;
    ConfigRecord record;
    if (const int code = query_version(session, record, ProtocolState::QueryVersionForRead, err); code != kExitOk) {
        return code;
    }
    if (session.protocol.outcome != ExchangeOutcome::ReadSucceeded) return kExitFailure;
    keep_in_history_of(session, history, record.device_model, err);
    const auto output = parsed.values.find("-o");
    if (output == parsed.values.end()) {
        out << settings_to_text(record);
        return kExitOk;
    }
    const SaveResult saved = save_config_output(output->second, record, session.protocol.encoded_image, out);
    err << save_status(output->second, saved.saved, saved.reason) << "\n";
    return saved.saved == ReplaceOutcome::Written ? kExitOk : kExitFailure;
}

int write_exchange(DeviceSession& session, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err, const std::string& history) {
    const Arguments parsed = parse_arguments(args, {"--port", "--trace", "--baud"},
                                             {"--yes", "--model-change", "--no-backup", "--dry-run"});
    if (const int code = begin_session(parsed, 1, kWriteHelp, session, out, err); code >= 0) return code;
    const bool backup = parsed.switches.count("--no-backup") == 0;
    const bool dry_run = parsed.switches.count("--dry-run") > 0;
    if (dry_run && !backup) {
        err << "qv3: --dry-run reads the tracker; it cannot go with --no-backup\n";
        return kExitUsage;
    }
    std::string error;
    auto source = load_configuration_source(parsed.positional[0], error);
    if (!source) {
        err << "qv3: " << error << "\n";
        return kExitFailure;
    }
    // An empty file would otherwise write the factory defaults over the tracker's settings.
    if (!source->sets_a_setting) {
        err << "qv3: " << parsed.positional[0] << " sets no setting; nothing written\n";
        return kExitFailure;
    }
    ConfigRecord* const record = &source->record;
    // Everything is confirmed before the first byte goes out: the window's
    // questions, on the terminal, unless --yes answers them.
    answer_questions_on(err, parsed.switches.count("--yes") > 0);
    if (!confirm_write(*record, kNoOwner)) {
        err << "qv3: write cancelled; nothing was sent\n";
        return kExitFailure;
    }
    // From the first byte on, Ctrl-C, SIGTERM and SIGHUP are heeded between steps;
    // before, they end qv3 with nothing sent.
    const CountedInterrupts interrupts;
    // The image is laid out for the model the tracker reports now; unless
    // --no-backup, what the tracker holds is read with it and kept first.
    ConfigRecord tracker;
    if (const int code = query_version(session, tracker,
                                       backup ? ProtocolState::QueryVersionForRead : ProtocolState::QueryVersion, err);
        code != kExitOk) {
        return code;
    }
    // The source's own model stays in the record when no tracker answered.
    if (!model_known(tracker.device_model)) return kExitFailure;
    if (backup) {
        if (const int code = keep_before_write(session, tracker, history, err); code >= 0) return code;
    }
    record->device_model = tracker.device_model;
    if (const int code = check_model_change(*source, parsed.positional[0], record->device_model,
                                            parsed.switches.count("--model-change") > 0, err);
        code >= 0) {
        return code;
    }
    if (backup && session.protocol.outcome == ExchangeOutcome::ReadSucceeded) {
        if (const int code = show_changes(session, tracker, *source, dry_run, parsed.switches.count("--yes") > 0, out, err);
            code >= 0) {
            return code;
        }
    }

    if (interrupt_count() > 0) {
        err << "qv3: interrupted; nothing more was sent to the tracker\n";
        return kExitInterrupted;
    }
    if (start_confirmed_write(session.protocol, session.port, *record, kNoOwner)) {
        err << "qv3: nothing was sent\n";
        return kExitFailure;
    }
    if (session.protocol.state == ProtocolState::Idle) {
        if (!session.protocol.status_line.empty()) err << terminal_safe(session.protocol.status_line) << "\n";
        return kExitFailure;
    }
    if (run_until_idle(session, *record, err) == RunOutcome::Interrupted) return kExitInterrupted;
    if (session.protocol.outcome != ExchangeOutcome::Written) return kExitFailure;
    keep_in_history_of(session, history, record->device_model, err);
    return kExitOk;
}

int tone_exchange(DeviceSession& session, const std::vector<std::string>& args, std::ostream& out,
                  std::ostream& err) {
    const Arguments parsed = parse_arguments(args, {"--port", "--trace", "--baud"}, {});
    if (const int code = begin_session(parsed, 1, kToneHelp, session, out, err); code >= 0) return code;
    const std::string& which = parsed.positional[0];
    TestCommand command = TestCommand::StopTest;
    if (which == "1200") {
        command = TestCommand::Tone1200;
    } else if (which == "2200") {
        command = TestCommand::Tone2200;
    } else if (which == "both") {
        command = TestCommand::ToneBoth;
    } else if (which != "stop") {
        err << "qv3: tone takes 1200, 2200, both or stop (see --help)\n";
        return kExitUsage;
    }
    if (send_test_command(session.protocol, session.port, command) != PortOutcome::Ok) {
        err << terminal_safe(session.port.last_error) << "\n";
        return kExitFailure;
    }
    // The tone goes on until told to stop, so say how.
    if (command == TestCommand::StopTest) {
        err << "Sent stop\n";
    } else {
        err << "Sent " << (command == TestCommand::ToneBoth ? "1200 Hz and 2200 Hz tones" : which + " Hz tone")
            << "; 'qv3 tone --port " << terminal_safe(session.port.port_name) << " stop' stops it\n";
    }
    return kExitOk;
}

}  // namespace

int verb_version(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    DeviceSession session;
    return end_session(session, version_exchange(session, args, out, err), err);
}

int verb_read(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, const std::string& history) {
    DeviceSession session;
    return end_session(session, read_exchange(session, args, out, err, history), err);
}

int verb_write(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const std::string& history) {
    DeviceSession session;
    return end_session(session, write_exchange(session, args, out, err, history), err);
}

int verb_tone(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    DeviceSession session;
    return end_session(session, tone_exchange(session, args, out, err), err);
}

}  // namespace qv3
