// The simulated serial backend: closed-port texts and the virtual clock.
#include <gtest/gtest.h>

#include "device/serial_port.h"
#include "sim/simulated_line.h"

namespace qv3 {
namespace {

sim::SimulatedLine& line() { return sim::simulated_line(); }

// A fresh line with a tracker of options, and a port open on it at baud.
SerialPort opened(const sim::TrackerOptions& options, uint32_t baud = 4800) {
    sim::reset_simulated_line(options);
    SerialPort port;
    port.baud_rate = baud;
    EXPECT_EQ(open(port), PortOutcome::Ok) << port.last_error;
    return port;
}

void send(SerialPort& port, std::vector<uint8_t> bytes, int pause_ms = 0) {
    ASSERT_EQ(write(port, bytes.data(), bytes.size(), pause_ms).written, bytes.size());
}

TEST(SimulatedLine, ClosedPortGivesTheFixedTexts) {
    SerialPort port = opened({});
    const PortHandle stale = port.handle;
    close(port);
    const uint8_t byte = 0x1B;
    EXPECT_EQ(write(port, &byte, 1, 0).written, 0u);
    EXPECT_EQ(port.last_error, "Write: ComPort Invalid");
    EXPECT_EQ(read_byte(port).outcome, PortOutcome::Failed);
    EXPECT_EQ(port.last_error, "Read: ComPort Invalid");
    close(port);
    EXPECT_EQ(port.last_error, "Close: ComPort Invalid");

    ASSERT_EQ(open(port), PortOutcome::Ok);
    SerialPort old = port;
    old.handle = stale;  // a handle from an earlier opening is no good
    EXPECT_EQ(write(old, &byte, 1, 0).written, 0u);
    EXPECT_EQ(old.last_error, "Write: ComPort Invalid");
    EXPECT_TRUE(sim::line_bytes(line(), sim::LineEvent::HostToTracker).empty());
}

TEST(SimulatedLine, WritesAndSleepsAdvanceTheClock) {
    SerialPort port = opened({}, 9600);
    send(port, {0x1B, 0x1B, '1'}, 10);
    // Each byte: its wire time, heard by the tracker then, then the pause.
    EXPECT_EQ(line().tracker.test_log.at(0).time_us, 2 * (1042 + 10'000) + 1042);
    EXPECT_EQ(line().now_us, 3 * (1042 + 10'000));
    sleep_ms(port, 250);
    EXPECT_EQ(line().now_us, 3 * (1042 + 10'000) + 250'000);
    EXPECT_EQ(line_clock_ms(port), line().now_us / 1000);
}

TEST(SimulatedLine, ReadsTakeRepliesAtTheirTimeOrWaitOneTimeout) {
    SerialPort port = opened({});
    send(port, {0x1B, 'V'});
    const int64_t sent = line().now_us;
    std::string reply;
    for (int i = 0; i < 16; ++i) reply.push_back(static_cast<char>(read_byte(port).byte));
    EXPECT_EQ(reply, "Quorvale3 v1.4\r\n");
    EXPECT_EQ(read_byte(port).outcome, PortOutcome::NothingInTime);
    EXPECT_EQ(line().now_us, sent + 16 * 2084 + 103'000) << "at the last byte, then one read's wait";

    // Reading late gets the byte at once, without moving the clock.
    send(port, {0x1B, 'V'});
    sleep_ms(port, 500);
    const int64_t late = line().now_us;
    EXPECT_EQ(read_byte(port).byte, 'Q');
    EXPECT_EQ(line().now_us, late);
    // Opening again drops whatever was already due.
    close(port);
    ASSERT_EQ(open(port), PortOutcome::Ok);
    EXPECT_EQ(read_byte(port).outcome, PortOutcome::NothingInTime);

    // An answer due just beyond one read's wait comes with the next read.
    port = opened({.model = 1, .reply_delay_ms = 103});
    send(port, {0x1B, 'V'});
    EXPECT_EQ(read_byte(port).outcome, PortOutcome::NothingInTime);
    EXPECT_EQ(read_byte(port).byte, 'Q');
    EXPECT_EQ(line().now_us, 2 * 2084 + 103'000 + 2084);
}

}  // namespace
}  // namespace qv3
