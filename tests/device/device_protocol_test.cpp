// The device exchanges as the window drives them: version, read, write and verification.
#include <gtest/gtest.h>

#include "model/image_decoder.h"
#include "protocol_harness.h"

namespace qv3 {
namespace {

using test::ProtocolHarness;
using test::tracker;

TEST(DeviceProtocol, ReadVersionIdentifiesTheModelOnTheThirdStep) {
    ProtocolHarness h(tracker(4));
    h.start(ProtocolState::QueryVersion);
    EXPECT_EQ(h.protocol.status_line, "Reading Version");
    EXPECT_EQ(h.sent(), (std::vector<uint8_t>{0x1B, 'V'}));
    EXPECT_FALSE(h.tick());
    EXPECT_FALSE(h.tick());
    EXPECT_TRUE(h.tick());
    EXPECT_EQ(h.protocol.state, ProtocolState::Idle);
    EXPECT_EQ(h.protocol.status_line, "Version Read : \"Quorvale3 v1.4\r\n\"");
    EXPECT_EQ(h.record.device_model, 4);
    EXPECT_FALSE(h.line().is_open);
    EXPECT_FALSE(h.tick());  // idle steps do nothing
}

TEST(DeviceProtocol, ModelTableNeedsTheWholeTextAtTheStart) {
    EXPECT_EQ(model_for_version_reply("Pellantor KX v2\r\n"), 3);
    EXPECT_EQ(model_for_version_reply("Quorvale3 v1.1"), 1);
    EXPECT_EQ(model_for_version_reply("PL-RUX v1.2\r\n"), 2);
    EXPECT_EQ(model_for_version_reply("PL-RUX v1.4"), 5);
    EXPECT_EQ(model_for_version_reply("PL-Zenda v1.4"), 6);
    EXPECT_EQ(model_for_version_reply("Quorvale3 v1."), 0);
    EXPECT_EQ(model_for_version_reply("\nQuorvale3 v1.4"), 0);
    EXPECT_EQ(model_for_version_reply(""), 0);
}

TEST(DeviceProtocol, ReadConfigDecodesEveryModelsImage) {
    for (int model = 1; model <= kModelMax; ++model) {
        ProtocolHarness h(tracker(model));
        h.record.callsign[0] = "TYPED";
        h.start(ProtocolState::QueryVersionForRead);
        h.run();
        EXPECT_EQ(h.protocol.status_line, "Read Config Successful") << model;
        EXPECT_EQ(h.record.device_model, model);
        EXPECT_EQ(h.protocol.received_image.length, image_size_for_model(model));

        ConfigRecord expected;
        expected.device_model = model;
        ReceivedImage image;
        image.bytes = h.line().tracker.image;
        image.length = image_size_for_model(model);
        decode_image(image, expected);
        EXPECT_EQ(h.record, expected) << model;
        EXPECT_EQ(h.statuses[1], "Reading Config") << model;
        EXPECT_EQ(h.sent(), (std::vector<uint8_t>{0x1B, 'V', 0x1B, 'U'}));
    }
}

TEST(DeviceProtocol, WriteSendsTheImageInEightPiecesAndVerifies) {
    ProtocolHarness h(tracker(6));
    h.record.device_model = 6;
    h.record.callsign = {"N0CALL-9", "K1ABC"};
    h.record.frequency_mhz = {146.52f, 145.5f};
    h.start_write();
    h.run();
    EXPECT_EQ(h.protocol.status_line, "Config Written Successfully!");
    EXPECT_EQ(h.line().tracker.image, h.protocol.encoded_image);
    EXPECT_EQ(h.record.callsign[1], "K1ABC");

    const std::vector<std::string> expected_statuses = {
        "Reading Version",     "Writing Config : ",   "Writing Config : *",       "Writing Config : **",
        "Writing Config : ***", "Writing Config : ****", "Writing Config : *****", "Writing Config : ******",
        "Writing Config : *******", "Writing Config : ********", "Verifying Config",
        "Config Written Successfully!"};
    EXPECT_EQ(h.statuses, expected_statuses);

    // After the version query: 1B 44 AA 55, the 256 bytes in order, then the read command.
    std::vector<uint8_t> expected{0x1B, 'V', 0x1B, 'D', 0xAA, 0x55};
    expected.insert(expected.end(), h.protocol.encoded_image.begin(), h.protocol.encoded_image.end());
    expected.insert(expected.end(), {0x1B, 'U'});
    EXPECT_EQ(h.sent(), expected);
}

TEST(DeviceProtocol, WritePacingOneByteACallTenMillisecondPausesOnePieceAStep) {
    ProtocolHarness h(tracker(4));
    h.record.device_model = 4;
    h.start_write();
    h.run();
    ASSERT_EQ(h.protocol.status_line, "Config Written Successfully!");

    std::vector<int64_t> host_times;
    for (const auto& e : h.line().events) {
        if (e.kind == sim::LineEvent::HostToTracker) host_times.push_back(e.time_us);
    }
    ASSERT_EQ(host_times.size(), 2u + 4u + 256u + 2u);
    const int64_t byte_us = sim::byte_time_us(4800);
    EXPECT_EQ(host_times[1] - host_times[0], byte_us);  // no pause in the version query
    for (size_t i = 3; i < 6; ++i) EXPECT_EQ(host_times[i] - host_times[i - 1], byte_us + 10'000);
    for (size_t piece = 0; piece < 8; ++piece) {
        const size_t first = 6 + piece * 32;
        for (size_t i = first + 1; i < first + 32; ++i) {
            EXPECT_EQ(host_times[i] - host_times[i - 1], byte_us + 10'000) << i;
        }
        if (piece > 0) {
            EXPECT_GE(host_times[first] - host_times[first - 1], 100'000);  // the next step
        }
    }
    for (const auto& e : h.line().events) EXPECT_NE(e.kind, sim::LineEvent::Sleep);  // no wait for 256-byte models
}

TEST(DeviceProtocol, SmallModelsWaitTwoSecondsAndVerifyHalfAnImage) {
    ProtocolHarness h(tracker(1));
    h.record.device_model = 1;
    h.start_write();
    h.run();
    EXPECT_EQ(h.protocol.status_line, "Config Written Successfully!");
    EXPECT_EQ(h.sent().size(), 2u + 4u + 256u + 2u);
    int sleeps = 0;
    for (const auto& e : h.line().events) {
        if (e.kind == sim::LineEvent::Sleep) {
            ++sleeps;
            EXPECT_EQ(e.sleep_ms, 2000);
        }
    }
    EXPECT_EQ(sleeps, 1);
    EXPECT_EQ(h.protocol.received_image.length, 128);
}

TEST(DeviceProtocol, NineSixHundredOnlyIsFoundOnTheSecondQueryAndKept) {
    sim::TrackerOptions options = tracker(5);
    options.only_baud = 9600;
    ProtocolHarness h(options);
    h.start(ProtocolState::QueryVersionForRead);
    h.run();
    EXPECT_EQ(h.protocol.status_line, "Read Config Successful");
    EXPECT_EQ(h.port.baud_rate, 9600u);
    EXPECT_EQ(h.open_speeds(), (std::vector<uint32_t>{4800, 9600, 9600}));

    h.line().events.clear();
    h.start(ProtocolState::QueryVersion);
    h.run();
    EXPECT_EQ(h.open_speeds(), (std::vector<uint32_t>{9600}));
    EXPECT_EQ(h.record.device_model, 5);
}

TEST(DeviceProtocol, SilenceEndsAfterFiveQueriesAtAlternatingSpeeds) {
    sim::TrackerOptions options = tracker(4);
    options.silent = true;
    ProtocolHarness h(options);
    h.record.device_model = 4;
    h.start(ProtocolState::QueryVersionForRead);
    h.run();
    EXPECT_EQ(h.protocol.status_line, "Quorvale3 not found : ()");
    EXPECT_EQ(h.record.device_model, 0);
    EXPECT_EQ(h.open_speeds(), (std::vector<uint32_t>{4800, 9600, 4800, 9600, 4800}));
    EXPECT_EQ(h.line().tracker.version_queries, 5u);
    int judged = 0;
    for (const bool refresh : h.refreshes) judged += refresh ? 1 : 0;
    EXPECT_EQ(judged, 5);
}

TEST(DeviceProtocol, OpenFailureShowsThePortsTextAndChangesNothingElse) {
    ProtocolHarness h(tracker(4));
    set_port_name(h.port, "COM7");
    h.protocol.status_line = "before";
    h.start(ProtocolState::QueryVersion);
    EXPECT_EQ(h.protocol.status_line, "Could not open Com Port COM7");
    EXPECT_EQ(h.protocol.state, ProtocolState::Idle);
    EXPECT_TRUE(h.sent().empty());
}

TEST(DeviceProtocol, TestCommandsOpenSendAndClose) {
    const struct {
        TestCommand command;
        uint8_t last;
    } cases[] = {{TestCommand::Tone1200, '1'},
                 {TestCommand::Tone2200, '2'},
                 {TestCommand::ToneBoth, '3'},
                 {TestCommand::StopTest, 0x1B}};
    for (const auto& c : cases) {
        ProtocolHarness h(tracker(4));
        h.protocol.status_line = "unchanged";
        send_test_command(h.protocol, h.port, c.command);
        EXPECT_EQ(h.sent(), (std::vector<uint8_t>{0x1B, 0x1B, c.last}));
        EXPECT_FALSE(h.line().is_open);
        EXPECT_EQ(h.protocol.status_line, "unchanged");
        EXPECT_EQ(h.line().tracker.test_commands_total, 1u);
    }
    ProtocolHarness nothing(tracker(4));
    set_port_name(nothing.port, "No COM Ports Found");
    send_test_command(nothing.protocol, nothing.port, TestCommand::Tone1200);
    EXPECT_TRUE(nothing.sent().empty());
    EXPECT_EQ(nothing.protocol.status_line, "");
}

}  // namespace
}  // namespace qv3
