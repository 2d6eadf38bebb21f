// The one serial port through which the system talks to a tracker.
//
// One header, one implementation per platform chosen by the build:
// serial_port_win32.cpp (with port_list_win32.cpp), serial_port_posix.cpp (with
// port_list_posix.cpp), serial_port_web.cpp (Web Serial, through the page's
// bridge), and three test doubles: sim/serial_port_simulated.cpp
// (an in-process tracker on a virtual clock, for the protocol and qv3 tests),
// tests/ui/ui_fakes.cpp (a scripted line, for the window's tests) and
// fuzz/serial_port_fuzzed.cpp (a device whose answers are fuzz input). Every
// operation returns a PortOutcome that callers decide on; a failure also
// leaves a fixed text in last_error and the system's own words in reason. On
// POSIX a failed open says why ("Could not open Com Port NAME (Permission
// denied: ...)", "...: NAME is not a serial port", "(in use by process PID)"),
// so that the user can act.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qv3 {

// Platform handle of an open port: a file descriptor, a Windows HANDLE value,
// or the simulated line's token. kNoHandle when closed.
using PortHandle = std::intptr_t;
constexpr PortHandle kNoHandle = -1;

// How long one byte may take: a one-byte read waits this long for a byte to
// arrive, a one-byte write this long for the line to take it. Every backend
// and every double of the line keeps these times.
constexpr int kReadTimeoutMs = 103;
constexpr int kWriteTimeoutMs = 302;

// What an open, a read or a write came to.
enum class PortOutcome : uint8_t {
    Ok,               // opened; a byte came; every byte went out
    NothingInTime,    // no byte within the read time-out; a write the line did not take in time
    Busy,             // another program holds the port
    NotFound,         // no port of that name
    NoPermission,     // the system refuses this user the port
    NotASerialPort,   // it opened, but has no line settings
    SettingsRefused,  // the line cannot be set to the tracker's speed and format
    Gone,             // the device went away: adapter unplugged, far end hung up
    Failed,           // any other failure: no open port, or the system said no
};

struct SerialPort {
    PortHandle handle = kNoHandle;
    std::string port_name = "COM1";
    uint32_t baud_rate = 4800;
    std::string last_error;
    // The system's words for the latest failure ("Input/output error"), for
    // messages that quote them; never cleared, only overwritten.
    std::string reason;
    // The lock file this process made for the open port (POSIX), removed on close.
    std::string lock_file;
};

// A one-byte read: outcome Ok with the byte, NothingInTime, Gone or Failed.
struct ReadResult {
    PortOutcome outcome = PortOutcome::NothingInTime;
    uint8_t byte = 0;
};

// A write: the bytes the system took, and Ok when that was all of them. A
// write stops at the first byte that finds the device gone.
struct WriteResult {
    size_t written = 0;
    PortOutcome outcome = PortOutcome::Ok;
};

// Replaces port_name; takes effect at the next open.
void set_port_name(SerialPort& port, std::string_view name);

// Opens port_name at baud_rate, 8N1, no flow control, DTR and RTS on. A held
// handle is closed first. A one-byte read then waits at most kReadTimeoutMs and
// a one-byte write gives up after kWriteTimeoutMs. Ok, or why not (last_error says it).
PortOutcome open(SerialPort& port);

// Writes the bytes one per system call, sleeping pause_ms after each.
WriteResult write(SerialPort& port, const uint8_t* bytes, size_t count, int pause_ms);

ReadResult read_byte(SerialPort& port);

void close(SerialPort& port);

// True when a port of that name can be opened and configured; leaves it closed
// and port_name set to name.
bool probe(SerialPort& port, std::string_view name);

// True when a port of that name may exist, checked without opening it, so that
// listing ports stays fast. probe still decides.
bool port_may_exist(std::string_view name);

// A serial port the system offers: name is what open takes (set_port_name),
// description says for people what is attached, or is empty.
struct PortInfo {
    std::string name;
    std::string description;
};

// The ports of this machine, sorted by name, each once. On Windows the names
// "COM1" to "COM20" that answer a probe; elsewhere the serial devices that
// exist, with what the system knows about them (USB maker, product, serial
// number). Opens nothing on POSIX systems, so listing never disturbs a line.
// outcome is Failed, with the system's reason, when the system could not be asked.
struct PortList {
    std::vector<PortInfo> ports;
    PortOutcome outcome = PortOutcome::Ok;
    std::string reason;
};
PortList list_ports();

// Blocks the thread for ms milliseconds (the simulated backend advances its clock).
void sleep_ms(SerialPort& port, int ms);

// Milliseconds on a monotonic clock (the simulated backend's virtual clock), so
// that callers can bound how long they keep reading from a talkative device.
int64_t line_clock_ms(const SerialPort& port);

}  // namespace qv3
