// Serial port backend for tests: every call acts on the in-process simulated line.
#include <algorithm>
#include <utility>

#include "device/serial_port.h"
#include "sim/simulated_line.h"

namespace qv3 {
namespace {

using sim::LineEvent;
using sim::SimulatedLine;

void log_event(SimulatedLine& line, const LineEvent& event) {
    if (line.events.size() < sim::kMaxLineEvents) {
        line.events.push_back(event);
    } else {
        ++line.events_dropped;
    }
}

// The port refers to the line's current opening (a handle from an earlier
// opening, or another port's, does not count).
bool holds_line(const SimulatedLine& line, const SerialPort& port) {
    return port.handle != kNoHandle && line.is_open && port.handle == line.open_handle;
}

bool tracker_attached(const SimulatedLine& line) { return line.is_open && line.open_name == line.tracker_port; }

void close_line(SimulatedLine& line, SerialPort& port) {
    line.is_open = false;
    line.open_handle = kNoHandle;
    ++line.close_count;
    log_event(line, {line.now_us, LineEvent::Close, 0, line.open_baud, 0});
    port.handle = kNoHandle;
}

}  // namespace

void set_port_name(SerialPort& port, std::string_view name) { port.port_name = std::string(name); }

// The tracker hung up the line (a pulled cable) while this opening held it.
bool line_gone(SimulatedLine& line, SerialPort& port) {
    if (!tracker_attached(line) || !line.tracker.hung_up) return false;
    port.reason = "Input/output error";
    return true;
}

PortOutcome open(SerialPort& port) {
    SimulatedLine& line = sim::simulated_line();
    if (holds_line(line, port)) close_line(line, port);
    port.handle = kNoHandle;

    const bool exists = line.openable.count(port.port_name) != 0;
    const bool held = line.held_elsewhere.count(port.port_name) != 0 || line.is_open;
    if (!exists || held || port.baud_rate == 0) {
        port.last_error = "Could not open Com Port " + port.port_name;
        return !exists ? PortOutcome::NotFound : held ? PortOutcome::Busy : PortOutcome::SettingsRefused;
    }

    line.is_open = true;
    line.open_name = port.port_name;
    line.open_baud = port.baud_rate;
    line.open_handle = line.next_handle++;
    ++line.open_count;
    port.handle = line.open_handle;
    log_event(line, {line.now_us, LineEvent::Open, 0, line.open_baud, 0});

    if (tracker_attached(line)) sim::tracker_line_opened(line.tracker, line.open_baud, line.now_us);
    return PortOutcome::Ok;
}

WriteResult write(SerialPort& port, const uint8_t* bytes, size_t count, int pause_ms) {
    SimulatedLine& line = sim::simulated_line();
    if (!holds_line(line, port)) {
        port.last_error = "Write: ComPort Invalid";
        return {0, PortOutcome::Failed};
    }
    if (bytes == nullptr) return {0, count == 0 ? PortOutcome::Ok : PortOutcome::Failed};
    const int64_t pause_us = static_cast<int64_t>(std::max(pause_ms, 0)) * 1000;
    for (size_t i = 0; i < count; ++i) {
        if (line_gone(line, port)) {
            port.last_error = "Write: Failed 2";
            return {i, PortOutcome::Gone};
        }
        line.now_us += sim::byte_time_us(line.open_baud);
        log_event(line, {line.now_us, LineEvent::HostToTracker, bytes[i], line.open_baud, 0});
        if (tracker_attached(line)) sim::tracker_receive(line.tracker, bytes[i], line.open_baud, line.now_us);
        line.now_us += pause_us;
    }
    return {count, PortOutcome::Ok};
}

ReadResult read_byte(SerialPort& port) {
    SimulatedLine& line = sim::simulated_line();
    if (!holds_line(line, port)) {
        port.last_error = "Read: ComPort Invalid";
        return {PortOutcome::Failed, 0};
    }
    if (line_gone(line, port)) {
        port.last_error = "Read: Failed 1";
        return {PortOutcome::Gone, 0};
    }
    if (tracker_attached(line)) {
        const std::optional<int64_t> due = sim::tracker_next_output_us(line.tracker);
        if (due && *due <= line.now_us + sim::kReadTimeoutUs) {
            line.now_us = std::max(line.now_us, *due);
            if (const std::optional<uint8_t> byte = sim::tracker_pop_output(line.tracker, line.now_us)) {
                log_event(line, {line.now_us, LineEvent::TrackerToHost, *byte, line.open_baud, 0});
                return {PortOutcome::Ok, *byte};
            }
        }
    }
    line.now_us += sim::kReadTimeoutUs;
    return {PortOutcome::NothingInTime, 0};
}

void close(SerialPort& port) {
    SimulatedLine& line = sim::simulated_line();
    if (!holds_line(line, port)) {
        port.last_error = "Close: ComPort Invalid";
        port.handle = kNoHandle;
        return;
    }
    close_line(line, port);
}

bool probe(SerialPort& port, std::string_view name) {
    SimulatedLine& line = sim::simulated_line();
    if (holds_line(line, port)) close_line(line, port);
    set_port_name(port, name);
    if (open(port) != PortOutcome::Ok) return false;
    close_line(line, port);
    return true;
}

bool port_may_exist(std::string_view name) {
    const SimulatedLine& line = sim::simulated_line();
    return line.openable.count(std::string(name)) != 0;
}

// Every name that exists, the tracker's marked.
PortList list_ports() {
    const SimulatedLine& line = sim::simulated_line();
    PortList list;
    for (const std::string& name : line.openable) {
        list.ports.push_back({name, name == line.tracker_port ? "simulated tracker" : ""});
    }
    return list;
}

void sleep_ms(SerialPort& port, int ms) {
    (void)port;  // the clock is the line's, whichever port asks
    SimulatedLine& line = sim::simulated_line();
    const int duration = std::max(ms, 0);
    log_event(line, {line.now_us, LineEvent::Sleep, 0, 0, duration});
    line.now_us += static_cast<int64_t>(duration) * 1000;
}

int64_t line_clock_ms(const SerialPort& port) {
    (void)port;  // one clock for the whole line
    return sim::simulated_line().now_us / 1000;
}

namespace sim {

SimulatedLine& simulated_line() {
    static SimulatedLine line = [] {
        SimulatedLine fresh;
        fresh.tracker = make_tracker(TrackerOptions{});
        return fresh;
    }();
    return line;
}

void reset_simulated_line(const TrackerOptions& options) {
    SimulatedLine& line = simulated_line();
    SimulatedLine fresh;
    fresh.tracker = make_tracker(options);
    fresh.next_handle = line.next_handle;  // handles of the old line never come back
    line = std::move(fresh);
}

std::vector<uint8_t> line_bytes(const SimulatedLine& line, LineEvent::Kind direction) {
    std::vector<uint8_t> bytes;
    for (const LineEvent& event : line.events) {
        if (event.kind == direction) bytes.push_back(event.byte);
    }
    return bytes;
}

}  // namespace sim
}  // namespace qv3
