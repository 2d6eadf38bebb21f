// The serial_port.h functions over a scripted fake line, so that window commands can be tested without a device.
#include "fake_serial_port.h"

#include "device/serial_port.h"

namespace qv3 {

namespace test {

FakeSerial& fake_serial() {
    static FakeSerial line;
    return line;
}

void reset_fake_serial() { fake_serial() = FakeSerial{}; }

}  // namespace test

using test::fake_serial;

namespace {
constexpr PortHandle kFakeHandle = 7;
constexpr int64_t kReadTimeoutMs = 103;
}  // namespace

void set_port_name(SerialPort& port, std::string_view name) { port.port_name.assign(name); }

bool open(SerialPort& port) {
    port.handle = kNoHandle;
    if (!fake_serial().open_succeeds) {
        port.last_error = "Could not open Com Port " + port.port_name;
        return false;
    }
    port.handle = kFakeHandle;
    fake_serial().opened.push_back(port.port_name);
    return true;
}

size_t write(SerialPort& port, const uint8_t* bytes, size_t count, int pause_ms) {
    if (port.handle == kNoHandle) {
        port.last_error = "Write: ComPort Invalid";
        return 0;
    }
    fake_serial().written.insert(fake_serial().written.end(), bytes, bytes + count);
    fake_serial().clock_ms += static_cast<int64_t>(pause_ms) * static_cast<int64_t>(count);
    return count;
}

ReadResult read_byte(SerialPort& port) {
    if (port.handle == kNoHandle) {
        port.last_error = "Read: ComPort Invalid";
        return {ReadResult::Failure, 0};
    }
    if (fake_serial().incoming.empty()) {
        fake_serial().clock_ms += kReadTimeoutMs;
        return {ReadResult::Nothing, 0};
    }
    const uint8_t byte = fake_serial().incoming.front();
    fake_serial().incoming.pop_front();
    fake_serial().clock_ms += 1;
    return {ReadResult::Byte, byte};
}

void close(SerialPort& port) { port.handle = kNoHandle; }

bool probe(SerialPort& port, std::string_view name) {
    set_port_name(port, name);
    fake_serial().probed.emplace_back(name);
    return fake_serial().probe_ok.count(std::string(name)) != 0;
}

bool port_may_exist(std::string_view name) { return fake_serial().may_exist.count(std::string(name)) != 0; }

void sleep_ms(SerialPort&, int ms) { fake_serial().clock_ms += ms; }

int64_t line_clock_ms(const SerialPort&) { return fake_serial().clock_ms; }

}  // namespace qv3
