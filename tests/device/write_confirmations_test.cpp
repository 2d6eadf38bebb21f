// The questions before a write, and what encoding decides before anything is sent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/write_confirmations.h"
#include "model/image_encoder.h"
#include "protocol_harness.h"

namespace qv3 {
namespace {

using test::ProtocolHarness;
using test::tracker;

// A host that answers from a script and remembers what it was asked.
struct ScriptedHost {
    std::vector<bool> answers;  // answers in order; missing answers are OK
    std::vector<std::string> asked;
    std::vector<std::string> notices;

    WriteHost host() {
        return {[this](std::string_view caption, std::string_view text) {
                    EXPECT_EQ(caption, kWriteQuestionCaption);
                    asked.emplace_back(text);
                    return asked.size() > answers.size() || answers[asked.size() - 1];
                },
                [this](std::string_view caption, std::string_view) { notices.emplace_back(caption); }};
    }
};

ConfigRecord model4() {
    ConfigRecord r;
    r.device_model = 4;
    return r;
}

TEST(WriteConfirmations, DefaultsAskNothingAndStartTheWrite) {
    ProtocolHarness h(tracker(4));
    h.record = model4();
    ScriptedHost host;
    EXPECT_FALSE(confirm_and_start_write(h.protocol, h.port, h.record, host.host()));
    EXPECT_TRUE(host.asked.empty());
    EXPECT_EQ(h.protocol.state, ProtocolState::QueryVersionForWrite);
    h.run();
    EXPECT_EQ(h.protocol.status_line, "Config Written Successfully!");
}

TEST(WriteConfirmations, EachConditionInEitherBank) {
    const struct {
        void (*change)(ConfigRecord&);
        std::vector<const char*> questions;
    } cases[] = {
        {[](ConfigRecord& r) { r.mic_e_message[1] = 7; }, {kEmergencyQuestion}},
        {[](ConfigRecord& r) {
             r.mic_e_message[0] = 7;
             r.mic_e_enable = {0, 0};
         },
         {kEmergencyQuestion}},
        {[](ConfigRecord& r) { r.path[1] = "WIDE1-1,WIDE4-4"; }, {kLongPathQuestion}},
        {[](ConfigRecord& r) { r.path[0] = "X-7"; }, {kLongPathQuestion}},
        {[](ConfigRecord& r) { r.path[0] = "WIDE3-3,WIDE2-8"; }, {}},
        {[](ConfigRecord& r) { r.auto_tx_rate[1] = 119; }, {kFastRateQuestion}},
        {[](ConfigRecord& r) {
             r.smart_beacon_enable[0] = 1;
             r.auto_tx_rate[0] = 30;
         },
         {}},
        {[](ConfigRecord& r) {
             r.smart_beacon_enable[0] = 1;
             r.fast_rate[0] = 89;
         },
         {kFastRateQuestion}},
        {[](ConfigRecord& r) { r.fast_rate[0] = 10; }, {}},
        {[](ConfigRecord& r) { r.telemetry_def_rate[1] = 29; }, {kFastTelemetryQuestion}},
        {[](ConfigRecord& r) { r.telemetry_def_rate[1] = 30; }, {}},
        {[](ConfigRecord& r) { r.telemetry_def_rate[0] = -5; }, {}},
        {[](ConfigRecord& r) {
             r.telemetry_def_rate[0] = 5;
             r.send_telemetry = {0, 0};
         },
         {}},
        {[](ConfigRecord& r) {
             r.mic_e_message = {7, 7};
             r.path = {"WIDE5-5", "WIDE6-6"};
             r.auto_tx_rate = {60, 60};
             r.telemetry_def_rate = {1, 1};
         },
         {kEmergencyQuestion, kLongPathQuestion, kFastRateQuestion, kFastTelemetryQuestion}},
    };
    for (const auto& c : cases) {
        ConfigRecord record = model4();
        c.change(record);
        std::vector<std::string> expected(c.questions.begin(), c.questions.end());
        std::vector<std::string> got;
        for (const char* q : write_questions_for(record)) got.emplace_back(q);
        EXPECT_EQ(got, expected);
    }
}

TEST(WriteConfirmations, CancelEndsTheCommandWithoutAnyTraffic) {
    ProtocolHarness h(tracker(4));
    h.record = model4();
    h.record.mic_e_message[0] = 7;
    h.record.path[0] = "WIDE7-7";
    h.record.auto_tx_rate[0] = 10;
    h.protocol.retry_count = 3;
    const DeviceProtocol before = h.protocol;
    ScriptedHost host;
    host.answers = {true, false};
    EXPECT_FALSE(confirm_and_start_write(h.protocol, h.port, h.record, host.host()));
    EXPECT_EQ(host.asked, (std::vector<std::string>{kEmergencyQuestion, kLongPathQuestion}));
    EXPECT_TRUE(h.line().events.empty());
    EXPECT_EQ(h.protocol.retry_count, before.retry_count);
    EXPECT_EQ(h.protocol.encoded_image, before.encoded_image);
    EXPECT_EQ(h.protocol.state, ProtocolState::Idle);
}

TEST(WriteConfirmations, CutTextsAreDecodedBackAndNothingIsSent) {
    ProtocolHarness h(tracker(1));
    h.record.device_model = 1;
    h.record.status_text[0] = std::string(120, 'S');
    ScriptedHost host;
    EXPECT_TRUE(confirm_and_start_write(h.protocol, h.port, h.record, host.host()));
    EXPECT_EQ(host.notices, (std::vector<std::string>{kTextTruncatedCaption}));
    EXPECT_EQ(h.protocol.status_line, "Read Config Successful");
    EXPECT_LT(h.record.status_text[0].size(), 120u);
    EXPECT_EQ(h.record.status_text[0], std::string(h.record.status_text[0].size(), 'S'));
    EXPECT_TRUE(h.line().events.empty());

    // Given again, the shortened texts fit and the write goes out.
    host.notices.clear();
    EXPECT_FALSE(confirm_and_start_write(h.protocol, h.port, h.record, host.host()));
    EXPECT_TRUE(host.notices.empty());
    h.run();
    EXPECT_EQ(h.protocol.status_line, "Config Written Successfully!");
}

TEST(WriteConfirmations, AConfigurationTooLargeIsRefused) {
    ProtocolHarness h(tracker(2));
    h.record.device_model = 2;
    h.record.path = {std::string(30, ','), "WIDE2-2"};
    ScriptedHost host;
    EXPECT_FALSE(confirm_and_start_write(h.protocol, h.port, h.record, host.host()));
    EXPECT_EQ(host.notices, (std::vector<std::string>{kDoesNotFitCaption}));
    EXPECT_TRUE(h.line().events.empty());
    EXPECT_EQ(h.protocol.state, ProtocolState::Idle);
}

}  // namespace
}  // namespace qv3
