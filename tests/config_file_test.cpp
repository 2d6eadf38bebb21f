// .qv3 files: layout, every load outcome, the model trailer and safe replacement.
#include "files/bounded_read.h"
#include "files/config_file.h"
#include "files/system_text.h"
#include "test_support.h"

namespace qv3::test {
namespace {

std::string le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

class ConfigFile : public ::testing::Test {
protected:
    ScratchFolder folder;
    ImageBytes image{};
    ReceivedImage received;

    std::string path(const std::string& name) const { return folder.file(name); }
    SaveResult save(const std::string& name, ConfigRecord r) { return save_config_file(path(name), r, image); }
    // The status text with the system's reason, as qv3 shows it.
    std::string load(const std::string& name, ConfigRecord& r) {
        const LoadResult result = load_config_file(path(name), r, received);
        return with_reason(load_outcome_text(result.outcome), result.reason);
    }
    std::string image_bytes(int size) const { return std::string(image.begin(), image.begin() + size); }
};

TEST_F(ConfigFile, SaveWritesTagLengthImageAndModelTrailer) {
    const SaveResult result = save("a.qv3", defaults_for(4));
    EXPECT_EQ(result.saved, ReplaceOutcome::Written);
    EXPECT_EQ(result.encoding, EncodeOutcome::Complete);
    EXPECT_EQ(read_bytes(path("a.qv3")), "QV3B" + le32(256) + image_bytes(256) + "QV3M" + le32(4));

    save("b.qv3", defaults_for(0));
    EXPECT_EQ(read_bytes(path("b.qv3")), "QV3A" + le32(128) + image_bytes(128));  // no trailer without a model
}

TEST_F(ConfigFile, TheTrailerKeepsTheModelSoTheFrequencyComesBack) {
    for (int model = 1; model <= kModelMax; ++model) {
        const ConfigRecord record{.device_model = model, .callsign = {"NOCALL", "N0CALL-7"},
                                  .frequency_mhz = {146.52f, 145.0f}};
        save("m.qv3", record);
        ConfigRecord loaded{.active_bank = 1}, expected = decoded(encoded(record), defaults_for(model));
        expected.active_bank = 1;
        ASSERT_EQ(load("m.qv3", loaded), "File Loaded");
        EXPECT_EQ(loaded, expected) << model;
        EXPECT_EQ(loaded.frequency_mhz[0], model == 1 || model == 4 ? 144.39f : 146.52f) << model;
    }
}

// Without a usable trailer the tag decides; every failure leaves the record as it was.
TEST_F(ConfigFile, EveryLoadOutcome) {
    save("none.qv3", defaults_for(0));
    save("four.qv3", defaults_for(4));
    save("six.qv3", defaults_for(6));
    const std::string tagged = read_bytes(path("six.qv3")).substr(0, 264);
    const struct { std::string content; const char* status; int model; bool exists = true; } cases[] = {
        {tagged, "File Loaded", 3},                           // no trailer
        {tagged + "QV3M" + le32(1), "File Loaded", 3},        // names a 128-byte model under a 256-byte tag
        {tagged + "QV3M" + le32(7), "File Loaded", 3},        // unknown code
        {tagged + "QV3M" + le32(0), "File Loaded", 3},
        {tagged + "QV3M" + le32(0x80000005), "File Loaded", 3},  // past INT_MAX: not model 5
        {tagged + "QV3M", "File Loaded", 3},                  // cut short
        {tagged + "junk-after-the-image", "File Loaded", 3},  // other extra bytes load normally
        {tagged + "qv3m" + le32(5), "File Loaded", 5},
        {"qv3b" + tagged.substr(4), "File Loaded", 3},
        {read_bytes(path("none.qv3")), "File Loaded", 1},
        {"XXXX" + le32(256), "Invalid File Format", 0},
        {"QV3A" + le32(256) + std::string(256, '\0'), "Invalid File Format", 1},
        {read_bytes(path("four.qv3")).substr(0, 108), "Failed to read data", 3},  // 100 image bytes
        {"QV3", "Invalid File Format", 0},                                         // ends inside the tag
        {std::string("QV3B\x00\x01", 6), "Failed to read data", 3},                // ends inside the length
        {"", "Invalid File Format", 0},
        {"", "Failed to open file (No such file or directory)", 5, false},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(path("t.qv3"));
        if (c.exists) write_bytes(path("t.qv3"), c.content);
        ConfigRecord loaded{.device_model = 5, .callsign = {"KEEP", "NOCALL"}};
        ConfigRecord expected = loaded;
        expected.device_model = c.model;
        EXPECT_EQ(load("t.qv3", loaded), c.status) << c.content.size();
        EXPECT_EQ(loaded.device_model, c.model) << c.content.size();
        if (c.status == std::string("File Loaded")) continue;
        EXPECT_EQ(loaded, expected) << c.content.size();
    }
}

// One byte past the limit is read, so that an oversized file shows; never more.
TEST_F(ConfigFile, BoundedReadsStopOneBytePastTheLimit) {
    const struct { size_t size, limit, expected; } cases[] = {{0, 10, 0}, {10, 10, 10}, {11, 10, 11},
                                                              {20000, 5000, 5001}, {5000, 0, 1}};
    for (const auto& c : cases) {
        write_bytes(path("b"), std::string(c.size, 'x'));
        const BoundedRead read = read_file_bounded(path("b"), c.limit);
        EXPECT_EQ(read.outcome, BoundedReadOutcome::Read);
        EXPECT_EQ(read.bytes, std::string(c.expected, 'x')) << c.size << " " << c.limit;
    }
    const BoundedRead missing = read_file_bounded(path("missing"), 10);
    EXPECT_EQ(missing.outcome, BoundedReadOutcome::OpenFailed);
    EXPECT_NE(missing.system_error, 0);
}

TEST_F(ConfigFile, TruncatedTextsStillSaveAndOversizedBlocksSaveNothing) {
    ConfigRecord record{.device_model = 1, .status_text = {std::string(200, 'S'), "Quorvale3"}};
    SaveResult result = save("cut.qv3", record);
    EXPECT_EQ(result.encoding, EncodeOutcome::TextTruncated);
    EXPECT_EQ(result.saved, ReplaceOutcome::Written);

    write_bytes(path("keep.qv3"), "previous");
    record.path[0] = std::string(100, ',');
    result = save("keep.qv3", record);
    EXPECT_EQ(result.encoding, EncodeOutcome::DoesNotFit);
    EXPECT_EQ(result.saved, ReplaceOutcome::WriteFailed);
    EXPECT_EQ(read_bytes(path("keep.qv3")), "previous");
}

TEST_F(ConfigFile, ReplacingAFileKeepsTheOldOneUntilTheNewOneIsComplete) {
    write_bytes(path("c.qv3"), "old");
    EXPECT_EQ(save("c.qv3", defaults_for(3)).saved, ReplaceOutcome::Written);
    EXPECT_EQ(read_bytes(path("c.qv3")).size(), 272u);

    // A folder, or a name in a folder that does not exist, is not opened and leaves no stray file.
    std::filesystem::create_directories(folder.path / "dir.qv3" / "inside");
    EXPECT_EQ(save("dir.qv3", defaults_for(3)).saved, ReplaceOutcome::OpenFailed);
    EXPECT_TRUE(std::filesystem::is_directory(folder.path / "dir.qv3" / "inside"));
    EXPECT_EQ(save("no/such/folder.qv3", defaults_for(3)).saved, ReplaceOutcome::OpenFailed);
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path)) ++entries;
    EXPECT_EQ(entries, 2u);
}

}  // namespace
}  // namespace qv3::test
