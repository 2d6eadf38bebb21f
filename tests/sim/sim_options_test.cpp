// qv3sim's command line and log lines.
#include <gtest/gtest.h>

#include "sim/sim_log.h"
#include "sim/sim_options.h"

namespace qv3::sim {
namespace {

std::string error_of(const std::vector<std::string>& args) { return parse_sim_options(args).error; }

TEST(SimOptions, EveryOptionReachesTheRecord) {
    const SimOptionsResult r = parse_sim_options(
        {"--model", "3", "--link", "ttyQ", "--image", "in.bin", "--silent", "--reply-delay", "250", "--only-baud", "9600",
         "--corrupt-readback", "255", "--noise", "--stream", "--log", "l.txt", "--image-out", "out.bin", "--seed",
         "18446744073709551615", "--short-image", "12"});
    ASSERT_EQ(r.error, "");
    const SimOptions& o = r.options;
    EXPECT_EQ(o.tracker.model, 3);
    EXPECT_EQ(o.link_path, "ttyQ");
    EXPECT_EQ(o.image_path, "in.bin");
    EXPECT_TRUE(o.tracker.silent);
    EXPECT_EQ(o.tracker.reply_delay_ms, 250);
    EXPECT_EQ(o.tracker.only_baud, 9600u);
    EXPECT_EQ(o.tracker.short_image, 12);
    EXPECT_EQ(o.tracker.long_image, -1);
    EXPECT_EQ(o.tracker.corrupt_readback, 255);
    EXPECT_TRUE(o.tracker.noise);
    EXPECT_TRUE(o.tracker.stream);
    EXPECT_EQ(o.log_path, "l.txt");
    EXPECT_EQ(o.image_out_path, "out.bin");
    EXPECT_EQ(o.tracker.seed, 18446744073709551615ULL);
    EXPECT_FALSE(o.help);

    const SimOptionsResult minimal = parse_sim_options({"--link", "x", "--model", "1", "--long-image", "1024"});
    ASSERT_EQ(minimal.error, "");
    EXPECT_EQ(minimal.options.tracker.long_image, 1024);
    EXPECT_EQ(minimal.options.tracker.short_image, -1);
    EXPECT_EQ(minimal.options.tracker.seed, 1u);
}

TEST(SimOptions, UsageErrorsAreOneLine) {
    EXPECT_EQ(error_of({}), "--model N is required");
    EXPECT_EQ(error_of({"--model", "4"}), "--link PATH is required");
    EXPECT_EQ(error_of({"--model", "4", "--link", "x", "--fast"}), "unknown option '--fast'");
    EXPECT_EQ(error_of({"--model", "4", "--link", "x", "extra"}), "unexpected argument 'extra'");
    EXPECT_EQ(error_of({"--model", "4", "--link", "x", "--noise", "--noise"}), "--noise given twice");
    EXPECT_EQ(error_of({"--model", "4", "--link"}), "--link needs a value");
    EXPECT_EQ(error_of({"--model", "--link", "x"}), "--model needs a value");
    EXPECT_EQ(error_of({"--model", "4", "--link", ""}), "--link needs a path");
    EXPECT_EQ(error_of({"--model", "4", "--link", std::string(5000, 'a')}), "--link path is too long");
    EXPECT_EQ(error_of({"--model", "four", "--link", "x"}), "--model needs a whole number, not 'four'");
    EXPECT_EQ(error_of({"--model", "-1", "--link", "x"}), "--model needs a whole number, not '-1'");
    EXPECT_EQ(error_of({"--model", "+4", "--link", "x"}), "--model needs a whole number, not '+4'");
    EXPECT_EQ(error_of({"--model", "4", "--link", "x", "--seed", "18446744073709551616"}),
              "--seed needs a whole number, not '18446744073709551616'");
    for (const char* const line : {"--model N is required", "unknown option '--fast'"}) {
        EXPECT_EQ(std::string(line).find('\n'), std::string::npos);
    }
}

TEST(SimOptions, RangesDependOnTheModel) {
    EXPECT_EQ(error_of({"--model", "0", "--link", "x"}), "--model must be 1 to 6");
    EXPECT_EQ(error_of({"--model", "99999999999", "--link", "x"}), "--model must be 1 to 6");
    EXPECT_EQ(error_of({"--model", "4", "--link", "x", "--reply-delay", "10001"}), "--reply-delay must be 0 to 10000 ms");
    EXPECT_EQ(error_of({"--model", "4", "--link", "x", "--only-baud", "19200"}), "--only-baud must be 4800 or 9600");
    EXPECT_EQ(error_of({"--model", "4", "--link", "x", "--only-baud", "0"}), "") << "0 means any speed";
    EXPECT_EQ(error_of({"--model", "2", "--link", "x", "--short-image", "128"}),
              "--short-image must be 0 to 127 for model 2");
    EXPECT_EQ(error_of({"--model", "5", "--link", "x", "--long-image", "256"}),
              "--long-image must be 257 to 1024 for model 5");
    EXPECT_EQ(error_of({"--model", "1", "--link", "x", "--corrupt-readback", "200"}),
              "--corrupt-readback must be 0 to 127 for model 1");
    EXPECT_EQ(error_of({"--model", "4", "--link", "x", "--short-image", "5", "--long-image", "300"}),
              "--short-image and --long-image exclude each other");
}

TEST(SimOptions, HelpWinsOverErrors) {
    EXPECT_TRUE(parse_sim_options({"--help"}).options.help);
    EXPECT_EQ(parse_sim_options({"--help"}).error, "");
    const SimOptionsResult r = parse_sim_options({"--bogus", "-h"});
    EXPECT_TRUE(r.options.help);
    EXPECT_EQ(r.error, "");
    EXPECT_NE(std::string(kSimUsage).find("--corrupt-readback"), std::string::npos);
}

TEST(SimLog, LinesCarryMillisecondsAndDirection) {
    EXPECT_EQ(log_byte_line(12, true, 0x1B), "12 ms rx 1B\n");
    EXPECT_EQ(log_byte_line(0, false, 0x0A), "0 ms tx 0A\n");
    EXPECT_EQ(log_ignored_line(7, 0x56, 4800), "7 ms rx 56 ignored at 4800 baud\n");
    EXPECT_EQ(log_text_line(1500, "write 1 stored"), "1500 ms write 1 stored\n");
    EXPECT_EQ(test_command_text(TestCommand::Tone1200), "tone 1200 Hz");
    EXPECT_EQ(test_command_text(TestCommand::Tone2200), "tone 2200 Hz");
    EXPECT_EQ(test_command_text(TestCommand::BothTones), "tones 1200 and 2200 Hz");
    EXPECT_EQ(test_command_text(TestCommand::Stop), "tone stop");
}

}  // namespace
}  // namespace qv3::sim
