// qv3sim's command line: every option reaches its field, and every error names its option.
#include <gtest/gtest.h>

#include <tuple>

#include "sim/sim_options.h"

namespace qv3::sim {
namespace {

// The options qv3sim's own tests and the end-to-end script do not use.
TEST(SimOptions, EachOptionReachesItsField) {
    const SimOptionsResult r =
        parse_sim_options({"--model", "3", "--link", "ttyQ", "--reply-delay", "250", "--corrupt-readback", "255",
                           "--noise", "--seed", "18446744073709551615", "--short-image", "12"});
    ASSERT_EQ(r.error, "");
    const TrackerOptions& t = r.options.tracker;
    EXPECT_EQ(std::tie(t.model, t.reply_delay_ms, t.short_image, t.long_image, t.corrupt_readback, t.seed),
              std::make_tuple(3, 250, 12, -1, 255, 18446744073709551615ULL));
    EXPECT_TRUE(t.noise && !t.stream && !t.silent && t.only_baud == 0);
}

TEST(SimOptions, ErrorsAreOneLineNamingTheOption) {
    using Args = std::vector<std::string>;
    const auto with = [](int model, Args more) {
        Args args{"--model", std::to_string(model), "--link", "x"};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    };
    const std::vector<std::pair<Args, std::string>> cases{
        {{}, "--model N is required"},
        {{"--model", "4"}, "--link PATH is required"},
        {with(4, {"--fast"}), "unknown option '--fast'"},
        {with(4, {"extra"}), "unexpected argument 'extra'"},
        {with(4, {"--noise", "--noise"}), "--noise given twice"},
        {{"--model", "4", "--link"}, "--link needs a value"},
        {{"--model", "--link", "x"}, "--model needs a value"},
        {{"--model", "4", "--link", ""}, "--link needs a path"},
        {{"--model", "4", "--link", std::string(5000, 'a')}, "--link path is too long"},
        {{"--model", "-1", "--link", "x"}, "--model needs a whole number, not '-1'"},
        {with(4, {"--seed", "18446744073709551616"}), "--seed needs a whole number, not '18446744073709551616'"},
        {{"--model", "99999999999", "--link", "x"}, "--model must be 1 to 6"},
        {with(4, {"--reply-delay", "10001"}), "--reply-delay must be 0 to 10000 ms"},
        {with(4, {"--only-baud", "19200"}), "--only-baud must be 4800 or 9600"},
        {with(4, {"--only-baud", "0"}), ""},  // any speed
        {with(2, {"--short-image", "128"}), "--short-image must be 0 to 127 for model 2"},
        {with(5, {"--long-image", "256"}), "--long-image must be 257 to 1024 for model 5"},
        {with(1, {"--long-image", "1024"}), ""},
        {with(6, {"--long-image", "1025"}), "--long-image must be 257 to 1024 for model 6"},
        {with(1, {"--corrupt-readback", "128"}), "--corrupt-readback must be 0 to 127 for model 1"},
        {with(4, {"--short-image", "5", "--long-image", "300"}), "--short-image and --long-image exclude each other"},
        {{"--bogus", "-h"}, ""},  // help wins over every error
        {{"--noise", "--noise", "--version"}, ""},  // and so does the version
    };
    for (const auto& [args, expected] : cases) {
        EXPECT_EQ(parse_sim_options(args).error, expected) << (args.empty() ? "(none)" : args.back());
    }
}

}  // namespace
}  // namespace qv3::sim
