// qv3's device verbs in-process against the simulated tracker: outputs, exit codes, traces.
#include <gtest/gtest.h>

#include <fstream>

#include "cli/settings_text.h"
#include "model/image_decoder.h"
#include "model/image_encoder.h"
#include "sim/simulated_line.h"
#include "../test_support.h"

namespace qv3 {
namespace {

class Qv3Device : public test::Qv3Run {
protected:
    sim::SimulatedLine& line() { return sim::simulated_line(); }

    static sim::TrackerOptions tracker(int model) {
        sim::TrackerOptions options;
        options.model = model;
        return options;
    }
    std::string last_line(const std::string& text) {
        const size_t end = text.find_last_not_of('\n');
        const size_t start = text.rfind('\n', end);
        return text.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1) + 1);
    }
};

TEST_F(Qv3Device, VersionPrintsTheModelAndEveryStatus) {
    sim::reset_simulated_line(tracker(5));
    ASSERT_EQ(run({"version", "--port", "COM1"}), 0) << err;
    EXPECT_EQ(out, "model = 5\n");
    // What the tracker sent is shown with its control bytes escaped.
    EXPECT_EQ(err, "Reading Version\nVersion Read : \"PL-RUX v1.4\\r\\n\"\n");
}

TEST_F(Qv3Device, ReadPrintsWhatDecodingTheTrackersImageGives) {
    for (int model = 1; model <= kModelMax; ++model) {
        sim::reset_simulated_line(tracker(model));
        ConfigRecord expected;
        expected.device_model = model;
        ReceivedImage image;
        image.bytes = line().tracker.image;
        image.length = image_size_for_model(model);
        decode_image(image, expected);
        ASSERT_EQ(run({"read", "--port", "COM1"}), 0) << err;
        EXPECT_EQ(out, settings_to_text(expected));
        EXPECT_EQ(last_line(err), "Read Config Successful");
    }
    sim::reset_simulated_line(tracker(3));
    ASSERT_EQ(run({"read", "--port", "COM1", "-o", f("read.qv3")}), 0) << err;
    EXPECT_EQ(last_line(err), "File Saved");
    EXPECT_EQ(run({"show", f("read.qv3")}), 0);
}

TEST_F(Qv3Device, WriteLeavesTheTrackerHoldingTheEncodedImage) {
    for (int model = 1; model <= kModelMax; ++model) {
        sim::reset_simulated_line(tracker(model));
        std::ofstream(f("s.txt")) << "model = 2\nprimary.callsign = \"K1ABC-7\"\nsecondary.status_text = \"hi\"\n";
        ASSERT_EQ(run({"write", "--port", "COM1", f("s.txt"), "--yes"}), 0) << err;
        EXPECT_EQ(last_line(err), "Config Written Successfully!");
        // The image is laid out for the model the tracker reports, not the text's.
        ASSERT_EQ(run({"encode", "--model", std::to_string(model), f("s.txt"), "-o", f("img")}), 0);
        const std::string expected = test::read_bytes(f("img"));
        const auto& held = line().tracker.image;
        EXPECT_EQ(std::string(held.begin(), held.begin() + image_size_for_model(model)), expected) << model;
    }
}

TEST_F(Qv3Device, FailuresExitOneWithTheFinalStatus) {
    sim::TrackerOptions silent = tracker(4);
    silent.silent = true;
    sim::reset_simulated_line(silent);
    EXPECT_EQ(run({"read", "--port", "COM1"}), 1);
    EXPECT_EQ(last_line(err), "Quorvale3 not found : ()");
    EXPECT_EQ(out, "");

    sim::TrackerOptions stream = tracker(4);
    stream.stream = true;
    for (const std::string verb : {"version", "read"}) {
        sim::reset_simulated_line(stream);
        EXPECT_EQ(run({verb, "--port", "COM1"}), 1);
        EXPECT_NE(err.find("\nQuorvale3 not found : ("), std::string::npos) << err;
    }
    sim::reset_simulated_line(stream);
    std::ofstream(f("d.txt")) << "";
    EXPECT_EQ(run({"write", "--port", "COM1", f("d.txt"), "--yes"}), 1);

    sim::reset_simulated_line(tracker(4));
    EXPECT_EQ(run({"version", "--port", "COM9"}), 1);
    EXPECT_EQ(err, "Could not open Com Port COM9\n");
    EXPECT_EQ(run({"tone", "--port", "COM9", "both"}), 1);
    EXPECT_EQ(err, "Could not open Com Port COM9\n");
}

TEST_F(Qv3Device, ToneAndTrace) {
    sim::reset_simulated_line(tracker(4));
    ASSERT_EQ(run({"tone", "--port", "COM1", "2200", "--trace", f("trace.txt")}), 0) << err;
    EXPECT_EQ(line().tracker.test_commands_total, 1u);
    std::ifstream in(f("trace.txt"));
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l.substr(l.find_first_not_of(' ')));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "0 sent 1B");
    EXPECT_EQ(lines[2].substr(lines[2].find(' ')), " sent 32");

    ASSERT_EQ(run({"version", "--port", "COM1", "--trace", f("v.txt")}), 0);
    const std::string trace = test::read_bytes(f("v.txt"));
    EXPECT_NE(trace.find("recv 0D"), std::string::npos);
    EXPECT_NE(trace.find("recv 0A"), std::string::npos);
}

TEST_F(Qv3Device, BaudChoosesTheFirstQuerysSpeed) {
    sim::TrackerOptions options = tracker(6);
    options.only_baud = 9600;
    sim::reset_simulated_line(options);
    ASSERT_EQ(run({"read", "--port", "COM1", "--baud", "9600"}), 0) << err;
    std::vector<uint32_t> speeds;
    for (const auto& e : line().events) {
        if (e.kind == sim::LineEvent::Open) speeds.push_back(e.baud);
    }
    EXPECT_EQ(speeds, (std::vector<uint32_t>{9600, 9600}));
    EXPECT_EQ(run({"read", "--port", "COM1", "--baud", "1200"}), 2);
}

TEST_F(Qv3Device, StepsComeOnAHundredMillisecondBeat) {
    sim::reset_simulated_line(tracker(4));
    ASSERT_EQ(run({"version", "--port", "COM1"}), 0) << err;
    // The first step comes one beat after the query, as the window's first timer tick.
    int first_sleep = -1;
    for (const auto& e : line().events) {
        if (e.kind == sim::LineEvent::Sleep && first_sleep < 0) first_sleep = e.sleep_ms;
    }
    EXPECT_GE(first_sleep, 95);
    EXPECT_LE(first_sleep, 100);
}

TEST_F(Qv3Device, UsageErrors) {
    EXPECT_EQ(run({"read"}), 2);
    EXPECT_EQ(run({"tone", "--port", "COM1", "3000"}), 2);
    EXPECT_EQ(run({"write", "--port", "COM1"}), 2);
    EXPECT_EQ(run({"write", "--port", "COM1", f("missing.txt"), "--yes"}), 1);
    for (const std::string verb : {"version", "read", "write", "tone"}) {
        EXPECT_EQ(run({verb, "--help"}), 0);
        EXPECT_EQ(out.rfind("usage: qv3 " + verb, 0), 0u);
    }
}

}  // namespace
}  // namespace qv3
