// The qv3 ports verb: the serial ports of this machine and, with --probe, which tracker answers on each.
#include <algorithm>
#include <string_view>

#include "cli/command_line.h"
#include "cli/qv3_cli.h"
#include "device/device_protocol.h"
#include "device/serial_port.h"
#include "model/device_models.h"

namespace qv3 {

namespace {

constexpr int kTickMs = 100;
// How long one port is given to answer: room for the protocol's five version
// queries, which alternate between 4800 and 9600 baud (about 1.5 s), yet
// short enough that probing every port stays bearable. A port that keeps
// talking is cut off here too.
constexpr int64_t kProbeBudgetMs = 2000;
// The answer column's width: "model 6 (PL-Zenda v1.4)" and a little more.
constexpr size_t kAnswerWidth = 24;

constexpr std::string_view kPortsHelp =
    "usage: qv3 ports [--probe [PORT...]]\n"
    "Lists the serial ports of this machine, one a line: the name that --port\n"
    "takes, then what the system knows of the device (maker, product, serial\n"
    "number, the by-id name of a USB adapter).\n"
    "--probe: also asks each port for its version, as 'qv3 version' does (up to\n"
    "about 2 s a port), and prints the model that answered, \"no answer\", or why\n"
    "the port could not be opened. Given PORT names, probes only those.\n"
    "Exit code with --probe: 0 when a tracker answered on at least one port.\n";

// Asks one port for its version on the window's 100 ms beat. Returns the
// model that answered, "no answer", or the reason the port did not open.
std::string probe_answer(const std::string& name, bool& answered) {
    SerialPort port;
    set_port_name(port, name);
    DeviceProtocol protocol;
    ConfigRecord record;
    start_version_query(protocol, port, ProtocolState::QueryVersion);
    if (protocol.state == ProtocolState::Idle) return protocol.status_line;
    const int64_t start = line_clock_ms(port);
    int64_t last_step = start;
    while (protocol.state != ProtocolState::Idle && last_step - start < kProbeBudgetMs) {
        const int64_t wait = last_step + kTickMs - line_clock_ms(port);
        if (wait > 0) sleep_ms(port, static_cast<int>(wait));
        last_step = line_clock_ms(port);
        step(protocol, port, record);
    }
    if (protocol.state != ProtocolState::Idle) close(port);
    if (!model_known(record.device_model)) return "no answer";
    answered = true;
    return "model " + std::to_string(record.device_model) + " (" +
           std::string(device_model_info(record.device_model).name) + ")";
}

std::string padded(std::string text, size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

}  // namespace

int verb_ports(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Arguments parsed = parse_arguments(args, {}, {"--probe"});
    if (parsed.help) {
        out << kPortsHelp;
        return kExitOk;
    }
    const bool probing = parsed.switches.count("--probe") != 0;
    if (parsed.error.empty() && !probing && !parsed.positional.empty()) {
        err << "qv3: naming ports needs --probe (see --help)\n";
        return kExitUsage;
    }
    if (const int code = usage_outcome(parsed, parsed.positional.size(), kPortsHelp, out, err); code >= 0) return code;

    std::vector<PortInfo> ports;
    for (const std::string& name : parsed.positional) ports.push_back({name, {}});
    if (ports.empty()) {
        const PortList listed = list_ports();
        if (listed.outcome != PortOutcome::Ok) {
            err << "qv3: cannot list the serial ports (" << terminal_safe(listed.reason) << ")\n";
            return kExitFailure;
        }
        ports = listed.ports;
    }
    if (ports.empty()) {
        err << "qv3: no serial ports found\n";
        return kExitFailure;
    }
    size_t name_width = 0;
    for (const PortInfo& port : ports) name_width = std::max(name_width, terminal_safe(port.name).size());

    bool answered = false;
    for (const PortInfo& port : ports) {
        // Each line as soon as it is known: a probe takes a while.
        std::string line = padded(terminal_safe(port.name), name_width + 2);
        if (probing) line += padded(terminal_safe(probe_answer(port.name, answered)), kAnswerWidth + 2);
        line += terminal_safe(port.description);
        out << line.substr(0, line.find_last_not_of(' ') + 1) << "\n" << std::flush;
    }
    return !probing || answered ? kExitOk : kExitFailure;
}

}  // namespace qv3
