// The simulated tracker's faults, idle talk and bounds, and its parser under garbage.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tracker_driving.h"

namespace qv3::sim {
namespace {

using test::drain;
using test::send;

TEST(TrackerFaults, SilentAnswersNothingButStillHears) {
    Tracker tracker = make_tracker({.model = 4, .silent = true, .noise = true, .stream = true});
    int64_t t = send(tracker, test::kVersionQuery, 4800, 0);
    t = send(tracker, test::kReadQuery, 4800, t);
    t = send(tracker, {0x1B, 0x1B, '3'}, 4800, t);
    const auto command = test::write_command(9);
    t = send(tracker, command, 4800, t);
    EXPECT_FALSE(tracker_next_output_us(tracker).has_value());
    EXPECT_TRUE(drain(tracker, t + 60'000'000).empty());
    EXPECT_EQ(tracker.version_queries, 1u);
    EXPECT_EQ(tracker.read_queries, 1u);
    EXPECT_EQ(tracker.test_commands_total, 1u);
    EXPECT_EQ(tracker.completed_writes, 1u);
    EXPECT_EQ(tracker.image[10], command[14]);
}

TEST(TrackerFaults, ShortAndLongImages) {
    {
        Tracker tracker = make_tracker({.model = 4, .short_image = 100});
        const int64_t t = send(tracker, test::kReadQuery, 4800, 0);
        const auto expected = test::defaults_image(4);
        EXPECT_EQ(test::bytes_of(drain(tracker, t + 10'000'000)),
                  std::vector<uint8_t>(expected.begin(), expected.begin() + 100));
    }
    {
        Tracker tracker = make_tracker({.model = 4, .short_image = 0});
        const int64_t t = send(tracker, test::kReadQuery, 4800, 0);
        EXPECT_TRUE(drain(tracker, t + 10'000'000).empty());
        EXPECT_EQ(tracker.read_queries, 1u);
    }
    {
        Tracker tracker = make_tracker({.model = 1, .long_image = 200});
        const int64_t t = send(tracker, test::kReadQuery, 4800, 0);
        const auto reply = test::bytes_of(drain(tracker, t + 10'000'000));
        ASSERT_EQ(reply.size(), 200u);
        EXPECT_EQ(std::vector<uint8_t>(reply.begin(), reply.begin() + 128), test::defaults_image(1));
    }
    {
        // The version answer is not affected.
        Tracker tracker = make_tracker({.model = 1, .long_image = 200});
        const int64_t t = send(tracker, test::kVersionQuery, 4800, 0);
        EXPECT_EQ(test::text_of(drain(tracker, t + 10'000'000)), "Quorvale3 v1.1\r\n");
    }
}

TEST(TrackerFaults, CorruptReadbackChangesOnlyTheFirstReadAfterAWrite) {
    Tracker tracker = make_tracker({.model = 2, .corrupt_readback = 77});
    int64_t t = send(tracker, test::kReadQuery, 4800, 0);
    EXPECT_EQ(test::bytes_of(drain(tracker, t + 10'000'000)), test::defaults_image(2)) << "no write yet";

    const auto command = test::write_command(1);
    const std::vector<uint8_t> written(command.begin() + 4, command.begin() + 4 + 128);
    t = send(tracker, command, 4800, t + 10'000'000);
    t = send(tracker, test::kReadQuery, 4800, t);
    auto first = test::bytes_of(drain(tracker, t + 10'000'000));
    ASSERT_EQ(first.size(), 128u);
    EXPECT_NE(first[77], written[77]);
    first[77] = written[77];
    EXPECT_EQ(first, written) << "only the one byte differs";
    EXPECT_EQ(tracker.image[77], written[77]) << "the memory itself is right";

    t = send(tracker, test::kReadQuery, 4800, t + 10'000'000);
    EXPECT_EQ(test::bytes_of(drain(tracker, t + 10'000'000)), written) << "the second read is clean";

    t = send(tracker, command, 4800, t + 10'000'000);
    t = send(tracker, test::kReadQuery, 4800, t);
    EXPECT_NE(test::bytes_of(drain(tracker, t + 10'000'000))[77], written[77]) << "every write arms it again";
}

TEST(TrackerFaults, CorruptOffsetBeyondAShortImageChangesNothing) {
    Tracker tracker = make_tracker({.model = 4, .short_image = 10, .corrupt_readback = 200});
    const auto command = test::write_command(5);
    int64_t t = send(tracker, command, 4800, 0);
    t = send(tracker, test::kReadQuery, 4800, t);
    EXPECT_EQ(test::bytes_of(drain(tracker, t + 10'000'000)),
              std::vector<uint8_t>(command.begin() + 4, command.begin() + 14));
}

TEST(TrackerTalk, NoiseIsSeededSparseAndKeepsAnswersWhole) {
    auto run = [](uint64_t seed) {
        Tracker tracker = make_tracker({.model = 4, .noise = true, .seed = seed});
        std::vector<test::TimedByte> all = drain(tracker, 5'000'000);
        const int64_t t = send(tracker, test::kVersionQuery, 4800, 5'000'000);
        const auto rest = drain(tracker, t + 5'000'000);
        all.insert(all.end(), rest.begin(), rest.end());
        return all;
    };
    const auto a = run(42);
    const auto b = run(42);
    ASSERT_EQ(test::bytes_of(a), test::bytes_of(b)) << "same seed, same noise";
    EXPECT_NE(test::bytes_of(a), test::bytes_of(run(43)));
    // About one short burst every quarter second: present but far from filling the line.
    EXPECT_GT(a.size(), 16u + 10u);
    EXPECT_LT(a.size(), 16u + 1000u);
    EXPECT_NE(test::text_of(a).find("Quorvale3 v1.4\r\n"), std::string::npos);
    for (size_t i = 1; i < a.size(); ++i) ASSERT_GE(a[i].due_us, a[i - 1].due_us);
}

TEST(TrackerTalk, StreamSendsChecksummedSentencesBackToBack) {
    Tracker tracker = make_tracker({.model = 4, .stream = true});
    const auto bytes = drain(tracker, 2'000'000);
    // Two seconds at 4800 baud, every slot used.
    EXPECT_EQ(bytes.size(), static_cast<size_t>(2'000'000 / byte_time_us(4800)));
    for (size_t i = 1; i < bytes.size(); ++i) ASSERT_EQ(bytes[i].due_us - bytes[i - 1].due_us, 2084);

    const std::string text = test::text_of(bytes);
    size_t start = 0;
    int sentences = 0;
    for (size_t end = text.find("\r\n"); end != std::string::npos; end = text.find("\r\n", start)) {
        const std::string line = text.substr(start, end - start);
        start = end + 2;
        ASSERT_EQ(line.rfind("$GP", 0), 0u) << line;
        const size_t star = line.find('*');
        ASSERT_NE(star, std::string::npos) << line;
        uint8_t sum = 0;
        for (size_t i = 1; i < star; ++i) sum ^= static_cast<uint8_t>(line[i]);
        EXPECT_EQ(std::stoi(line.substr(star + 1), nullptr, 16), sum) << line;
        ++sentences;
    }
    EXPECT_GT(sentences, 5);
}

TEST(TrackerTalk, StreamStillAnswersAndFollowsNineSixHundred) {
    Tracker tracker = make_tracker({.model = 6, .stream = true});
    const int64_t t = send(tracker, test::kVersionQuery, 9600, 1'000'000);
    const auto bytes = drain(tracker, t + 1'000'000);
    const std::string text = test::text_of(bytes);
    const size_t at = text.find("PL-Zenda v1.4\r\n");
    ASSERT_NE(at, std::string::npos);
    // The answer goes out whole, at 9600 like the talk around it.
    for (size_t i = at + 1; i < at + 15; ++i) EXPECT_EQ(bytes[i].due_us - bytes[i - 1].due_us, 1042);
}

TEST(TrackerTalk, SwitchedOnLaterStartsCleanly) {
    Tracker tracker = make_tracker({.model = 4});
    tracker.options.stream = true;  // as a test might, after the tracker was made
    const auto bytes = drain(tracker, 200'000);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes[0].byte, '$');
}

TEST(TrackerBounds, UnreadTalkAndFloodedCommandsStayBounded) {
    Tracker tracker = make_tracker({.model = 4, .noise = true, .stream = true});
    // An hour with nobody reading, then a command: the backlog is capped.
    constexpr int64_t kHour = 3600LL * 1'000'000;
    int64_t t = send(tracker, test::kReadQuery, 4800, kHour);
    EXPECT_LE(tracker.output.size(), kMaxQueuedBytes);
    EXPECT_GE(*tracker_next_output_us(tracker), kHour - static_cast<int64_t>(kMaxTalkBacklogBytes + 1) * 2084);

    // A flood of read commands: answers beyond the queue's room are dropped.
    std::vector<uint8_t> flood;
    for (int i = 0; i < 200; ++i) flood.insert(flood.end(), {0x1B, 'U'});
    t = send(tracker, flood, 4800, t);
    EXPECT_LE(tracker.output.size(), kMaxQueuedBytes);
    EXPECT_GT(tracker.replies_dropped, 0u);

    // What was queued all comes out, in time order.
    const auto bytes = drain(tracker, t + kHour, 2 * kMaxQueuedBytes);
    for (size_t i = 1; i < bytes.size(); ++i) ASSERT_GE(bytes[i].due_us, bytes[i - 1].due_us);

    // Dropping output nobody heard leaves nothing old behind.
    tracker_drop_output_before(tracker, 3 * kHour);
    EXPECT_TRUE(tracker.output.empty());
    EXPECT_GT(*tracker_next_output_us(tracker), 3 * kHour);
}

TEST(TrackerBounds, ParserSurvivesGarbage) {
    Tracker tracker = make_tracker({.model = 4});
    std::mt19937 random(7);
    // Mostly the bytes the parser cares about, so every state is visited often.
    const uint8_t interesting[] = {0x1B, 0x1B, 0x1B, 'V', 'U', 'D', 0xAA, 0x55, '1', '2', '3', 0x00, 0xFF};
    int64_t t = 0;
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> garbage(500);
        for (uint8_t& b : garbage) {
            const uint32_t r = random();
            b = r % 4 == 0 ? static_cast<uint8_t>(r >> 8) : interesting[(r >> 8) % sizeof interesting];
        }
        t = send(tracker, garbage, 9600, t);
        ASSERT_LE(tracker.output.size(), kMaxQueuedBytes);
        ASSERT_LE(tracker.test_log.size(), kMaxTestLog);
        ASSERT_GE(tracker.write_received, 0);
        ASSERT_LT(tracker.write_received, kImageBufferSize);
        drain(tracker, t);
    }
    EXPECT_GT(tracker.version_queries + tracker.read_queries, 0u);
    EXPECT_GT(tracker.test_commands_total, 0u);
    EXPECT_EQ(tracker.test_log.size(), std::min<uint64_t>(tracker.test_commands_total, kMaxTestLog));

    // Finish any write in progress, then the tracker answers as new.
    t = send(tracker, std::vector<uint8_t>(kImageBufferSize, 0x00), 9600, t);
    drain(tracker, t + 100'000'000);
    t = send(tracker, test::kVersionQuery, 9600, t + 100'000'000);
    EXPECT_EQ(test::text_of(drain(tracker, t + 1'000'000)), "Quorvale3 v1.4\r\n");
}

}  // namespace
}  // namespace qv3::sim
