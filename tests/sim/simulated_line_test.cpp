// The simulated serial backend: failure texts, the virtual clock and the event log.
#include <gtest/gtest.h>

#include "device/serial_port.h"
#include "sim/simulated_line.h"

namespace qv3 {
namespace {

using sim::LineEvent;
using sim::simulated_line;

class SimulatedLineTest : public ::testing::Test {
protected:
    void SetUp() override { sim::reset_simulated_line({.model = 4}); }

    SerialPort opened(uint32_t baud = 4800) {
        SerialPort port;
        port.baud_rate = baud;
        EXPECT_TRUE(open(port)) << port.last_error;
        return port;
    }

    void send(SerialPort& port, std::vector<uint8_t> bytes, int pause_ms = 0) {
        ASSERT_EQ(write(port, bytes.data(), bytes.size(), pause_ms), bytes.size());
    }

    // Reads until CR LF or a time-out, the way a version query is read.
    static std::string read_line(SerialPort& port) {
        std::string text;
        for (int i = 0; i < 64; ++i) {
            const ReadResult r = read_byte(port);
            if (r.kind != ReadResult::Byte) break;
            text.push_back(static_cast<char>(r.byte));
            if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) break;
        }
        return text;
    }
};

TEST_F(SimulatedLineTest, OpenFailsForUnknownAndHeldNames) {
    SerialPort port;
    set_port_name(port, "COM7");
    EXPECT_FALSE(open(port));
    EXPECT_EQ(port.last_error, "Could not open Com Port COM7");
    EXPECT_EQ(port.handle, kNoHandle);

    simulated_line().held_elsewhere.insert("COM1");
    set_port_name(port, "COM1");
    EXPECT_FALSE(open(port));
    EXPECT_EQ(port.last_error, "Could not open Com Port COM1");
    simulated_line().held_elsewhere.clear();

    ASSERT_TRUE(open(port));
    EXPECT_NE(port.handle, kNoHandle);
    EXPECT_TRUE(simulated_line().is_open);
    EXPECT_EQ(simulated_line().open_name, "COM1");

    SerialPort other;  // the line is taken while one port holds it
    EXPECT_FALSE(open(other));
    EXPECT_EQ(other.last_error, "Could not open Com Port COM1");

    EXPECT_TRUE(open(port)) << "opening again closes the held handle first";
    EXPECT_EQ(simulated_line().open_count, 2);
    EXPECT_EQ(simulated_line().close_count, 1);
}

TEST_F(SimulatedLineTest, ClosedPortGivesTheFixedTexts) {
    SerialPort port;
    const uint8_t byte = 0x1B;
    EXPECT_EQ(write(port, &byte, 1, 0), 0u);
    EXPECT_EQ(port.last_error, "Write: ComPort Invalid");
    EXPECT_EQ(read_byte(port).kind, ReadResult::Failure);
    EXPECT_EQ(port.last_error, "Read: ComPort Invalid");
    close(port);
    EXPECT_EQ(port.last_error, "Close: ComPort Invalid");

    port = opened();
    const PortHandle stale = port.handle;
    close(port);
    EXPECT_EQ(port.handle, kNoHandle);
    EXPECT_EQ(simulated_line().close_count, 1);
    port.handle = stale;  // a handle from an earlier opening is no good
    EXPECT_EQ(write(port, &byte, 1, 0), 0u);
    EXPECT_EQ(port.last_error, "Write: ComPort Invalid");
    EXPECT_EQ(simulated_line().tracker.bytes_ignored + simulated_line().tracker.version_queries, 0u);
    EXPECT_TRUE(sim::line_bytes(simulated_line(), LineEvent::HostToTracker).empty());
}

TEST_F(SimulatedLineTest, WritesAdvanceTheClockByWireTimeAndPause) {
    SerialPort port = opened(4800);
    send(port, {0x1B, 0x1B, '1'}, 10);
    const auto& events = simulated_line().events;
    ASSERT_EQ(events.size(), 4u);  // the open, then three bytes
    EXPECT_EQ(events[0].kind, LineEvent::Open);
    EXPECT_EQ(events[1].kind, LineEvent::HostToTracker);
    EXPECT_EQ(events[1].time_us, 2084);
    EXPECT_EQ(events[2].time_us, 2084 + 10'000 + 2084);
    EXPECT_EQ(events[3].time_us, 2 * (2084 + 10'000) + 2084);
    EXPECT_EQ(events[3].byte, '1');
    EXPECT_EQ(events[3].baud, 4800u);
    EXPECT_EQ(simulated_line().now_us, 3 * (2084 + 10'000));
    ASSERT_EQ(simulated_line().tracker.test_log.size(), 1u);
    EXPECT_EQ(simulated_line().tracker.test_log[0].time_us, events[3].time_us);

    close(port);
    SerialPort fast = opened(9600);
    const int64_t before = simulated_line().now_us;
    send(fast, {0x00, 0x00});
    EXPECT_EQ(simulated_line().now_us - before, 2 * 1042);

    sleep_ms(fast, 250);
    EXPECT_EQ(simulated_line().events.back().kind, LineEvent::Sleep);
    EXPECT_EQ(simulated_line().events.back().sleep_ms, 250);
    EXPECT_EQ(simulated_line().events.back().time_us, before + 2 * 1042);
    EXPECT_EQ(simulated_line().now_us, before + 2 * 1042 + 250'000);
    EXPECT_EQ(line_clock_ms(fast), (before + 2 * 1042 + 250'000) / 1000);
}

TEST_F(SimulatedLineTest, ReadsTakeRepliesAtTheirTimeOrWaitOneTimeout) {
    SerialPort port = opened(4800);
    send(port, {0x1B, 'V'});
    const int64_t sent = simulated_line().now_us;
    EXPECT_EQ(read_line(port), "Quorvale3 v1.4\r\n");
    EXPECT_EQ(simulated_line().now_us, sent + 16 * 2084) << "the clock stands at the last byte";

    const auto& events = simulated_line().events;
    const LineEvent& last = events.back();
    EXPECT_EQ(last.kind, LineEvent::TrackerToHost);
    EXPECT_EQ(last.byte, '\n');
    EXPECT_EQ(last.time_us, sent + 16 * 2084);
    std::vector<uint8_t> expected{'Q', 'u', 'o', 'r', 'v', 'a', 'l', 'e', '3', ' ', 'v', '1', '.', '4', '\r', '\n'};
    EXPECT_EQ(sim::line_bytes(simulated_line(), LineEvent::TrackerToHost), expected);

    const int64_t idle = simulated_line().now_us;
    EXPECT_EQ(read_byte(port).kind, ReadResult::Nothing);
    EXPECT_EQ(simulated_line().now_us, idle + 103'000);

    // Reading late gets the byte at once, without moving the clock.
    send(port, {0x1B, 'V'});
    sleep_ms(port, 500);
    const int64_t late = simulated_line().now_us;
    EXPECT_EQ(read_byte(port).byte, 'Q');
    EXPECT_EQ(simulated_line().now_us, late);
}

TEST_F(SimulatedLineTest, AnswerJustBeyondTheTimeoutNeedsASecondRead) {
    sim::reset_simulated_line({.model = 1, .reply_delay_ms = 103});
    SerialPort port = opened(4800);
    send(port, {0x1B, 'V'});
    const int64_t sent = simulated_line().now_us;
    EXPECT_EQ(read_byte(port).kind, ReadResult::Nothing);
    EXPECT_EQ(simulated_line().now_us, sent + 103'000);
    EXPECT_EQ(read_byte(port).byte, 'Q');
    EXPECT_EQ(simulated_line().now_us, sent + 103'000 + 2084);

    sim::reset_simulated_line({.model = 1, .reply_delay_ms = 100});
    port = opened(4800);
    send(port, {0x1B, 'V'});
    EXPECT_EQ(read_byte(port).byte, 'Q') << "due 100 ms + one byte later: within one read";
}

TEST_F(SimulatedLineTest, WhatNobodyHearsIsLost) {
    SerialPort port = opened(4800);
    send(port, {0x1B, 'U'});
    close(port);
    sleep_ms(port, 2000);  // the whole image went out while the port was closed
    port = opened(4800);
    EXPECT_EQ(read_byte(port).kind, ReadResult::Nothing);
    EXPECT_EQ(simulated_line().open_count, 2);
    EXPECT_EQ(simulated_line().close_count, 1);
}

TEST_F(SimulatedLineTest, OtherPortsHaveNoTracker) {
    simulated_line().openable.insert("COM3");
    EXPECT_TRUE(port_may_exist("COM3"));
    EXPECT_TRUE(port_may_exist("COM1"));
    EXPECT_FALSE(port_may_exist("COM2"));

    SerialPort port;
    set_port_name(port, "COM3");
    ASSERT_TRUE(open(port));
    send(port, {0x1B, 'V'});
    EXPECT_EQ(read_byte(port).kind, ReadResult::Nothing);
    EXPECT_EQ(simulated_line().tracker.version_queries, 0u);
    EXPECT_EQ(sim::line_bytes(simulated_line(), LineEvent::HostToTracker).size(), 2u);
}

TEST_F(SimulatedLineTest, ProbeLeavesThePortClosedAndNamed) {
    SerialPort port = opened();
    EXPECT_TRUE(probe(port, "COM1"));
    EXPECT_FALSE(simulated_line().is_open);
    EXPECT_EQ(port.handle, kNoHandle);
    EXPECT_EQ(port.port_name, "COM1");

    EXPECT_FALSE(probe(port, "COM9"));
    EXPECT_EQ(port.port_name, "COM9");
    EXPECT_EQ(port.last_error, "Could not open Com Port COM9");
    EXPECT_FALSE(simulated_line().is_open);
}

TEST_F(SimulatedLineTest, OnlyBaudTrackerHearsTheRightSpeedOnly) {
    sim::reset_simulated_line({.model = 4, .only_baud = 9600});
    SerialPort port = opened(4800);
    send(port, {0x1B, 'V'});
    EXPECT_EQ(read_byte(port).kind, ReadResult::Nothing);
    close(port);
    port = opened(9600);
    send(port, {0x1B, 'V'});
    EXPECT_EQ(read_line(port), "Quorvale3 v1.4\r\n");
}

TEST_F(SimulatedLineTest, StreamingTrackerNeverEndsAReadLoop) {
    sim::reset_simulated_line({.model = 4, .stream = true});
    SerialPort port = opened(4800);
    const int64_t start = simulated_line().now_us;
    for (int i = 0; i < 5000; ++i) ASSERT_EQ(read_byte(port).kind, ReadResult::Byte);
    EXPECT_GE(simulated_line().now_us - start, 4999 * 2084) << "bytes come at line rate";
}

TEST_F(SimulatedLineTest, ResetStartsOver) {
    SerialPort port = opened();
    send(port, {0x1B, 'V'});
    sim::reset_simulated_line({.model = 2});
    EXPECT_EQ(simulated_line().now_us, 0);
    EXPECT_FALSE(simulated_line().is_open);
    EXPECT_TRUE(simulated_line().events.empty());
    EXPECT_EQ(simulated_line().open_count, 0);
    EXPECT_EQ(simulated_line().tracker.options.model, 2);
    EXPECT_EQ(simulated_line().openable, std::set<std::string>{"COM1"});
    EXPECT_EQ(read_byte(port).kind, ReadResult::Failure) << "the old handle is gone with the old line";
}

}  // namespace
}  // namespace qv3
