// The device exchanges as the window drives them: version, read, write and verification.
#include "protocol_harness.h"

namespace qv3::test {
namespace {

using sim::LineEvent;

TEST(DeviceProtocol, ReadVersionIdentifiesTheModelOnTheThirdStep) {
    ProtocolHarness h({.model = 4});
    h.start(ProtocolState::QueryVersion);
    EXPECT_EQ(h.protocol.status_line, "Reading Version");
    EXPECT_EQ(sent(), (Bytes{0x1B, 'V'}));
    EXPECT_FALSE(h.tick());
    EXPECT_FALSE(h.tick());
    EXPECT_TRUE(h.tick());
    EXPECT_EQ(h.protocol.state, ProtocolState::Idle);
    EXPECT_EQ(h.protocol.status_line, "Version Read : \"Quorvale3 v1.4\r\n\"");
    EXPECT_EQ(h.record.device_model, 4);
    EXPECT_FALSE(line().is_open);
    EXPECT_FALSE(h.tick());  // idle steps do nothing
}

TEST(DeviceProtocol, ModelTableNeedsTheWholeTextAtTheStart) {
    const std::pair<const char*, int> cases[] = {
        {"Pellantor KX v2\r\n", 3}, {"Quorvale3 v1.1", 1}, {"PL-RUX v1.2\r\n", 2},    {"PL-RUX v1.4", 5},
        {"PL-Zenda v1.4", 6},       {"Quorvale3 v1.", 0},  {"\nQuorvale3 v1.4", 0}, {"", 0}};
    for (const auto& [reply, model] : cases) EXPECT_EQ(model_for_version_reply(reply), model) << reply;
}

TEST(DeviceProtocol, ReadConfigDecodesEveryModelsImage) {
    for (int model = 1; model <= kModelMax; ++model) {
        ProtocolHarness h({.model = model});
        h.record.callsign[0] = "TYPED";
        h.start(ProtocolState::QueryVersionForRead);
        h.run();
        EXPECT_EQ(h.protocol.status_line, "Read Config Successful") << model;
        EXPECT_EQ(h.protocol.received_image.length, image_size_for_model(model));
        EXPECT_EQ(h.record, trackers_record(model)) << model;
        EXPECT_FALSE(line().is_open);
        EXPECT_EQ(h.statuses[1], "Reading Config") << model;
        EXPECT_EQ(sent(), (Bytes{0x1B, 'V', 0x1B, 'U'}));
    }
}

TEST(DeviceProtocol, WriteSendsTheImageInEightPiecesAndVerifies) {
    ProtocolHarness h({.model = 6});
    h.record = {.device_model = 6, .callsign = {"N0CALL-9", "k1abc"}, .frequency_mhz = {146.52f, 145.5f}};
    h.start_write();
    h.run();
    EXPECT_EQ(h.protocol.status_line, "Config Written Successfully!");
    EXPECT_EQ(line().tracker.image, h.protocol.encoded_image);
    EXPECT_EQ(h.record.callsign[1], "K1ABC");  // the record now shows what the tracker holds

    std::vector<std::string> statuses = {"Reading Version"};
    for (size_t stars = 0; stars <= 8; ++stars) statuses.push_back("Writing Config : " + std::string(stars, '*'));
    statuses.insert(statuses.end(), {"Verifying Config", "Config Written Successfully!"});
    EXPECT_EQ(h.statuses, statuses);

    // After the version query: 1B 44 AA 55, the 256 bytes in order, then the read command.
    const Bytes all = sent();
    ASSERT_EQ(all.size(), 2u + 4u + 256u + 2u);
    EXPECT_EQ(Bytes(all.begin(), all.begin() + 6), (Bytes{0x1B, 'V', 0x1B, 'D', 0xAA, 0x55}));
    EXPECT_TRUE(std::equal(all.begin() + 6, all.end() - 2, h.protocol.encoded_image.begin()));
    EXPECT_EQ(Bytes(all.end() - 2, all.end()), (Bytes{0x1B, 'U'}));
}

// One byte a call with 10 ms pauses, one piece a step; only 128-byte models wait
// two seconds before the read-back, which is then half an image.
TEST(DeviceProtocol, WritePacingAndTheSmallModelsWait) {
    for (int model = 1; model <= kModelMax; ++model) {
        ProtocolHarness h({.model = model});
        h.record.device_model = model;
        h.start_write();
        h.run();
        ASSERT_EQ(h.protocol.status_line, "Config Written Successfully!");
        EXPECT_EQ(h.protocol.received_image.length, image_size_for_model(model));

        const auto host = events(LineEvent::HostToTracker);
        ASSERT_EQ(host.size(), 2u + 4u + 256u + 2u);
        const auto gap = [&](size_t i) { return host[i].time_us - host[i - 1].time_us; };
        const int64_t byte_us = sim::byte_time_us(4800);
        EXPECT_EQ(gap(1), byte_us);  // no pause in the version query
        for (size_t i = 3; i < 6 + 256; ++i) {
            if (i > 6 && (i - 6) % 32 == 0) {
                EXPECT_GE(gap(i), 100'000) << i;  // the next piece, the next step
            } else if (i != 6) {
                EXPECT_EQ(gap(i), byte_us + 10'000) << i;
            }
        }
        EXPECT_EQ(events(LineEvent::Sleep).size(), image_size_for_model(model) == 128 ? 1u : 0u) << model;
        for (const auto& sleep : events(LineEvent::Sleep)) EXPECT_EQ(sleep.sleep_ms, 2000);
    }
}

TEST(DeviceProtocol, NineSixHundredOnlyIsFoundOnTheSecondQueryAndKept) {
    ProtocolHarness h({.model = 5, .only_baud = 9600});
    h.start(ProtocolState::QueryVersionForRead);
    h.run();
    EXPECT_EQ(h.protocol.status_line, "Read Config Successful");
    EXPECT_EQ(h.port.baud_rate, 9600u);
    EXPECT_EQ(open_speeds(), (std::vector<uint32_t>{4800, 9600, 9600}));

    line().events.clear();
    h.start(ProtocolState::QueryVersion);
    h.run();
    EXPECT_EQ(open_speeds(), (std::vector<uint32_t>{9600}));
    EXPECT_EQ(h.record.device_model, 5);
}

TEST(DeviceProtocol, SilenceEndsAfterFiveQueriesAtAlternatingSpeeds) {
    ProtocolHarness h({.model = 4, .silent = true});
    h.record.device_model = 4;
    h.start(ProtocolState::QueryVersionForRead);
    h.run();
    EXPECT_EQ(h.protocol.status_line, "Quorvale3 not found : ()");
    EXPECT_EQ(h.record.device_model, 0);
    EXPECT_EQ(open_speeds(), (std::vector<uint32_t>{4800, 9600, 4800, 9600, 4800}));
    EXPECT_EQ(line().tracker.version_queries, 5u);
    EXPECT_EQ(std::count(h.refreshes.begin(), h.refreshes.end(), true), 5);  // each reply judged
}

TEST(DeviceProtocol, OpenFailureShowsThePortsTextAndChangesNothingElse) {
    ProtocolHarness h({.model = 4});
    set_port_name(h.port, "COM7");
    h.start(ProtocolState::QueryVersion);
    EXPECT_EQ(h.protocol.status_line, "Could not open Com Port COM7");
    EXPECT_EQ(h.protocol.outcome, ExchangeOutcome::OpenFailed);
    EXPECT_EQ(h.protocol.state, ProtocolState::Idle);
    EXPECT_TRUE(sent().empty());

    // A command that cannot open the port while a read runs does not end the read.
    set_port_name(h.port, "COM1");
    h.start(ProtocolState::QueryVersionForRead);
    h.tick();
    set_port_name(h.port, "COM7");
    h.start(ProtocolState::QueryVersion);
    EXPECT_EQ(h.protocol.status_line, "Could not open Com Port COM7");
    EXPECT_EQ(h.protocol.outcome, ExchangeOutcome::Running);
    h.run();
}

TEST(DeviceProtocol, TestCommandsOpenSendAndClose) {
    const std::pair<TestCommand, uint8_t> cases[] = {
        {TestCommand::Tone1200, '1'}, {TestCommand::Tone2200, '2'}, {TestCommand::ToneBoth, '3'},
        {TestCommand::StopTest, 0x1B}};
    for (const auto& [command, last] : cases) {
        ProtocolHarness h({.model = 4});
        h.protocol.status_line = "unchanged";
        send_test_command(h.protocol, h.port, command);
        EXPECT_EQ(sent(), (Bytes{0x1B, 0x1B, last}));
        EXPECT_FALSE(line().is_open);
        EXPECT_EQ(h.protocol.status_line, "unchanged");
        EXPECT_EQ(line().tracker.test_commands_total, 1u);
    }
    ProtocolHarness nothing({.model = 4});
    set_port_name(nothing.port, "No COM Ports Found");
    send_test_command(nothing.protocol, nothing.port, TestCommand::Tone1200);
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(nothing.protocol.status_line, "");
}

}  // namespace
}  // namespace qv3::test
