// Serial port backend for fuzzing: every answer of the device on the line comes from the fuzz input.
#include <algorithm>

#include "device/serial_port.h"
#include "device/serial_port_platform.h"
#include "fuzz/fuzzed_line.h"

namespace qv3 {
namespace fuzzed {

FuzzedLine& fuzzed_line() {
    static FuzzedLine line;
    return line;
}

void reset_fuzzed_line(const uint8_t* input, size_t size) {
    FuzzedLine& line = fuzzed_line();
    const PortHandle next_handle = line.next_handle;  // handles of an earlier input never come back
    line = FuzzedLine{};
    line.input = input;
    line.input_size = size;
    line.next_handle = next_handle;
}

namespace {

uint8_t take_byte(FuzzedLine& line, size_t end) {
    return line.position < end ? line.input[line.position++] : 0;
}

// The rest of a burst an opening left unread is lost.
void drop_burst(FuzzedLine& line) {
    if (line.burst_left > 0) {
        line.position = std::min(line.position + static_cast<size_t>(line.burst_left), line.exchange_end);
    }
    line.burst_left = -1;
}

bool holds_line(const FuzzedLine& line, const SerialPort& port) {
    return line.is_open && port.handle != kNoHandle && port.handle == line.open_handle;
}

// Counts an open or a written byte; true when it is the one that fails.
bool fails_now(FuzzedLine& line) { return ++line.operations == line.fail_at; }

void close_line(FuzzedLine& line, SerialPort& port) {
    line.is_open = false;
    line.open_handle = kNoHandle;
    port.handle = kNoHandle;
}

}  // namespace

std::optional<Command> begin_exchange(FuzzedLine& line) {
    if (line.position >= line.input_size) return std::nullopt;
    const auto take_u16 = [&line] {
        const unsigned low = take_byte(line, line.input_size);
        return low | static_cast<unsigned>(take_byte(line, line.input_size)) << 8;
    };
    const uint8_t command = take_byte(line, line.input_size);
    const unsigned fault = take_u16();
    const size_t length = take_u16();
    line.exchange_end = line.position + std::min(length, line.input_size - line.position);
    line.burst_left = -1;
    line.operations = 0;
    line.fail_at = fault_operation(fault);
    line.fault = fault_outcome(fault);
    line.sent.clear();
    return read_command(command);
}

void end_exchange(FuzzedLine& line) {
    line.burst_left = -1;
    line.position = line.exchange_end;
}

}  // namespace fuzzed

using fuzzed::FuzzedLine;
using fuzzed::fuzzed_line;

PortOutcome open(SerialPort& port) {
    FuzzedLine& line = fuzzed_line();
    if (fuzzed::holds_line(line, port)) fuzzed::close_line(line, port);
    port.handle = kNoHandle;
    line.delivered.clear();
    if (line.is_open || fuzzed::fails_now(line)) {
        port.last_error = "Could not open Com Port " + port.port_name;
        return line.is_open ? PortOutcome::Busy : line.fault.open;
    }
    line.is_open = true;
    line.open_handle = line.next_handle++;
    port.handle = line.open_handle;
    fuzzed::drop_burst(line);
    return PortOutcome::Ok;
}

// The write loop is serial_port_common.cpp's, as on every platform; only the
// byte meets the line here.
PortOutcome write_single_byte(SerialPort& port, uint8_t byte) {
    FuzzedLine& line = fuzzed_line();
    if (!fuzzed::holds_line(line, port)) {
        port.reason = "Bad file descriptor";
        return PortOutcome::Failed;
    }
    line.sent.push_back(byte);
    if (!fuzzed::fails_now(line)) return PortOutcome::Ok;
    if (line.fault.write == PortOutcome::NothingInTime) {
        line.now_ms += kWriteTimeoutMs;  // the line stayed full for the whole write time-out
    } else {
        port.reason = "Input/output error";
    }
    return line.fault.write;
}

ReadResult read_byte(SerialPort& port) {
    FuzzedLine& line = fuzzed_line();
    if (!fuzzed::holds_line(line, port)) {
        port.last_error = "Read: ComPort Invalid";
        return {PortOutcome::Failed, 0};
    }
    for (;;) {
        if (line.burst_left < 0) {
            if (line.position >= line.exchange_end) break;  // silent from here on
            const uint8_t head = fuzzed::take_byte(line, line.exchange_end);
            line.gap_ms = fuzzed::burst_gap_ms(fuzzed::take_byte(line, line.exchange_end));
            line.burst_left = fuzzed::burst_count(head);
            line.burst_end = fuzzed::burst_end(head);
        }
        if (line.burst_left > 0 && line.position < line.exchange_end) {
            --line.burst_left;
            line.now_ms += line.gap_ms;
            const uint8_t byte = fuzzed::take_byte(line, line.exchange_end);
            line.delivered.push_back(byte);
            return {PortOutcome::Ok, byte};
        }
        using enum fuzzed::BurstEnd;
        const fuzzed::BurstEnd end = line.burst_left > 0 ? Quiet : line.burst_end;  // a burst the input cut falls quiet
        line.burst_left = -1;
        if (end == Continues) continue;
        if (end == Failed) {
            port.last_error = "Read: Failed 2";
            return {PortOutcome::Failed, 0};
        }
        if (end == Gone) {
            port.last_error = "Read: Failed 1";
            port.reason = "Input/output error";
            return {PortOutcome::Gone, 0};
        }
        break;
    }
    line.now_ms += kReadTimeoutMs;
    return {PortOutcome::NothingInTime, 0};
}

void close(SerialPort& port) {
    FuzzedLine& line = fuzzed_line();
    if (!fuzzed::holds_line(line, port)) {
        port.last_error = "Close: ComPort Invalid";
        port.handle = kNoHandle;
        return;
    }
    fuzzed::close_line(line, port);
}

bool port_may_exist(std::string_view name) { return name == "COM1"; }

PortList list_ports() { return PortList{{{"COM1", "fuzzed device"}}, PortOutcome::Ok, {}}; }

void sleep_ms(SerialPort& port, int ms) {
    (void)port;  // one clock for the whole line
    fuzzed_line().now_ms += std::max(ms, 0);
}

int64_t line_clock_ms(const SerialPort& port) {
    (void)port;
    return fuzzed_line().now_ms;
}

}  // namespace qv3
