// The simulated tracker's parser, image store, fault options and bounds, on a virtual clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "sim/tracker.h"

namespace qv3::sim {
namespace {

using Bytes = std::vector<uint8_t>;

// Sends bytes back to back at baud after t; returns when the last one has arrived.
int64_t send(Tracker& tracker, const Bytes& bytes, uint32_t baud, int64_t t) {
    for (const uint8_t byte : bytes) tracker_receive(tracker, byte, baud, t += byte_time_us(baud));
    return t;
}

// Takes every byte due up to until_us, each at its own time.
std::string drain(Tracker& tracker, int64_t until_us) {
    std::string out;
    std::optional<int64_t> next;
    while ((next = tracker_next_output_us(tracker)) && *next <= until_us) {
        out.push_back(static_cast<char>(tracker_pop_output(tracker, *next).value()));
    }
    return out;
}

// Sends a read query at t and takes what comes back within ten seconds; t moves past that.
Bytes read_back(Tracker& tracker, int64_t& t) {
    t = send(tracker, {0x1B, 'U'}, 4800, t) + 10'000'000;
    const std::string text = drain(tracker, t);
    return {text.begin(), text.end()};
}

// count bytes of bytes, starting at from.
template <typename Container>
Bytes first_bytes(const Container& bytes, int count, int from = 0) {
    return {bytes.begin() + from, bytes.begin() + from + count};
}

// ESC 'D' 0xAA 0x55 and 256 bytes whose value is (index * 7 + salt).
Bytes write_command(uint8_t salt) {
    Bytes bytes{0x1B, 'D', 0xAA, 0x55};
    for (int i = 0; i < kImageBufferSize; ++i) bytes.push_back(static_cast<uint8_t>(i * 7 + salt));
    return bytes;
}

TEST(TrackerParser, BrokenKeysResynchroniseAndWriteDataIsOnlyData) {
    Tracker tracker = make_tracker({.model = 3});
    // An ESC that breaks a write's key begins the next command; any other byte drops back to rest.
    int64_t t = send(tracker, {0x1B, 'D', 0xAA, 0x1B, 'V', 0x1B, 'D', 0x1B, 'V'}, 4800, 0);
    EXPECT_EQ(tracker.version_queries, 2u);
    t = send(tracker, {0x1B, 'D', 0xAA, 0x00, 'V', 0x1B, 'X', 'V'}, 4800, t);
    EXPECT_EQ(tracker.version_queries, 2u);

    // Inside a write every byte is data, command bytes included.
    Bytes command{0x1B, 'D', 0xAA, 0x55};
    for (int i = 0; i < 128; ++i) command.insert(command.end(), {0x1B, static_cast<uint8_t>(i % 2 ? 'U' : 'V')});
    send(tracker, command, 4800, t);
    EXPECT_EQ(tracker.version_queries + tracker.read_queries, 2u);
    EXPECT_EQ(first_bytes(tracker.image, 256), first_bytes(command, 256, 4));
}

TEST(TrackerParser, SurvivesGarbageAndAnswersAsNewAfterwards) {
    Tracker tracker = make_tracker({.model = 4});
    std::mt19937 random(7);
    // Mostly the bytes the parser cares about, so every state is visited often.
    const uint8_t interesting[] = {0x1B, 0x1B, 0x1B, 'V', 'U', 'D', 0xAA, 0x55, '1', '2', '3', 0x00, 0xFF};
    int64_t t = 0;
    for (int round = 0; round < 200; ++round) {
        Bytes garbage(500);
        for (uint8_t& b : garbage) {
            const uint32_t r = random();
            b = r % 4 == 0 ? static_cast<uint8_t>(r >> 8) : interesting[(r >> 8) % sizeof interesting];
        }
        t = send(tracker, garbage, 9600, t);
        ASSERT_LE(tracker.output.size(), kMaxQueuedBytes);
        ASSERT_LE(tracker.test_log.size(), kMaxTestLog);
        drain(tracker, t);
    }
    EXPECT_TRUE(tracker.version_queries + tracker.read_queries > 0 && tracker.test_commands_total > 0);
    EXPECT_EQ(tracker.test_log.size(), std::min<uint64_t>(tracker.test_commands_total, kMaxTestLog));

    // Finish any write in progress, then the tracker answers as new.
    t = send(tracker, Bytes(kImageBufferSize, 0x00), 9600, t);
    drain(tracker, t + 100'000'000);
    t = send(tracker, {0x1B, 'V'}, 9600, t + 100'000'000);
    EXPECT_EQ(drain(tracker, t + 1'000'000), "Quorvale3 v1.4\r\n");
}

TEST(TrackerImage, WriteStoresExactlyTheModelsImageSize) {
    for (const int model : {1, 4}) {
        Tracker tracker = make_tracker({.model = model});
        const ImageBytes before = tracker.image;
        const Bytes command = write_command(3);
        int64_t t = send(tracker, command, 4800, 0);

        const int size = image_size_for_model(model);
        EXPECT_EQ(first_bytes(tracker.image, size), first_bytes(command, size, 4)) << model;
        EXPECT_EQ(first_bytes(tracker.image, 256 - size, size), first_bytes(before, 256 - size, size)) << model;
        EXPECT_EQ(read_back(tracker, t), first_bytes(command, size, 4)) << model;
    }
}

TEST(TrackerFaults, ShortAndLongImagesChangeOnlyTheReadsLength) {
    int64_t t = 0;
    Tracker cut = make_tracker({.model = 4, .short_image = 100});
    EXPECT_EQ(read_back(cut, t), first_bytes(cut.image, 100));
    Tracker none = make_tracker({.model = 4, .short_image = 0});
    EXPECT_TRUE(read_back(none, t = 0).empty());

    Tracker longer = make_tracker({.model = 1, .long_image = 200});
    const Bytes reply = read_back(longer, t = 0);
    ASSERT_EQ(reply.size(), 200u);
    EXPECT_EQ(first_bytes(reply, 128), first_bytes(longer.image, 128));

    // A corrupted offset beyond a short image changes nothing.
    Tracker both = make_tracker({.model = 4, .short_image = 10, .corrupt_readback = 200});
    const Bytes command = write_command(5);
    t = send(both, command, 4800, 0);
    EXPECT_EQ(read_back(both, t), first_bytes(command, 10, 4));
}

TEST(TrackerFaults, CorruptReadbackChangesOneByteOfTheFirstReadAfterEachWrite) {
    Tracker tracker = make_tracker({.model = 2, .corrupt_readback = 77});
    int64_t t = 0;
    EXPECT_EQ(read_back(tracker, t), first_bytes(tracker.image, 128)) << "no write yet";
    const Bytes command = write_command(1);
    const Bytes written = first_bytes(command, 128, 4);
    for (int write = 1; write <= 2; ++write) {  // every write arms it again
        t = send(tracker, command, 4800, t);
        Bytes first = read_back(tracker, t);
        ASSERT_EQ(first.size(), 128u);
        EXPECT_NE(first[77], written[77]) << "write " << write;
        first[77] = written[77];
        EXPECT_EQ(first, written) << "only the one byte differs";
        EXPECT_EQ(first_bytes(tracker.image, 128), written) << "the memory itself is right";
        EXPECT_EQ(read_back(tracker, t), written) << "the second read is clean";
    }
}

TEST(TrackerFaults, OnlyBaudHearsAndAnswersAtItsSpeedOnly) {
    Tracker tracker = make_tracker({.model = 5, .only_baud = 9600});
    int64_t t = send(tracker, {0x1B, 'V'}, 4800, 0);
    EXPECT_EQ(tracker.bytes_ignored, 2u);
    // A stray byte at the wrong speed inside a command does not break it.
    t = send(tracker, {'x'}, 4800, send(tracker, {0x1B}, 9600, t));
    t = send(tracker, {'V'}, 9600, t);
    EXPECT_EQ(drain(tracker, t + 1'000'000), "PL-RUX v1.4\r\n");
}

TEST(TrackerFaults, SilentAnswersNothingButStillHearsAndStoresWrites) {
    Tracker tracker = make_tracker({.model = 4, .silent = true, .noise = true, .stream = true});
    int64_t t = send(tracker, {0x1B, 'V', 0x1B, 'U', 0x1B, 0x1B, '3'}, 4800, 0);
    t = send(tracker, write_command(9), 4800, t);
    EXPECT_TRUE(drain(tracker, t + 60'000'000).empty());
    EXPECT_EQ(tracker.version_queries + tracker.read_queries + tracker.test_commands_total, 3u);
    EXPECT_EQ(first_bytes(tracker.image, 256), first_bytes(write_command(9), 256, 4));
}

TEST(TrackerBounds, UnreadTalkAndFloodedCommandsStayBounded) {
    Tracker tracker = make_tracker({.model = 4, .noise = true, .stream = true});
    // An hour with nobody reading, then a command: the backlog is capped.
    constexpr int64_t kHour = 3600LL * 1'000'000;
    int64_t t = send(tracker, {0x1B, 'U'}, 4800, kHour);
    EXPECT_LE(tracker.output.size(), kMaxQueuedBytes);
    EXPECT_GE(*tracker_next_output_us(tracker), kHour - static_cast<int64_t>(kMaxTalkBacklogBytes + 1) * 2084);

    // A flood of read commands: answers beyond the queue's room are dropped.
    Bytes flood;
    for (int i = 0; i < 200; ++i) flood.insert(flood.end(), {0x1B, 'U'});
    t = send(tracker, flood, 4800, t);
    EXPECT_LE(tracker.output.size(), kMaxQueuedBytes);
    EXPECT_GT(tracker.replies_dropped, 0u);

    // What was queued comes out in time order.
    for (int64_t i = 0, last = 0; i < 2 * static_cast<int64_t>(kMaxQueuedBytes); ++i) {
        ASSERT_GE(*tracker_next_output_us(tracker), last);
        tracker_pop_output(tracker, last = *tracker_next_output_us(tracker));
    }
}

}  // namespace
}  // namespace qv3::sim
