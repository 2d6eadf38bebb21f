// The simulated serial line behind serial_port_simulated.cpp: one tracker, a virtual clock and a log.
//
// Tests link qv3_serial_simulated instead of the platform backend, arrange the
// line through simulated_line() and then call the ordinary serial port
// functions. Nothing here sleeps: reads, writes and sleep_ms move the virtual
// clock, so tests stay fast and exact:
//   write      each byte: + its wire time at baud_rate (10 bits), the tracker
//              hears it at that time, then + pause_ms;
//   read_byte  the tracker's next byte if due within kReadTimeoutMs (the clock
//              moves to its due time when that is later), else + that and Nothing;
//   sleep_ms   + ms;
//   open       the tracker's output due while nobody listened is dropped.
// The tracker is on tracker_port only; other openable names are quiet lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "device/serial_port.h"
#include "sim/tracker.h"

namespace qv3::sim {

// A one-byte read waits this long for a byte before it reports nothing.
constexpr int64_t kReadTimeoutUs = int64_t{kReadTimeoutMs} * 1000;

struct LineEvent {
    enum Kind : uint8_t {
        HostToTracker,  // a byte the host wrote (time: when it finished arriving)
        TrackerToHost,  // a byte the host read (time: when read; its due time unless read late)
        Sleep,          // a sleep_ms call (sleep_ms field; time: when it began)
        Open,           // a successful open (baud: the port's speed)
        Close,          // a close of an open port
    };
    int64_t time_us = 0;
    Kind kind = HostToTracker;
    uint8_t byte = 0;
    uint32_t baud = 0;
    int sleep_ms = 0;
};

constexpr size_t kMaxLineEvents = 1'000'000;  // later events are counted, not kept

struct SimulatedLine {
    Tracker tracker;
    int64_t now_us = 0;  // the virtual clock

    std::set<std::string> openable{"COM1"};  // names that exist
    std::set<std::string> held_elsewhere;    // names another program holds: open fails
    std::string tracker_port = "COM1";       // where the tracker is plugged in; other lines stay quiet

    bool is_open = false;
    std::string open_name;        // the name of the open port
    uint32_t open_baud = 0;       // the speed of the open port
    PortHandle open_handle = kNoHandle;
    PortHandle next_handle = 1;   // each open hands out a new token, never reused
    int open_count = 0;
    int close_count = 0;

    std::vector<LineEvent> events;
    size_t events_dropped = 0;
};

// The process's one simulated line.
SimulatedLine& simulated_line();

// Starts over: a fresh tracker with options (validated or clamped as by
// make_tracker), clock at 0, COM1 openable and holding the tracker, nothing
// open, log empty. Handles from before stay invalid.
void reset_simulated_line(const TrackerOptions& options = {});

// The bytes of one direction in the event log, in order.
std::vector<uint8_t> line_bytes(const SimulatedLine& line, LineEvent::Kind direction);

}  // namespace qv3::sim
