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

// A source for another model than the tracker's that sets what the tracker
// cannot hold gets only the version query; --model-change writes the rest.
TEST_F(Qv3Device, WriteForAnotherModelNamesWhatTheTrackerCannotHold) {
    write_bytes(f("six.txt"), "model = 6\nprimary.callsign = \"K1ABC\"\nprimary.frequency_mhz = 146.52\n"
                              "secondary.telemetry_text = \"PARM.V\"\nsecondary.send_telemetry = 1\n");
    // A .qv3 file sets every key; only those away from their defaults count.
    write_bytes(f("four.txt"), "model = 4\nprimary.callsign = \"K1ABC\"\nsecondary.no_gt_prefix = 1\n");
    ASSERT_EQ(run({"save", f("four.txt"), "-o", f("four.qv3")}), 0) << err;
    write_bytes(f("plain4.txt"), "model = 4\nprimary.callsign = \"K1ABC\"\n");
    ASSERT_EQ(run({"save", f("plain4.txt"), "-o", f("plain4.qv3")}), 0) << err;
    write_bytes(f("valid.txt"), "model = 1\nprimary.callsign = \"K1ABC\"\nprimary.only_send_valid = 0\n");
    write_bytes(f("any.txt"), "primary.callsign = \"K1ABC\"\nprimary.frequency_mhz = 146.52\n");
    const std::string six = "secondary.telemetry_text";  // send_telemetry = 1 is its default
    const std::string one = "model 1 (Quorvale3 v1.1)";
    // refused: the models the refusal names, empty when the write goes ahead.
    const struct { const char* source; int tracker; bool change; std::string refused, lost; } cases[] = {
        {"six.txt", 1, false, "model 6 (PL-Zenda v1.4) but the tracker is " + one, "primary.frequency_mhz, " + six},
        {"six.txt", 1, true, "", "primary.frequency_mhz, " + six},
        {"six.txt", 2, false, "model 6 (PL-Zenda v1.4) but the tracker is model 2 (PL-RUX v1.2)", six},
        {"four.qv3", 1, false, "model 4 (Quorvale3 v1.4) but the tracker is " + one, "secondary.no_gt_prefix"},
        {"plain4.qv3", 1, false, "", ""},
        {"valid.txt", 5, false, one + " but the tracker is model 5 (PL-RUX v1.4)", "primary.only_send_valid"},
        {"six.txt", 3, false, "", ""},  // everything fits: written as before
        {"any.txt", 1, false, "", ""},  // no model line: written to whatever answers
    };
    for (const auto& c : cases) {
        sim::reset_simulated_line({.model = c.tracker});
        std::vector<std::string> args{"write", "--port", "COM1", f(c.source), "--yes"};
        if (c.change) args.push_back("--model-change");
        const int code = run(args);
        if (!c.refused.empty()) {
            EXPECT_EQ(code, 1) << c.source;
            EXPECT_EQ(last_line(), f(c.source) + " is for " + c.refused + "; it cannot hold: " + c.lost +
                                       ". Add --model-change to write what it can hold.");
            EXPECT_EQ(sent(), (Bytes{0x1B, 'V', 0x1B, 'U'})) << c.source << ": the version query and the read before the write";
            continue;
        }
        EXPECT_EQ(code, 0) << c.source << err;
        EXPECT_EQ(last_line(), "Config Written Successfully!");
        EXPECT_EQ(err.find("qv3: writing for " + one + " without: " + c.lost + "\n") != std::string::npos, c.change);
        // The change list says the losses.
        EXPECT_EQ(out.find("primary.frequency_mhz: 146.52 -> not kept by " + one + "\n") != std::string::npos,
                  c.change || c.source == std::string("any.txt"))
            << out;
        EXPECT_EQ(trackers_record(c.tracker).callsign[0], "K1ABC");
    }
}

TEST_F(Qv3Device, FailuresExitOneWithTheFinalStatus) {
    sim::reset_simulated_line({.silent = true});
    EXPECT_EQ(run({"read", "--port", "COM1"}), 1);
    EXPECT_EQ(last_line(), "Quorvale3 not found : ()");
    EXPECT_EQ(out, "");

    write_bytes(f("d.txt"), "model = 1\n");
    using Args = std::vector<std::string>;
    for (const auto& args : {Args{"version", "--port", "COM1"}, Args{"read", "--port", "COM1"},
                             Args{"write", "--port", "COM1", f("d.txt"), "--yes"}}) {
        sim::reset_simulated_line({.stream = true});
        EXPECT_EQ(run(args), 1);
        EXPECT_NE(err.find("\nQuorvale3 not found : ("), std::string::npos) << err;
    }
    // Every way a read or a write can end short of success exits 1.
    const struct { sim::TrackerOptions tracker; const char* verb; const char* status; } endings[] = {
        {{.model = 3, .short_image = 200}, "read", "Corrupted EEPROM"},
        {{.model = 3, .corrupt_readback = 77}, "write", "Verify Failed"},
        {{.model = 3, .short_image = 255}, "write", "Verify FAILED"},
        {{.model = 3, .short_image = 0}, "write", "Config not read "},
    };
    for (const auto& c : endings) {
        sim::reset_simulated_line(c.tracker);
        Args args{c.verb, "--port", "COM1"};
        if (std::string_view(c.verb) == "write") args.insert(args.end(), {f("d.txt"), "--yes", "--no-backup"});
        EXPECT_EQ(run(args), 1) << c.status;
        EXPECT_EQ(last_line(), c.status);
    }
    sim::reset_simulated_line();
    for (const auto& args : {Args{"version", "--port", "COM9"}, Args{"tone", "--port", "COM9", "both"}}) {
        EXPECT_EQ(run(args), 1);
        EXPECT_EQ(err, "Could not open Com Port COM9\n");
    }
}

// Nothing the user did not mean reaches the tracker: not even the version query.
TEST_F(Qv3Device, WriteRefusesSourcesThatSetNothingOrAreDamaged) {
    const struct {
        const char* name;
        const char* content;
        const char* problem;
    } cases[] = {
        {"empty.qv3", "", " sets no setting; nothing written"},
        {"comments.txt", "# all commented out\n\n  # model = 4\n", " sets no setting; nothing written"},
        {"bom.txt", "\xEF\xBB\xBF\n", " sets no setting; nothing written"},
        {"cut.qv3", "QV3B", ": Failed to read data"},
        {"text.Qv3", "model = 4\n", ": Invalid File Format"},
        {"tagged.txt", "Qv3 = 4\n", ": Invalid File Format"},
        {"omega.txt", "primary.status_text = \"\u03A9\"\n",
         ": line 1: primary.status_text: the tracker cannot store the character '\u03A9' (U+03A9)"},
    };
    for (const auto& c : cases) {
        write_bytes(f(c.name), c.content);
        sim::reset_simulated_line();
        EXPECT_EQ(run({"write", "--port", "COM1", f(c.name), "--yes"}), 1) << c.name;
        EXPECT_EQ(err, "qv3: " + f(c.name) + c.problem + "\n");
        EXPECT_TRUE(line().events.empty()) << c.name << " opened the port";
    }
    // A byte-order mark before real settings is no obstacle.
    write_bytes(f("bom_set.txt"), "\xEF\xBB\xBFprimary.callsign = \"K1ABC\"\n");
    sim::reset_simulated_line({.model = 4});
    EXPECT_EQ(run({"write", "--port", "COM1", f("bom_set.txt"), "--yes"}), 0) << err;
    EXPECT_EQ(trackers_record(4).callsign[0], "K1ABC");
}

TEST_F(Qv3Device, ToneSaysWhatItSentAndHowToStopIt) {
    const std::pair<std::string, std::string> cases[] = {
        {"1200", "Sent 1200 Hz tone; 'qv3 tone --port COM1 stop' stops it"},
        {"both", "Sent 1200 Hz and 2200 Hz tones; 'qv3 tone --port COM1 stop' stops it"},
        {"stop", "Sent stop"},
    };
    for (const auto& [which, said] : cases) {
        sim::reset_simulated_line();
        EXPECT_EQ(run({"tone", "--port", "COM1", which}), 0) << err;
        EXPECT_EQ(err, said + "\n");
    }
}

// A trace that cannot be created stops the verb before the port is opened; one
// that fails on the way fails the verb once the exchange is over.
TEST_F(Qv3Device, TraceFailures) {
    sim::reset_simulated_line();
    EXPECT_EQ(run({"tone", "--port", "COM1", "both", "--trace", f("missing-folder/t")}), 2);
    EXPECT_EQ(err, "qv3: " + f("missing-folder/t") + ": Failed to open file (No such file or directory)\n");
    EXPECT_TRUE(line().events.empty());

    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    write_bytes(f("s.txt"), "primary.callsign = \"K1ABC\"\n");
    sim::reset_simulated_line({.model = 4});
    EXPECT_EQ(run({"write", "--port", "COM1", f("s.txt"), "--yes", "--trace", "/dev/full"}), 1);
    EXPECT_EQ(last_line(), "qv3: /dev/full: Failed to write data (No space left on device)");
    EXPECT_NE(err.find("\nConfig Written Successfully!\n"), std::string::npos) << err;
    EXPECT_EQ(trackers_record(4).callsign[0], "K1ABC");
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

    // A tracker that only hears 9600 baud answers after the switch the trace shows.
    sim::reset_simulated_line({.model = 6, .only_baud = 9600});
    ASSERT_EQ(run({"version", "--port", "COM1", "--trace", f("b.txt")}), 0) << err;
    const std::string switched = read_bytes(f("b.txt"));
    const size_t speed = switched.find(" baud 9600");
    ASSERT_NE(speed, std::string::npos) << switched;
    EXPECT_EQ(switched.find(" recv "), switched.find(" recv ", speed)) << switched;
    EXPECT_EQ(switched.find(" baud 4800"), std::string::npos) << switched;
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
