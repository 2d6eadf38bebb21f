// The history folder: entry names both ways, one entry per new image, the newest kept, failures reported.
#include <gtest/gtest.h>

#include "files/config_file.h"
#include "files/history.h"
#include "test_support.h"

namespace qv3 {
namespace {

constexpr LocalTime kNoon{2026, 12, 8, 12, 0, 5};

TEST(History, NamesReadBackAndOtherFilesAreNoEntries) {
    const struct {
        const char* callsign;
        int same_second;
        HistoryKind kind;
        const char* name;
    } cases[] = {
        {"N0CALL-9", 1, HistoryKind::Read, "2026-12-08 12-00-05 N0CALL-9 model 4 read.qv3"},
        {"W1/A:B*?", 2, HistoryKind::BeforeWrite, "2026-12-08 12-00-05 W1_A_B__ model 4 before write 2.qv3"},
        {"MY CALL model 3", 12, HistoryKind::Written, "2026-12-08 12-00-05 MY CALL model 3 model 4 written 12.qv3"},
        {"", 1, HistoryKind::Read, "2026-12-08 12-00-05 _ model 4 read.qv3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(history_entry_name(kNoon, c.same_second, c.callsign, 4, c.kind), c.name);
        HistoryEntry entry;
        ASSERT_TRUE(parse_history_entry_name(c.name, entry)) << c.name;
        EXPECT_EQ(std::make_tuple(entry.same_second, entry.model, entry.kind, entry.time.second),
                  std::make_tuple(c.same_second, 4, c.kind, 5));
    }
    HistoryEntry entry;
    for (const char* other : {"notes.txt", "2026-12-08 12-00-05 X model 4 read 1.qv3", "2026-12-08 12-00-05 X read.qv3",
                              "2026-12-08 12-00-05 X model 4 kept.qv3", "2026-12-08 12:00:05 X model 4 read.qv3"}) {
        EXPECT_FALSE(parse_history_entry_name(other, entry)) << other;
    }
}

ImageBytes image_with_callsign(const std::string& callsign) {
    ConfigRecord record = test::defaults_for(4);
    record.callsign[Primary] = callsign;
    return test::encoded(record);
}

TEST(History, KeepsEachNewImageOnceNewestFirstUpToTheLimit) {
    test::ScratchFolder folder;
    const std::string history = folder.file("a/history");  // made, with the folder above it

    HistoryResult first = keep_in_history(history, kNoon, 4, image_with_callsign("K1ABC-7"), HistoryKind::Read, 3);
    ASSERT_EQ(first.outcome, HistoryOutcome::Added) << first.reason;
    test::write_bytes(history + "/notes.txt", "mine");
    EXPECT_EQ(test::read_bytes(first.path), config_file_bytes(4, image_with_callsign("K1ABC-7")));
    ConfigRecord loaded;
    ReceivedImage image;
    ASSERT_EQ(load_config_file(first.path, loaded, image).outcome, LoadOutcome::Loaded);
    EXPECT_EQ(std::make_pair(loaded.device_model, loaded.callsign[Primary]), std::make_pair(4, std::string("K1ABC-7")));

    const HistoryResult again = keep_in_history(history, kNoon, 4, image_with_callsign("K1ABC-7"), HistoryKind::Written, 3);
    EXPECT_EQ(again.outcome, HistoryOutcome::SameAsNewest);
    EXPECT_EQ(again.path, first.path);

    for (const char* callsign : {"A1", "B2", "C3", "D4"}) {
        const LocalTime at = callsign[0] == 'A' ? kNoon : LocalTime{2026, 12, 8, 12, 1, 0};
        ASSERT_EQ(keep_in_history(history, at, 4, image_with_callsign(callsign), HistoryKind::Read, 3).outcome,
                  HistoryOutcome::Added);
    }
    std::vector<std::string> names;
    for (const HistoryEntry& entry : list_history(history)) names.push_back(entry.file_name);
    EXPECT_EQ(names, (std::vector<std::string>{"2026-12-08 12-01-00 D4 model 4 read 3.qv3",
                                               "2026-12-08 12-01-00 C3 model 4 read 2.qv3",
                                               "2026-12-08 12-01-00 B2 model 4 read.qv3"}));
    EXPECT_EQ(test::read_bytes(history + "/notes.txt"), "mine");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(history), {}), 4);

    // A file where the folder or one above it belongs: nothing kept, and the system's reason.
    for (const std::string& blocked : {history + "/notes.txt", history + "/notes.txt/history"}) {
        const HistoryResult failed = keep_in_history(blocked, kNoon, 4, image_with_callsign("E5"), HistoryKind::Read, 3);
        EXPECT_EQ(failed.outcome, HistoryOutcome::Failed) << blocked;
        EXPECT_FALSE(failed.reason.empty()) << blocked;
    }
}

}  // namespace
}  // namespace qv3
