// The questions before a write, and what encoding decides before anything is sent.
#include "device/write_confirmations.h"
#include "protocol_harness.h"

namespace qv3::test {
namespace {

// The user, for these tests: answers from a script and remembers what it was asked.
struct ScriptedHost {
    std::vector<bool> answers;  // answers in order; missing answers are OK
    std::vector<std::string> asked{}, notices{};
};

ScriptedHost& scripted() {
    static ScriptedHost host;
    return host;
}

// A fresh script for one test.
ScriptedHost& script(std::vector<bool> answers = {}) { return scripted() = ScriptedHost{std::move(answers)}; }

}  // namespace
}  // namespace qv3::test

// This test's side of the questions' seam (device/user_questions.h).
namespace qv3 {

bool ask_ok_cancel(WindowHandle, std::string_view caption, std::string_view text) {
    test::ScriptedHost& host = test::scripted();
    EXPECT_EQ(caption, kWriteQuestionCaption);
    host.asked.emplace_back(text);
    return host.asked.size() > host.answers.size() || host.answers[host.asked.size() - 1];
}

void show_notice(WindowHandle, std::string_view caption, std::string_view) {
    test::scripted().notices.emplace_back(caption);
}

}  // namespace qv3

namespace qv3::test {
namespace {

TEST(WriteConfirmations, DefaultsAskNothingAndStartTheWrite) {
    ProtocolHarness h({.model = 4});
    h.record.device_model = 4;
    ScriptedHost& host = script();
    EXPECT_FALSE(confirm_and_start_write(h.protocol, h.port, h.record, kNoOwner));
    EXPECT_TRUE(host.asked.empty());
    EXPECT_EQ(h.protocol.state, ProtocolState::QueryVersionForWrite);
    h.run();
    EXPECT_EQ(h.protocol.status_line, "Config Written Successfully!");
}

TEST(WriteConfirmations, EachConditionInEitherBank) {
    const std::string wide = "WIDE1-1,WIDE2-1";  // the default path
    const struct { ConfigRecord record; std::vector<const char*> questions; } cases[] = {
        {{.device_model = 4, .mic_e_message = {2, 7}}, {kEmergencyQuestion}},
        {{.device_model = 4, .mic_e_enable = {0, 0}, .mic_e_message = {7, 2}}, {kEmergencyQuestion}},
        {{.device_model = 4, .path = {wide, "WIDE1-1,WIDE4-4"}}, {kLongPathQuestion}},
        {{.device_model = 4, .path = {"X-7", wide}}, {kLongPathQuestion}},
        {{.device_model = 4, .path = {"WIDE3-3,WIDE2-8", wide}}, {}},
        {{.device_model = 4, .auto_tx_rate = {120, 119}}, {kFastRateQuestion}},
        {{.device_model = 4, .auto_tx_rate = {30, 120}, .smart_beacon_enable = {1, 0}}, {}},
        {{.device_model = 4, .smart_beacon_enable = {1, 0}, .fast_rate = {89, 90}}, {kFastRateQuestion}},
        {{.device_model = 4, .fast_rate = {10, 90}}, {}},
        {{.device_model = 4, .telemetry_def_rate = {0, 29}}, {kFastTelemetryQuestion}},
        {{.device_model = 4, .telemetry_def_rate = {0, 30}}, {}},
        {{.device_model = 4, .telemetry_def_rate = {-5, 0}}, {}},
        {{.device_model = 4, .send_telemetry = {0, 0}, .telemetry_def_rate = {5, 0}}, {}},
        {{.device_model = 4, .path = {"WIDE5-5", "WIDE6-6"}, .auto_tx_rate = {60, 60}, .mic_e_message = {7, 7},
          .telemetry_def_rate = {1, 1}},
         {kEmergencyQuestion, kLongPathQuestion, kFastRateQuestion, kFastTelemetryQuestion}},
    };
    for (const auto& c : cases) {
        const std::vector<const char*> got = write_questions_for(c.record);
        EXPECT_EQ(std::vector<std::string>(got.begin(), got.end()),
                  std::vector<std::string>(c.questions.begin(), c.questions.end()));
    }
}

TEST(WriteConfirmations, CancelEndsTheCommandWithoutAnyTraffic) {
    ProtocolHarness h({.model = 4});
    h.record = {.device_model = 4, .path = {"WIDE7-7", "WIDE1-1,WIDE2-1"}, .auto_tx_rate = {10, 120},
                .mic_e_message = {7, 2}};
    h.protocol.retry_count = 3;
    const DeviceProtocol before = h.protocol;
    ScriptedHost& host = script({true, false});
    EXPECT_FALSE(confirm_and_start_write(h.protocol, h.port, h.record, kNoOwner));
    EXPECT_EQ(host.asked, (std::vector<std::string>{kEmergencyQuestion, kLongPathQuestion}));
    EXPECT_TRUE(line().events.empty());
    EXPECT_EQ(h.protocol.retry_count, before.retry_count);
    EXPECT_EQ(h.protocol.encoded_image, before.encoded_image);
    EXPECT_EQ(h.protocol.state, ProtocolState::Idle);
}

TEST(WriteConfirmations, CutTextsAreDecodedBackAndNothingIsSent) {
    ProtocolHarness h({.model = 1});
    h.record = {.device_model = 1, .status_text = {std::string(120, 'S'), "Quorvale3"}};
    ScriptedHost& host = script();
    EXPECT_TRUE(confirm_and_start_write(h.protocol, h.port, h.record, kNoOwner));
    EXPECT_EQ(host.notices, (std::vector<std::string>{kTextTruncatedCaption}));
    EXPECT_EQ(h.protocol.status_line, "Read Config Successful");
    EXPECT_LT(h.record.status_text[0].size(), 120u);
    EXPECT_EQ(h.record.status_text[0], std::string(h.record.status_text[0].size(), 'S'));
    EXPECT_TRUE(line().events.empty());

    // Given again, the shortened texts fit and the write goes out.
    host.notices.clear();
    EXPECT_FALSE(confirm_and_start_write(h.protocol, h.port, h.record, kNoOwner));
    EXPECT_TRUE(host.notices.empty());
    h.run();
    EXPECT_EQ(h.protocol.status_line, "Config Written Successfully!");
}

TEST(WriteConfirmations, AConfigurationTooLargeIsRefused) {
    ProtocolHarness h({.model = 2});
    h.record = {.device_model = 2, .path = {std::string(30, ','), "WIDE2-2"}};
    ScriptedHost& host = script();
    EXPECT_FALSE(confirm_and_start_write(h.protocol, h.port, h.record, kNoOwner));
    EXPECT_EQ(host.notices, (std::vector<std::string>{kDoesNotFitCaption}));
    EXPECT_TRUE(line().events.empty());
    EXPECT_EQ(h.protocol.state, ProtocolState::Idle);
}

}  // namespace
}  // namespace qv3::test
