// fuzz_device_replies' committed seeds, replayed: each still ends as its name says, so a seed the
// protocol has outgrown fails here instead of quietly costing the fuzzer what it covered.
#include <filesystem>
#include <map>

#include "fuzz/device_replies_run.h"
#include "tests/test_support.h"

namespace qv3::test {
namespace {

using enum ExchangeOutcome;
const std::vector<ExchangeOutcome> kSession = {VersionFound, ReadSucceeded, Written, None /* the tone */};

// One row per seed file (its name without .bin): how its exchanges end, and the model the record names.
const std::map<std::string, DeviceRepliesRun> kSeeds = {
    {"changed-readback", {{ReadSucceeded, VerifyFailedBytes}, 3}},
    {"found-at-9600", {{ReadSucceeded}, 5}},
    {"gone-during-read", {{PortLostDuringRead}, 4}},
    {"gone-during-write", {{PortLostDuringWrite}, 1}},
    {"long-read", {{CorruptedEeprom}, 3}},
    {"long-readback", {{VerifyFailedLength}, 1}},
    {"other-model", {{WriteCancelledModelChanged}, 6}},
    {"session-model1", {kSession, 1}},
    {"session-model2", {kSession, 2}},
    {"session-model3", {kSession, 3}},
    {"session-model4", {kSession, 4}},
    {"session-model5", {kSession, 5}},
    {"session-model6", {kSession, 6}},
    {"short-read", {{CorruptedEeprom}, 4}},
    {"short-readback", {{VerifyFailedLength}, 3}},
    {"silent", {{NotFound}, kModelNone}},
    {"slow-line", {{ReadSucceeded}, 2}},
    {"slow-readback", {{Written}, 3}},
    {"whole-write-echoed", {{VerifyFailedLength}, 2}},
};

TEST(DeviceReplySeeds, EachSeedEndsAsItsNameSays) {
    std::map<std::string, DeviceRepliesRun> without_seed = kSeeds;
    for (const auto& file : std::filesystem::directory_iterator(QV3_DEVICE_REPLY_SEEDS)) {
        const std::string name = file.path().stem().string(), bytes = read_bytes(file.path().string());
        const auto row = kSeeds.find(name);
        ASSERT_NE(row, kSeeds.end()) << name << ": a seed with no row";
        without_seed.erase(name);
        const DeviceRepliesRun run = run_device_replies(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        EXPECT_EQ(run.ends, row->second.ends) << name << " (QV3_FUZZ_VERBOSE=1 prints their status lines)";
        EXPECT_EQ(run.model, row->second.model) << name;
    }
    EXPECT_TRUE(without_seed.empty()) << without_seed.begin()->first << ": a row with no seed";
}

}  // namespace
}  // namespace qv3::test
