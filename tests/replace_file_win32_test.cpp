// replace_file on Windows: read-only files refused, attributes kept, devices written into.
#include <windows.h>

#include "files/replace_file.h"
#include "test_support.h"

namespace qv3::test {
namespace {

constexpr char kNew[] = "new bytes\r\n";

struct ReplaceFileWin32 : ::testing::Test {
    ScratchFolder folder;
    std::string f(const std::string& name) const { return folder.file(name); }
};

TEST_F(ReplaceFileWin32, AReadOnlyFileIsRefusedAndAttributesAreKept) {
    write_bytes(f("read-only"), "old");
    ASSERT_TRUE(SetFileAttributesA(f("read-only").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(replace_file(f("read-only"), kNew).outcome, ReplaceOutcome::OpenFailed);
    EXPECT_EQ(read_bytes(f("read-only")), "old");
    SetFileAttributesA(f("read-only").c_str(), FILE_ATTRIBUTE_NORMAL);  // so that the folder can go

    write_bytes(f("hidden"), "old");
    ASSERT_TRUE(SetFileAttributesA(f("hidden").c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(replace_file(f("hidden"), kNew).outcome, ReplaceOutcome::Written);
    EXPECT_EQ(read_bytes(f("hidden")), kNew);
    EXPECT_NE(GetFileAttributesA(f("hidden").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);

    EXPECT_EQ(replace_file("NUL", kNew).outcome, ReplaceOutcome::Written);
    EXPECT_EQ(replace_file(f("absent"), kNew).outcome, ReplaceOutcome::Written);
    EXPECT_EQ(read_bytes(f("absent")), kNew);
    size_t entries = 0;  // no temporary file left behind
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path)) ++entries;
    EXPECT_EQ(entries, 3u);
}

}  // namespace
}  // namespace qv3::test
