// The simulated tracker's commands, image store and pacing on a virtual clock.
#include <gtest/gtest.h>

#include "tracker_driving.h"

namespace qv3::sim {
namespace {

using test::drain;
using test::send;

TEST(TrackerCommands, VersionReplyNamesEachModel) {
    const char* const expected[] = {"", "Quorvale3 v1.1", "PL-RUX v1.2", "Pellantor KX",
                                    "Quorvale3 v1.4", "PL-RUX v1.4", "PL-Zenda v1.4"};
    for (int model = 1; model <= 6; ++model) {
        Tracker tracker = make_tracker({.model = model});
        const int64_t sent = send(tracker, test::kVersionQuery, 4800, 0);
        EXPECT_EQ(test::text_of(drain(tracker, sent + 1'000'000)), std::string(expected[model]) + "\r\n")
            << "model " << model;
        EXPECT_EQ(tracker.version_queries, 1u);
    }
    EXPECT_EQ(tracker_version_text(0), "");
    EXPECT_EQ(tracker_version_text(7), "");
}

TEST(TrackerCommands, ReadSendsTheModelsEncodedDefaults) {
    for (int model = 1; model <= 6; ++model) {
        Tracker tracker = make_tracker({.model = model});
        const int64_t sent = send(tracker, test::kReadQuery, 9600, 0);
        const auto reply = test::bytes_of(drain(tracker, sent + 10'000'000));
        EXPECT_EQ(reply.size(), model <= 2 ? 128u : 256u) << "model " << model;
        EXPECT_EQ(reply, test::defaults_image(model)) << "model " << model;
        EXPECT_EQ(tracker_image_size(tracker), static_cast<int>(reply.size()));
    }
}

TEST(TrackerCommands, WriteStoresExactlyTheImageSize) {
    for (const int model : {1, 4}) {
        Tracker tracker = make_tracker({.model = model});
        const ImageBytes before = tracker.image;
        const auto command = test::write_command(3);
        const int64_t sent = send(tracker, command, 4800, 0);
        EXPECT_EQ(tracker.completed_writes, 1u);
        EXPECT_FALSE(tracker_next_output_us(tracker).has_value()) << "a write has no answer";

        const int size = image_size_for_model(model);
        for (int i = 0; i < kImageBufferSize; ++i) {
            const uint8_t expected = i < size ? command[static_cast<size_t>(4 + i)] : before[static_cast<size_t>(i)];
            ASSERT_EQ(tracker.image[static_cast<size_t>(i)], expected) << "model " << model << " byte " << i;
        }
        const int64_t asked = send(tracker, test::kReadQuery, 4800, sent);
        const auto reply = test::bytes_of(drain(tracker, asked + 10'000'000));
        EXPECT_EQ(reply, std::vector<uint8_t>(command.begin() + 4, command.begin() + 4 + size));
    }
}

TEST(TrackerCommands, WriteDataMayHoldCommandBytes) {
    Tracker tracker = make_tracker({.model = 3});
    std::vector<uint8_t> command{0x1B, 'D', 0xAA, 0x55};
    for (int i = 0; i < 128; ++i) {
        command.push_back(0x1B);
        command.push_back(i % 2 == 0 ? 'V' : 'U');
    }
    send(tracker, command, 4800, 0);
    EXPECT_EQ(tracker.completed_writes, 1u);
    EXPECT_EQ(tracker.version_queries + tracker.read_queries, 0u);
    EXPECT_FALSE(tracker_next_output_us(tracker).has_value());
    EXPECT_EQ(tracker.image[0], 0x1B);
    EXPECT_EQ(tracker.image[255], 'U');
}

TEST(TrackerCommands, TestCommandsAreLoggedWithTheirTimes) {
    Tracker tracker = make_tracker({.model = 4});
    int64_t t = send(tracker, {0x1B, 0x1B, '1'}, 4800, 0);
    const int64_t first = t;
    t = send(tracker, {0x1B, 0x1B, '2', 0x1B, 0x1B, '3', 0x1B, 0x1B, 0x1B}, 4800, t);
    t = send(tracker, {0x1B, 0x1B, '9'}, 4800, t);  // not a test command
    ASSERT_EQ(tracker.test_log.size(), 4u);
    EXPECT_EQ(tracker.test_commands_total, 4u);
    EXPECT_EQ(tracker.test_log[0].command, TestCommand::Tone1200);
    EXPECT_EQ(tracker.test_log[0].time_us, first);
    EXPECT_EQ(tracker.test_log[1].command, TestCommand::Tone2200);
    EXPECT_EQ(tracker.test_log[2].command, TestCommand::BothTones);
    EXPECT_EQ(tracker.test_log[3].command, TestCommand::Stop);
    EXPECT_FALSE(tracker_next_output_us(tracker).has_value()) << "test commands have no answer";
    t = send(tracker, test::kVersionQuery, 4800, t);
    EXPECT_EQ(tracker.version_queries, 1u) << "the parser is back at rest";

    // The log keeps only the latest commands.
    std::vector<uint8_t> many;
    for (size_t i = 0; i < kMaxTestLog + 10; ++i) many.insert(many.end(), {0x1B, 0x1B, '2'});
    many.insert(many.end(), {0x1B, 0x1B, '3'});
    const int64_t end = send(tracker, many, 9600, t);
    EXPECT_EQ(tracker.test_log.size(), kMaxTestLog);
    EXPECT_EQ(tracker.test_commands_total, 4 + kMaxTestLog + 11);
    EXPECT_EQ(tracker.test_log.back().command, TestCommand::BothTones);
    EXPECT_EQ(tracker.test_log.back().time_us, end);
}

TEST(TrackerCommands, BrokenKeysGiveWayToTheNextCommand) {
    Tracker tracker = make_tracker({.model = 4});
    int64_t t = send(tracker, {0x1B, 'D', 0xAA, 0x1B, 'V'}, 4800, 0);
    EXPECT_EQ(tracker.version_queries, 1u);
    t = send(tracker, {0x1B, 'D', 0x1B, 'V'}, 4800, t);
    EXPECT_EQ(tracker.version_queries, 2u);
    t = send(tracker, {0x1B, 'D', 0xAA, 0x00, 'V', 0x1B, 'X', 'V'}, 4800, t);
    EXPECT_EQ(tracker.version_queries, 2u);
    EXPECT_EQ(tracker.state, ParserState::Idle);
    EXPECT_EQ(tracker.completed_writes, 0u);
}

TEST(TrackerPacing, RepliesFollowTheLineSpeed) {
    EXPECT_EQ(byte_time_us(4800), 2084);
    EXPECT_EQ(byte_time_us(9600), 1042);
    for (const uint32_t baud : {4800u, 9600u}) {
        Tracker tracker = make_tracker({.model = 4});
        const int64_t sent = send(tracker, test::kVersionQuery, baud, 1000);
        const auto reply = drain(tracker, sent + 1'000'000);
        ASSERT_EQ(reply.size(), 16u);
        EXPECT_EQ(reply[0].due_us, sent + byte_time_us(baud)) << baud;
        for (size_t i = 1; i < reply.size(); ++i) {
            EXPECT_EQ(reply[i].due_us - reply[i - 1].due_us, byte_time_us(baud)) << baud;
        }
    }
}

TEST(TrackerPacing, ReplyDelayAndBackToBackAnswers) {
    Tracker tracker = make_tracker({.model = 4, .reply_delay_ms = 50});
    const int64_t first = send(tracker, test::kVersionQuery, 4800, 0);
    const int64_t second = send(tracker, test::kVersionQuery, 4800, first);
    EXPECT_EQ(tracker_next_output_us(tracker), first + 50'000 + 2084);
    EXPECT_FALSE(tracker_pop_output(tracker, first + 50'000 + 2083).has_value()) << "not due yet";

    const auto replies = drain(tracker, second + 10'000'000);
    ASSERT_EQ(replies.size(), 32u);
    // The second answer waits its own delay, then for the first to finish.
    const int64_t first_end = replies[15].due_us;
    EXPECT_EQ(replies[16].due_us, std::max(second + 50'000, first_end) + 2084);
    EXPECT_EQ(test::text_of(replies), "Quorvale3 v1.4\r\nQuorvale3 v1.4\r\n");
}

TEST(TrackerPacing, OnlyBaudIgnoresOtherSpeeds) {
    Tracker tracker = make_tracker({.model = 5, .only_baud = 9600});
    int64_t t = send(tracker, test::kVersionQuery, 4800, 0);
    EXPECT_EQ(tracker.bytes_ignored, 2u);
    EXPECT_EQ(tracker.version_queries, 0u);
    EXPECT_FALSE(tracker_next_output_us(tracker).has_value());

    // A stray byte at the wrong speed inside a command does not break it.
    t = send(tracker, {0x1B}, 9600, t);
    t = send(tracker, {'x'}, 4800, t);
    t = send(tracker, {'V'}, 9600, t);
    EXPECT_EQ(tracker.version_queries, 1u);
    const auto reply = drain(tracker, t + 1'000'000);
    EXPECT_EQ(test::text_of(reply), "PL-RUX v1.4\r\n");
    EXPECT_EQ(reply[0].due_us, t + 1042);
}

TEST(TrackerImage, LoadAcceptsOnlyTheModelsSize) {
    Tracker tracker = make_tracker({.model = 2});
    const std::vector<uint8_t> wrong(256, 0x11);
    EXPECT_EQ(tracker_load_image(tracker, wrong.data(), wrong.size()), "an image for model 2 has 128 bytes, not 256");
    EXPECT_EQ(tracker_load_image(tracker, nullptr, 0), "an image for model 2 has 128 bytes, not 0");
    const std::vector<uint8_t> right(128, 0x22);
    EXPECT_EQ(tracker_load_image(tracker, right.data(), right.size()), "");
    const int64_t t = send(tracker, test::kReadQuery, 4800, 0);
    EXPECT_EQ(test::bytes_of(drain(tracker, t + 10'000'000)), right);
}

TEST(TrackerOptionsCheck, RangesNameTheOption) {
    EXPECT_EQ(validate_tracker_options({.model = 4}), "");
    EXPECT_EQ(validate_tracker_options({.model = 0}), "--model must be 1 to 6");
    EXPECT_EQ(validate_tracker_options({.model = 7}), "--model must be 1 to 6");
    EXPECT_EQ(validate_tracker_options({.model = 4, .reply_delay_ms = 10001}), "--reply-delay must be 0 to 10000 ms");
    EXPECT_EQ(validate_tracker_options({.model = 4, .only_baud = 1200}), "--only-baud must be 4800 or 9600");
    EXPECT_EQ(validate_tracker_options({.model = 1, .short_image = 128}), "--short-image must be 0 to 127 for model 1");
    EXPECT_EQ(validate_tracker_options({.model = 3, .short_image = 255}), "");
    EXPECT_EQ(validate_tracker_options({.model = 1, .long_image = 128}),
              "--long-image must be 129 to 1024 for model 1");
    EXPECT_EQ(validate_tracker_options({.model = 6, .long_image = 1025}),
              "--long-image must be 257 to 1024 for model 6");
    EXPECT_EQ(validate_tracker_options({.model = 4, .short_image = 3, .long_image = 300}),
              "--short-image and --long-image exclude each other");
    EXPECT_EQ(validate_tracker_options({.model = 2, .corrupt_readback = 128}),
              "--corrupt-readback must be 0 to 127 for model 2");

    // make_tracker turns what is out of range off rather than trusting it.
    const Tracker clamped = make_tracker({.model = 9, .reply_delay_ms = -5, .only_baud = 1200, .short_image = 900});
    EXPECT_EQ(clamped.options.model, 6);
    EXPECT_EQ(clamped.options.reply_delay_ms, 0);
    EXPECT_EQ(clamped.options.only_baud, 0u);
    EXPECT_EQ(clamped.options.short_image, -1);
}

}  // namespace
}  // namespace qv3::sim
