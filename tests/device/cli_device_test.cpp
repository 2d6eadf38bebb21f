// qv3's device verbs in-process against the simulated tracker: outputs, exit codes, traces.
#include "cli/settings_text.h"
#include "protocol_harness.h"

namespace qv3::test {
namespace {

class Qv3Device : public Qv3Run {
protected:
    std::string last_line() const {
        const std::string text = err.substr(0, err.find_last_not_of('\n') + 1);
        return text.substr(text.rfind('\n') + 1);
    }
};

TEST_F(Qv3Device, VersionPrintsTheModelAndEveryStatus) {
    sim::reset_simulated_line({.model = 5});
    ASSERT_EQ(run({"version", "--port", "COM1"}), 0) << err;
    EXPECT_EQ(out, "model = 5\n");
    // What the tracker sent is shown with its control bytes escaped.
    EXPECT_EQ(err, "Reading Version\nVersion Read : \"PL-RUX v1.4\\r\\n\"\n");
}

TEST_F(Qv3Device, ReadPrintsWhatDecodingTheTrackersImageGives) {
    for (int model = 1; model <= kModelMax; ++model) {
        sim::reset_simulated_line({.model = model});
        ASSERT_EQ(run({"read", "--port", "COM1"}), 0) << err;
        EXPECT_EQ(out, settings_to_text(trackers_record(model)));
        EXPECT_EQ(last_line(), "Read Config Successful");
    }
    sim::reset_simulated_line({.model = 3});
    ASSERT_EQ(run({"read", "--port", "COM1", "-o", f("read.qv3")}), 0) << err;
    EXPECT_EQ(last_line(), "File Saved");
    EXPECT_EQ(run({"show", f("read.qv3")}), 0);
}

TEST_F(Qv3Device, WriteLeavesTheTrackerHoldingTheEncodedImage) {
    write_bytes(f("s.txt"), "model = 2\nprimary.callsign = \"K1ABC-7\"\nsecondary.status_text = \"hi\"\n");
    for (int model = 1; model <= kModelMax; ++model) {
        sim::reset_simulated_line({.model = model});
        ASSERT_EQ(run({"write", "--port", "COM1", f("s.txt"), "--yes"}), 0) << err;
        EXPECT_EQ(last_line(), "Config Written Successfully!");
        // The image is laid out for the model the tracker reports, not the text's.
        ASSERT_EQ(run({"encode", "--model", std::to_string(model), f("s.txt"), "-o", f("img")}), 0);
        const auto& held = line().tracker.image;
        EXPECT_EQ(std::string(held.begin(), held.begin() + image_size_for_model(model)), read_bytes(f("img")));
    }
}

TEST_F(Qv3Device, FailuresExitOneWithTheFinalStatus) {
    sim::reset_simulated_line({.silent = true});
    EXPECT_EQ(run({"read", "--port", "COM1"}), 1);
    EXPECT_EQ(last_line(), "Quorvale3 not found : ()");
    EXPECT_EQ(out, "");

    write_bytes(f("d.txt"), "");
    using Args = std::vector<std::string>;
    for (const auto& args : {Args{"version", "--port", "COM1"}, Args{"read", "--port", "COM1"},
                             Args{"write", "--port", "COM1", f("d.txt"), "--yes"}}) {
        sim::reset_simulated_line({.stream = true});
        EXPECT_EQ(run(args), 1);
        EXPECT_NE(err.find("\nQuorvale3 not found : ("), std::string::npos) << err;
    }
    sim::reset_simulated_line();
    for (const auto& args : {Args{"version", "--port", "COM9"}, Args{"tone", "--port", "COM9", "both"}}) {
        EXPECT_EQ(run(args), 1);
        EXPECT_EQ(err, "Could not open Com Port COM9\n");
    }
}

TEST_F(Qv3Device, ToneAndTrace) {
    sim::reset_simulated_line();
    ASSERT_EQ(run({"tone", "--port", "COM1", "2200", "--trace", f("trace.txt")}), 0) << err;
    EXPECT_EQ(line().tracker.test_commands_total, 1u);
    std::ifstream in(f("trace.txt"));  // text mode: the trace is a text file
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l.substr(l.find_first_not_of(' ')));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "0 sent 1B");
    EXPECT_EQ(lines[2].substr(lines[2].find(' ')), " sent 32");

    ASSERT_EQ(run({"version", "--port", "COM1", "--trace", f("v.txt")}), 0);
    const std::string trace = read_bytes(f("v.txt"));
    EXPECT_NE(trace.find("recv 0D"), std::string::npos);
    EXPECT_NE(trace.find("recv 0A"), std::string::npos);
}

TEST_F(Qv3Device, BaudChoosesTheFirstQuerysSpeed) {
    sim::reset_simulated_line({.model = 6, .only_baud = 9600});
    ASSERT_EQ(run({"read", "--port", "COM1", "--baud", "9600"}), 0) << err;
    EXPECT_EQ(open_speeds(), (std::vector<uint32_t>{9600, 9600}));
    EXPECT_EQ(run({"read", "--port", "COM1", "--baud", "1200"}), 2);
}

TEST_F(Qv3Device, StepsComeOnAHundredMillisecondBeat) {
    sim::reset_simulated_line();
    ASSERT_EQ(run({"version", "--port", "COM1"}), 0) << err;
    // The first step comes one beat after the query, as the window's first timer tick.
    const auto sleeps = events(sim::LineEvent::Sleep);
    ASSERT_FALSE(sleeps.empty());
    EXPECT_GE(sleeps[0].sleep_ms, 95);
    EXPECT_LE(sleeps[0].sleep_ms, 100);
}

TEST_F(Qv3Device, PortsListsTheLinesAndProbeNamesTheTrackerOnEach) {
    sim::reset_simulated_line({.model = 5});
    line().openable = {"COM1", "COM3", "COM4"};
    line().held_elsewhere = {"COM4"};
    ASSERT_EQ(run({"ports"}), 0) << err;
    EXPECT_EQ(out, "COM1  simulated tracker\nCOM3\nCOM4\n");
    EXPECT_EQ(line().open_count, 0);  // listing opens nothing

    ASSERT_EQ(run({"ports", "--probe"}), 0) << err;
    EXPECT_EQ(out,
              "COM1  model 5 (PL-RUX v1.4)     simulated tracker\n"
              "COM3  no answer\n"
              "COM4  Could not open Com Port COM4\n");
    // Named ports only, and no tracker among them: exit 1.
    EXPECT_EQ(run({"ports", "--probe", "COM3", "/dev/none"}), 1);
    EXPECT_EQ(out, "COM3       no answer\n/dev/none  Could not open Com Port /dev/none\n");

    // A port that talks without end is given up within the probe's budget.
    sim::reset_simulated_line({.stream = true});
    const int64_t start = line().now_us;
    EXPECT_EQ(run({"ports", "--probe", "COM1"}), 1);
    EXPECT_EQ(out, "COM1  no answer\n");
    EXPECT_LT(line().now_us - start, 4'000'000);
    EXPECT_FALSE(line().is_open);

    line().openable.clear();
    EXPECT_EQ(run({"ports"}), 1);
    EXPECT_EQ(err, "qv3: no serial ports found\n");
    EXPECT_EQ(run({"ports", "COM1"}), 2);  // naming ports needs --probe
}

TEST_F(Qv3Device, UsageErrors) {
    EXPECT_EQ(run({"read"}), 2);
    EXPECT_EQ(run({"tone", "--port", "COM1", "3000"}), 2);
    EXPECT_EQ(run({"write", "--port", "COM1"}), 2);
    EXPECT_EQ(run({"write", "--port", "COM1", f("missing.txt"), "--yes"}), 1);
    for (const std::string verb : {"version", "read", "write", "tone", "ports"}) {
        EXPECT_EQ(run({verb, "--help"}), 0);
        EXPECT_EQ(out.rfind("usage: qv3 " + verb, 0), 0u);
    }
}

}  // namespace
}  // namespace qv3::test
