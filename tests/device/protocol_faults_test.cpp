// Trackers that misbehave: wrong lengths, changed bytes, slow or endless talk, another model.
#include <gtest/gtest.h>

#include "protocol_harness.h"

namespace qv3 {
namespace {

using test::ProtocolHarness;
using test::tracker;

TEST(ProtocolFaults, WrongImageLengthOnReadIsCorruptedAndKeepsTheRecord) {
    for (const bool longer : {false, true}) {
        sim::TrackerOptions options = tracker(4);
        (longer ? options.long_image : options.short_image) = longer ? 600 : 200;
        ProtocolHarness h(options);
        h.record.callsign[0] = "TYPED";
        h.start(ProtocolState::QueryVersionForRead);
        h.run();
        EXPECT_EQ(h.protocol.status_line, "Corrupted EEPROM") << longer;
        EXPECT_EQ(h.record.callsign[0], "TYPED");
        // More bytes than the buffer holds are counted, never stored past it.
        EXPECT_EQ(h.protocol.received_image.length, longer ? kReceivedOverflowLength : 200);
    }
}

TEST(ProtocolFaults, VerificationTellsCountFromContent) {
    const struct {
        void (*set)(sim::TrackerOptions&);
        const char* status;
    } cases[] = {
        {[](sim::TrackerOptions& o) { o.corrupt_readback = 77; }, "Verify Failed"},
        {[](sim::TrackerOptions& o) { o.short_image = 255; }, "Verify FAILED"},
        {[](sim::TrackerOptions& o) { o.long_image = 300; }, "Verify FAILED"},
        // The read-back's first byte comes after the next step's read has timed out.
        {[](sim::TrackerOptions& o) { o.reply_delay_ms = 250; }, "Config not read "},
    };
    for (const auto& c : cases) {
        sim::TrackerOptions options = tracker(3);
        c.set(options);
        ProtocolHarness h(options);
        h.record.device_model = 3;
        h.record.callsign[0] = "N0CALL-5";
        h.start_write();
        h.run();
        EXPECT_EQ(h.protocol.status_line, c.status);
        EXPECT_EQ(h.record.callsign[0], "N0CALL-5");  // nothing decoded
    }
}

TEST(ProtocolFaults, TheSameDelayIsCoveredByAReadsThreeSteps) {
    sim::TrackerOptions options = tracker(3);
    options.reply_delay_ms = 250;
    ProtocolHarness h(options);
    h.start(ProtocolState::QueryVersionForRead);
    h.run();
    EXPECT_EQ(h.protocol.status_line, "Read Config Successful");
}

TEST(ProtocolFaults, AnEndlessTalkerEndsEveryCommandWithAFailure) {
    for (const ProtocolState command :
         {ProtocolState::QueryVersion, ProtocolState::QueryVersionForRead, ProtocolState::QueryVersionForWrite}) {
        sim::TrackerOptions options = tracker(4);
        options.stream = true;
        ProtocolHarness h(options);
        h.record.device_model = 4;
        const int64_t started = h.line().now_us;
        if (command == ProtocolState::QueryVersionForWrite) {
            h.start_write();
        } else {
            h.start(command);
        }
        h.run(40);
        EXPECT_EQ(h.protocol.status_line.rfind("Quorvale3 not found : (", 0), 0u);
        EXPECT_LE(h.protocol.version_reply.size(), kMaxVersionReplyBytes);
        for (const uint8_t byte : h.sent()) EXPECT_TRUE(byte == 0x1B || byte == 'V');  // only version queries
        // Simulated time, not wall time: the whole command stays within a few seconds.
        EXPECT_LT(h.line().now_us - started, 8'000'000);
    }
}

TEST(ProtocolFaults, NoisyLinesDoNotHangOrOverflow) {
    for (uint64_t seed = 1; seed <= 5; ++seed) {
        sim::TrackerOptions options = tracker(2);
        options.noise = true;
        options.seed = seed;
        ProtocolHarness h(options);
        h.start(ProtocolState::QueryVersionForRead);
        h.run(40);
        EXPECT_EQ(h.protocol.state, ProtocolState::Idle);
        EXPECT_LE(h.protocol.received_image.length, kReceivedOverflowLength);
    }
}

TEST(ProtocolFaults, AWriteForAnotherModelSendsNothing) {
    ProtocolHarness h(tracker(6));
    h.record.device_model = 4;  // encoded for a model 4 tracker, but a model 6 answers
    h.start_write();
    int ticks = 0;
    bool refreshed = false;
    while (h.protocol.state != ProtocolState::Idle && ticks++ < 10) refreshed = h.tick();
    EXPECT_TRUE(refreshed);
    EXPECT_EQ(h.protocol.status_line, "Write cancelled: device model changed");
    EXPECT_EQ(h.record.device_model, 6);
    EXPECT_EQ(h.sent(), (std::vector<uint8_t>{0x1B, 'V'}));
    EXPECT_EQ(h.line().tracker.completed_writes, 0u);
    EXPECT_FALSE(h.line().is_open);
}

TEST(ProtocolFaults, ATestCommandDuringAnExchangeLeavesItWithoutAPort) {
    ProtocolHarness h(tracker(4));
    h.start(ProtocolState::QueryVersionForRead);
    h.tick();  // the reply is in
    send_test_command(h.protocol, h.port, TestCommand::ToneBoth);
    EXPECT_EQ(h.line().tracker.test_commands_total, 1u);
    h.run();
    // The version was judged on what had arrived; the read then reopened the port.
    EXPECT_EQ(h.protocol.status_line, "Read Config Successful");

    ProtocolHarness reading(tracker(4));
    reading.start(ProtocolState::QueryVersionForRead);
    while (reading.protocol.state != ProtocolState::ReadingConfig) reading.tick();
    send_test_command(reading.protocol, reading.port, TestCommand::StopTest);
    reading.run();
    EXPECT_EQ(reading.protocol.status_line, "Config not read ");
}

TEST(ProtocolFaults, ANewCommandRestartsWhateverWasRunning) {
    ProtocolHarness h(tracker(4));
    h.start(ProtocolState::QueryVersionForRead);
    while (h.protocol.state != ProtocolState::ReadingConfig) h.tick();
    h.start(ProtocolState::QueryVersion);  // the image still on its way spoils the first reply
    h.run();
    EXPECT_EQ(h.protocol.status_line.rfind("Version Read : \"Quorvale3 v1.4\r\n", 0), 0u);
    EXPECT_EQ(h.record.device_model, 4);
}

}  // namespace
}  // namespace qv3
