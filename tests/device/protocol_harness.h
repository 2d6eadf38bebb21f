// Drives the device protocol against the simulated line, one 100 ms tick at a time.
#pragma once

#include "../test_support.h"
#include "device/device_protocol.h"
#include "device/serial_port.h"
#include "sim/simulated_line.h"

namespace qv3::test {

inline sim::SimulatedLine& line() { return sim::simulated_line(); }

// The logged events of one kind, in order.
inline std::vector<sim::LineEvent> events(sim::LineEvent::Kind kind) {
    std::vector<sim::LineEvent> out;
    std::copy_if(line().events.begin(), line().events.end(), std::back_inserter(out),
                 [kind](const sim::LineEvent& e) { return e.kind == kind; });
    return out;
}

inline std::vector<uint32_t> open_speeds() {
    std::vector<uint32_t> speeds;
    for (const auto& e : events(sim::LineEvent::Open)) speeds.push_back(e.baud);
    return speeds;
}

inline Bytes sent() { return sim::line_bytes(line(), sim::LineEvent::HostToTracker); }

// What decoding the tracker's image for model gives.
inline ConfigRecord trackers_record(int model) { return decoded(line().tracker.image, defaults_for(model)); }

struct ProtocolHarness {
    SerialPort port;
    DeviceProtocol protocol;
    ConfigRecord record;
    std::vector<std::string> statuses;  // each new status line, in order
    std::vector<bool> refreshes;        // what each step returned

    explicit ProtocolHarness(const sim::TrackerOptions& options = {}) {
        sim::reset_simulated_line(options);
        set_port_name(port, "COM1");
    }

    void note_status() {
        if (statuses.empty() || statuses.back() != protocol.status_line) statuses.push_back(protocol.status_line);
    }

    void start(ProtocolState follow_up) {
        protocol.retry_count = 0;
        start_version_query(protocol, port, follow_up);
        note_status();
    }

    // One timer tick: 100 ms pass, then a step.
    bool tick() {
        line().now_us += 100'000;
        const bool refresh = step(protocol, port, record);
        refreshes.push_back(refresh);
        note_status();
        return refresh;
    }

    // Ticks until the protocol is idle; fails the test past max_ticks. An
    // exchange that ended names its outcome, and the status line is its text,
    // since callers decide by the one and users read the other.
    void run(int max_ticks = 200) {
        for (int ticks = 0; protocol.state != ProtocolState::Idle; tick()) {
            if (++ticks > max_ticks) {
                ADD_FAILURE() << "protocol still busy after " << max_ticks << " ticks: " << protocol.status_line;
                return;
            }
        }
        EXPECT_NE(protocol.outcome, ExchangeOutcome::Running) << protocol.status_line;
        const bool lost = protocol.outcome == ExchangeOutcome::PortLostDuringRead;
        EXPECT_EQ(protocol.status_line, exchange_status_text(protocol.outcome, lost ? port.reason : protocol.version_reply));
    }

    // Encodes the record for its model and starts a write, as the command does.
    void start_write() {
        ASSERT_EQ(encode_image(record, protocol.encoded_image), EncodeOutcome::Complete);
        protocol.encoded_for_model = record.device_model;
        start(ProtocolState::QueryVersionForWrite);
    }
};

}  // namespace qv3::test
