// Serial port in a browser: the operations of serial_port.h over the page's Web Serial bridge.
//
// The waiting happens in JavaScript (serial_bridge.js): each import below
// that waits is an Asyncify import, so the module is suspended while the
// promise is pending and the protocol's step keeps its blocking shape. The
// bridge keeps the granted ports and names them; a port's name is what the
// port box shows and what open takes.
#include "device/serial_port.h"
#include "device/serial_port_platform.h"

#include <algorithm>
#include <string>

namespace {

// Bounds of what the bridge may hand back: a reason, the list of ports.
constexpr int kMaxReasonBytes = 512;
constexpr int kMaxPortListBytes = 8192;

}  // namespace

// Implemented in serial_port_library.js. Outcomes are PortOutcome values; a
// read puts the byte it got in *byte.
extern "C" {
int qv3_web_port_open(const char* name, unsigned baud);
int qv3_web_port_write_byte(int byte);
int qv3_web_port_read_byte(uint8_t* byte);
void qv3_web_port_close();
void qv3_web_sleep_ms(int ms);
double qv3_web_clock_ms();
int qv3_web_port_reason(char* buffer, int size);
int qv3_web_port_list(char* buffer, int size);
}

namespace qv3 {
namespace {

// The open port's handle: the bridge holds one opening at a time.
constexpr PortHandle kOpenHandle = 1;

PortOutcome to_outcome(int code) {
    return code >= 0 && code <= static_cast<int>(PortOutcome::Failed) ? static_cast<PortOutcome>(code)
                                                                       : PortOutcome::Failed;
}

// The bridge's words for the latest failure.
std::string bridge_reason() {
    std::string text(kMaxReasonBytes, '\0');
    const int length = qv3_web_port_reason(text.data(), kMaxReasonBytes);
    text.resize(static_cast<size_t>(std::clamp(length, 0, kMaxReasonBytes - 1)));
    return text;
}

}  // namespace

PortOutcome open(SerialPort& port) {
    // The bridge closes a held opening, and waits for that close, before it opens again.
    port.handle = kNoHandle;
    const PortOutcome outcome = to_outcome(qv3_web_port_open(port.port_name.c_str(), port.baud_rate));
    if (outcome == PortOutcome::Ok) {
        port.handle = kOpenHandle;
        return outcome;
    }
    port.reason = bridge_reason();
    port.last_error = "Could not open Com Port " + port.port_name + (port.reason.empty() ? "" : " (" + port.reason + ")");
    return outcome;
}

PortOutcome write_single_byte(SerialPort& port, uint8_t byte) {
    const PortOutcome outcome = to_outcome(qv3_web_port_write_byte(byte));
    if (outcome == PortOutcome::Gone || outcome == PortOutcome::Failed) port.reason = bridge_reason();
    return outcome;
}

ReadResult read_byte(SerialPort& port) {
    if (port.handle == kNoHandle) {
        port.last_error = "Read: ComPort Invalid";
        return {PortOutcome::Failed, 0};
    }
    uint8_t byte = 0;
    const PortOutcome outcome = to_outcome(qv3_web_port_read_byte(&byte));
    if (outcome == PortOutcome::Ok) return {outcome, byte};
    if (outcome == PortOutcome::NothingInTime) return {outcome, 0};
    port.reason = bridge_reason();
    port.last_error = "Read: Failed 1";
    return {outcome, 0};
}

void close(SerialPort& port) {
    if (port.handle == kNoHandle) {
        port.last_error = "Close: ComPort Invalid";
        return;
    }
    qv3_web_port_close();
    port.handle = kNoHandle;
}

bool port_may_exist(std::string_view name) {
    for (const PortInfo& info : list_ports().ports) {
        if (info.name == name) return true;
    }
    return false;
}

// The bridge lists "name\tdescription\n" per granted port.
PortList list_ports() {
    std::string text(kMaxPortListBytes, '\0');
    const int length = qv3_web_port_list(text.data(), kMaxPortListBytes);
    text.resize(static_cast<size_t>(std::clamp(length, 0, kMaxPortListBytes - 1)));
    PortList list;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        const size_t tab = line.find('\t');
        if (!line.empty()) list.ports.push_back({line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1)});
        start = end + 1;
    }
    std::sort(list.ports.begin(), list.ports.end(), [](const PortInfo& a, const PortInfo& b) { return a.name < b.name; });
    return list;
}

void sleep_ms(SerialPort& /*port*/, int ms) {
    if (ms > 0) qv3_web_sleep_ms(ms);
}

int64_t line_clock_ms(const SerialPort& /*port*/) { return static_cast<int64_t>(qv3_web_clock_ms()); }

}  // namespace qv3
