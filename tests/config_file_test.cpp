// .qv3 files: layout, every load outcome, the model trailer and safe replacement.
#include <gtest/gtest.h>

#include "files/config_file.h"
#include "model/image_decoder.h"
#include "test_support.h"

namespace qv3 {
namespace {

using test::defaults_for;

using test::read_bytes;
using test::write_bytes;

std::string le32(uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

class ConfigFile : public ::testing::Test {
protected:
    test::ScratchFolder folder;
    ImageBytes encoded{};
    ReceivedImage received;
};

TEST_F(ConfigFile, SaveWritesTagLengthImageAndModelTrailer) {
    ConfigRecord record = defaults_for(4);
    const SaveResult result = save_config_file(folder.file("a.qv3"), record, encoded);
    EXPECT_EQ(result.status, "File Saved");
    EXPECT_EQ(result.encoding, EncodeOutcome::Complete);
    const std::string bytes = read_bytes(folder.file("a.qv3"));
    ASSERT_EQ(bytes.size(), 264u + 8u);
    EXPECT_EQ(bytes.substr(0, 8), "QV3B" + le32(256));
    EXPECT_EQ(bytes.substr(8, 256), std::string(encoded.begin(), encoded.end()));
    EXPECT_EQ(bytes.substr(264), "QV3M" + le32(4));

    ConfigRecord none = defaults_for(0);
    save_config_file(folder.file("b.qv3"), none, encoded);
    const std::string small = read_bytes(folder.file("b.qv3"));
    ASSERT_EQ(small.size(), 136u);  // no trailer without a known model
    EXPECT_EQ(small.substr(0, 8), "QV3A" + le32(128));
    ConfigRecord loaded;
    EXPECT_EQ(load_config_file(folder.file("b.qv3"), loaded, received), "File Loaded");
    EXPECT_EQ(loaded.device_model, 1);
}

TEST_F(ConfigFile, TheTrailerKeepsTheModelSoTheFrequencyComesBack) {
    for (int model = 1; model <= kModelMax; ++model) {
        ConfigRecord record = defaults_for(model);
        record.frequency_mhz = {146.52f, 145.0f};
        record.callsign[1] = "N0CALL-7";
        save_config_file(folder.file("m.qv3"), record, encoded);
        ConfigRecord loaded;
        loaded.active_bank = 1;
        ASSERT_EQ(load_config_file(folder.file("m.qv3"), loaded, received), "File Loaded");
        EXPECT_EQ(loaded.device_model, model);
        EXPECT_EQ(loaded.callsign[1], "N0CALL-7");
        EXPECT_EQ(loaded.active_bank, 1);
        if (model == 2 || model == 3 || model == 5 || model == 6) {
            EXPECT_EQ(loaded.frequency_mhz[0], 146.52f);
        }
    }
}

TEST_F(ConfigFile, FilesWithoutOrWithAForeignTrailerFollowTheTag) {
    ConfigRecord record = defaults_for(6);
    save_config_file(folder.file("z.qv3"), record, encoded);
    const std::string full = read_bytes(folder.file("z.qv3"));
    const struct {
        std::string tail;
        int model;
    } cases[] = {
        {"", 3},                       // no trailer
        {"QV3M" + le32(1), 3},         // names a 128-byte model under a 256-byte tag
        {"QV3M" + le32(7), 3},         // unknown code
        {"QV3M" + le32(0), 3},
        {"QV3M", 3},                   // cut short
        {"junk-after-the-image", 3},   // other extra bytes load normally
        {"qv3m" + le32(5), 5},
    };
    for (const auto& c : cases) {
        write_bytes(folder.file("t.qv3"), full.substr(0, 264) + c.tail);
        ConfigRecord loaded;
        EXPECT_EQ(load_config_file(folder.file("t.qv3"), loaded, received), "File Loaded") << c.tail;
        EXPECT_EQ(loaded.device_model, c.model) << c.tail;
    }
}

TEST_F(ConfigFile, EveryLoadFailureKeepsTheRecord) {
    ConfigRecord record = defaults_for(4);
    save_config_file(folder.file("good.qv3"), record, encoded);
    const std::string good = read_bytes(folder.file("good.qv3"));
    const struct {
        std::string content;
        const char* status;
        int model;
    } cases[] = {
        {"XXXX" + le32(256), "Invalid File Format", 0},
        {"QV3A" + le32(256) + std::string(256, '\0'), "Invalid File Format", 1},
        {good.substr(0, 108), "Failed to read data", 3},  // 100 image bytes
        {"QV3", "Invalid File Format", 0},                // ends inside the tag
        {std::string("QV3B\x00\x01", 6), "Failed to read data", 3},  // ends inside the length
        {"", "Invalid File Format", 0},
    };
    for (const auto& c : cases) {
        write_bytes(folder.file("bad.qv3"), c.content);
        ConfigRecord loaded;
        loaded.device_model = 5;
        loaded.callsign[0] = "KEEP";
        ConfigRecord expected = loaded;
        expected.device_model = c.model;
        EXPECT_EQ(load_config_file(folder.file("bad.qv3"), loaded, received), c.status);
        EXPECT_EQ(loaded, expected);
    }
    ConfigRecord untouched;
    untouched.device_model = 4;
    EXPECT_EQ(load_config_file(folder.file("missing.qv3"), untouched, received), "Failed to open file");
    EXPECT_EQ(untouched.device_model, 4);

    write_bytes(folder.file("lower.qv3"), "qv3b" + good.substr(4, 260));
    ConfigRecord lower;
    EXPECT_EQ(load_config_file(folder.file("lower.qv3"), lower, received), "File Loaded");
    EXPECT_EQ(lower.device_model, 3);
}

TEST_F(ConfigFile, TruncatedTextsStillSaveAndOversizedBlocksSaveNothing) {
    ConfigRecord record = defaults_for(1);
    record.status_text[0] = std::string(200, 'S');
    SaveResult result = save_config_file(folder.file("cut.qv3"), record, encoded);
    EXPECT_EQ(result.encoding, EncodeOutcome::TextTruncated);
    EXPECT_EQ(result.status, "File Saved");

    write_bytes(folder.file("keep.qv3"), "previous");
    record.path[0] = std::string(100, ',');
    result = save_config_file(folder.file("keep.qv3"), record, encoded);
    EXPECT_EQ(result.encoding, EncodeOutcome::DoesNotFit);
    EXPECT_EQ(result.status, "Failed to write data");
    EXPECT_EQ(read_bytes(folder.file("keep.qv3")), "previous");
}

TEST_F(ConfigFile, ReplacingAFileKeepsTheOldOneUntilTheNewOneIsComplete) {
    ConfigRecord record = defaults_for(3);
    write_bytes(folder.file("c.qv3"), "old");
    EXPECT_EQ(save_config_file(folder.file("c.qv3"), record, encoded).status, "File Saved");
    EXPECT_EQ(read_bytes(folder.file("c.qv3")).size(), 272u);
    EXPECT_FALSE(std::filesystem::exists(folder.file("c.qv3.qv3-new")));

    // A target that cannot be replaced (a folder) fails and leaves no stray file.
    std::filesystem::create_directories(folder.path / "dir.qv3" / "inside");
    EXPECT_EQ(save_config_file(folder.file("dir.qv3"), record, encoded).status, "Failed to write data");
    EXPECT_TRUE(std::filesystem::is_directory(folder.path / "dir.qv3" / "inside"));
    EXPECT_FALSE(std::filesystem::exists(folder.file("dir.qv3.qv3-new")));

    EXPECT_EQ(save_config_file(folder.file("no/such/folder.qv3"), record, encoded).status, "Failed to open file");
}

}  // namespace
}  // namespace qv3
