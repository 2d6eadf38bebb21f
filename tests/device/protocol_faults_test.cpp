// Trackers that misbehave: wrong lengths, changed bytes, slow or endless talk, another model.
#include "protocol_harness.h"

namespace qv3::test {
namespace {

TEST(ProtocolFaults, WrongImageLengthOnReadIsCorruptedAndKeepsTheRecord) {
    // More bytes than the buffer holds are counted, never stored past it.
    const std::pair<sim::TrackerOptions, int> cases[] = {{{.short_image = 200}, 200},
                                                         {{.long_image = 600}, kReceivedOverflowLength}};
    for (const auto& [options, length] : cases) {
        ProtocolHarness h(options);
        h.record.callsign[0] = "TYPED";
        h.start(ProtocolState::QueryVersionForRead);
        h.run();
        EXPECT_EQ(h.protocol.status_line, "Corrupted EEPROM") << length;
        EXPECT_EQ(h.record.callsign[0], "TYPED");
        EXPECT_EQ(h.protocol.received_image.length, length);
    }
}

TEST(ProtocolFaults, VerificationTellsCountFromContent) {
    const std::pair<sim::TrackerOptions, const char*> cases[] = {
        {{.model = 3, .corrupt_readback = 77}, "Verify Failed"},
        {{.model = 3, .short_image = 255}, "Verify FAILED"},
        {{.model = 3, .long_image = 300}, "Verify FAILED"},
        // A slow read-back is collected over three steps, as a read is.
        {{.model = 3, .reply_delay_ms = 250}, "Config Written Successfully!"},
        {{.model = 3, .short_image = 0}, "Config not read "},
    };
    for (const auto& [options, status] : cases) {
        ProtocolHarness h(options);
        h.record = {.device_model = 3, .callsign = {"N0CALL-5", "NOCALL"}};
        h.start_write();
        h.run();
        EXPECT_EQ(h.protocol.status_line, status);
        if (h.protocol.outcome != ExchangeOutcome::Written) {
            EXPECT_EQ(h.record.callsign[0], "N0CALL-5");  // nothing decoded
        }
    }
    // The same delay is covered by a read's three steps.
    ProtocolHarness h({.model = 3, .reply_delay_ms = 250});
    h.start(ProtocolState::QueryVersionForRead);
    h.run();
    EXPECT_EQ(h.protocol.status_line, "Read Config Successful");
}

// The cable comes out part way through an image: the exchange ends on the
// step that finds the device gone, the port is closed, the record keeps what
// it held, and a read once the device is back works.
TEST(ProtocolFaults, APulledCableEndsTheExchangeAtOnceAndTheNextReadWorks) {
    const std::string lost_write =
        "Port lost during the write: the tracker may hold an incomplete configuration. Write it again.";
    struct Case {
        bool write;
        int model;
        int hang_up_after;
        std::string status;
    };
    const Case cases[] = {
        {false, 4, 100, "Port lost during the read (Input/output error)"},
        {false, 1, 0, "Port lost during the read (Input/output error)"},
        {true, 4, 100, lost_write},
        {true, 1, 200, lost_write},
        {true, 3, 256, lost_write},  // after the last image byte: the read-back finds it gone
    };
    for (const Case& c : cases) {
        ProtocolHarness h({.model = c.model, .hang_up_after = c.hang_up_after});
        h.record = {.device_model = c.model, .callsign = {"TYPED", "NOCALL"}};
        c.write ? h.start_write() : h.start(ProtocolState::QueryVersionForRead);
        h.run(40);
        EXPECT_EQ(h.protocol.status_line, c.status) << c.model;
        EXPECT_EQ(h.port.handle, kNoHandle);
        EXPECT_EQ(h.record.callsign[0], "TYPED");
        // Nothing more was sent once the line hung up: the write stops at the
        // byte that found it gone.
        const size_t command_bytes = c.write ? 2 + 2 + 4 : 2 + 2;  // version queries, read or write command
        EXPECT_LE(sent().size(), command_bytes + static_cast<size_t>(c.hang_up_after) + (c.write ? 2 : 0));

        h.start(ProtocolState::QueryVersionForRead);
        h.run(40);
        EXPECT_EQ(h.protocol.status_line, "Read Config Successful") << c.model;
    }
}

TEST(ProtocolFaults, AnEndlessTalkerEndsEveryCommandWithAFailure) {
    for (const ProtocolState command :
         {ProtocolState::QueryVersion, ProtocolState::QueryVersionForRead, ProtocolState::QueryVersionForWrite}) {
        ProtocolHarness h({.model = 4, .stream = true});
        h.record.device_model = 4;
        command == ProtocolState::QueryVersionForWrite ? h.start_write() : h.start(command);
        h.run(40);
        EXPECT_EQ(h.protocol.status_line.rfind("Quorvale3 not found : (", 0), 0u);
        EXPECT_LE(h.protocol.version_reply.size(), kMaxVersionReplyBytes);
        for (const uint8_t byte : sent()) EXPECT_TRUE(byte == 0x1B || byte == 'V');  // only version queries
        // Simulated time, not wall time: the whole command stays within a few seconds.
        EXPECT_LT(line().now_us, 8'000'000);
    }
}

TEST(ProtocolFaults, NoisyLinesDoNotHangOrOverflow) {
    for (uint64_t seed = 1; seed <= 5; ++seed) {
        ProtocolHarness h({.model = 2, .noise = true, .seed = seed});
        h.start(ProtocolState::QueryVersionForRead);
        h.run(40);
        EXPECT_EQ(h.protocol.state, ProtocolState::Idle);
        EXPECT_LE(h.protocol.received_image.length, kReceivedOverflowLength);
    }
}

TEST(ProtocolFaults, AWriteForAnotherModelSendsNothing) {
    ProtocolHarness h({.model = 6});
    h.record.device_model = 4;  // encoded for a model 4 tracker, but a model 6 answers
    h.start_write();
    bool refreshed = false;
    for (int ticks = 0; h.protocol.state != ProtocolState::Idle && ticks < 10; ++ticks) refreshed = h.tick();
    EXPECT_TRUE(refreshed);
    EXPECT_EQ(h.protocol.status_line, "Write cancelled: device model changed");
    EXPECT_EQ(h.record.device_model, 6);
    EXPECT_EQ(sent(), (Bytes{0x1B, 'V'}));
    EXPECT_EQ(line().tracker.completed_writes, 0u);
    EXPECT_FALSE(line().is_open);
}

TEST(ProtocolFaults, ATestCommandDuringAnExchangeLeavesItWithoutAPort) {
    ProtocolHarness h({.model = 4});
    h.start(ProtocolState::QueryVersionForRead);
    h.tick();  // the reply is in
    send_test_command(h.protocol, h.port, TestCommand::ToneBoth);
    EXPECT_EQ(line().tracker.test_commands_total, 1u);
    h.run();
    // The version was judged on what had arrived; the read then reopened the port.
    EXPECT_EQ(h.protocol.status_line, "Read Config Successful");

    ProtocolHarness reading({.model = 4});
    reading.start(ProtocolState::QueryVersionForRead);
    while (reading.protocol.state != ProtocolState::ReadingConfig) reading.tick();
    send_test_command(reading.protocol, reading.port, TestCommand::StopTest);
    reading.run();
    EXPECT_EQ(reading.protocol.status_line, "Config not read ");
}

TEST(ProtocolFaults, ANewCommandRestartsWhateverWasRunning) {
    ProtocolHarness h({.model = 4});
    h.start(ProtocolState::QueryVersionForRead);
    while (h.protocol.state != ProtocolState::ReadingConfig) h.tick();
    h.start(ProtocolState::QueryVersion);  // the image still on its way spoils the first reply
    h.run();
    EXPECT_EQ(h.protocol.status_line.rfind("Version Read : \"Quorvale3 v1.4\r\n", 0), 0u);
    EXPECT_EQ(h.record.device_model, 4);
}

}  // namespace
}  // namespace qv3::test
