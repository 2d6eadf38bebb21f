// qv3's offline verbs end to end, in-process: exit codes, outputs and files.
#include <sstream>

#include "cli/settings_text.h"
#include "model/tracker_text.h"
#include "test_support.h"

namespace qv3::test {
namespace {

using Qv3Offline = Qv3Run;

TEST_F(Qv3Offline, EncodeGivesTheModelsImageAndDecodePrintsItBack) {
    const ImageBytes image = encoded(defaults_for(4));
    write_bytes(f("s.txt"), "model = 1\n");
    ASSERT_EQ(run({"encode", "--model", "4", f("s.txt"), "-o", f("img")}), 0) << err;
    EXPECT_EQ(read_bytes(f("img")), std::string(image.begin(), image.end()));
    ASSERT_EQ(run({"decode", "--model", "4", f("img")}), 0) << err;
    EXPECT_EQ(out, settings_to_text(decoded(image, defaults_for(4))));

    ASSERT_EQ(run({"encode", f("s.txt"), "-o", f("img1")}), 0) << err;
    EXPECT_EQ(read_bytes(f("img1")).size(), 128u);  // the text's own model line
    write_bytes(f("big"), std::string(300, 'x'));
    for (const char* wrong_size : {"img1", "big"}) {
        EXPECT_EQ(run({"decode", "--model", "3", f(wrong_size)}), 1);
        EXPECT_EQ(err, "Corrupted EEPROM\n");
    }
}

TEST_F(Qv3Offline, EncodeReportsCutTextsAndRefusesAnImageThatCannotBeBuilt) {
    write_bytes(f("long.txt"), "model = 1\nprimary.status_text = \"" + std::string(120, 'L') + "\"\n");
    EXPECT_EQ(run({"encode", f("long.txt"), "-o", f("cut")}), 3);
    EXPECT_NE(err.find(kTextTruncatedMessage), std::string::npos);
    EXPECT_EQ(read_bytes(f("cut")).size(), 128u);

    write_bytes(f("huge.txt"), "model = 1\nprimary.path = \"" + std::string(40, ',') + "\"\n");
    EXPECT_EQ(run({"encode", f("huge.txt"), "-o", f("none")}), 1);
    EXPECT_EQ(err, std::string(kDoesNotFitMessage) + "\n");
    EXPECT_EQ(run({"save", f("huge.txt"), "-o", f("none.qv3")}), 1);
    write_bytes(f("bad.txt"), "model = 1\nprimary.slow_speed = 300\n");
    EXPECT_EQ(run({"encode", f("bad.txt"), "-o", f("none")}), 1);
    EXPECT_NE(err.find("line 2"), std::string::npos);
    write_bytes(f("omega.txt"), "model = 1\nprimary.status_text = \"\u03A9\"\n");
    for (const char* verb : {"encode", "save"}) {
        EXPECT_EQ(run({verb, f("omega.txt"), "-o", f("none.qv3")}), 1);
        EXPECT_EQ(err, "qv3: " + f("omega.txt") +
                           ": line 2: primary.status_text: the tracker cannot store the character '\u03A9' (U+03A9)\n");
    }
    EXPECT_FALSE(std::filesystem::exists(f("none")));
    EXPECT_FALSE(std::filesystem::exists(f("none.qv3")));
}

// A text is cut between the tracker's one-byte characters, so what is left
// prints as whole UTF-8 characters.
TEST_F(Qv3Offline, TextsAreCutBetweenCharacters) {
    std::string umlauts;
    for (int i = 0; i < 150; ++i) umlauts += "\u00C4";
    write_bytes(f("long.txt"), "model = 1\nprimary.status_text = \"" + umlauts + "\"\n");
    EXPECT_EQ(run({"save", f("long.txt"), "-o", f("long.qv3")}), 3);
    ASSERT_EQ(run({"show", f("long.qv3")}), 0) << err;
    const size_t start = out.find("primary.status_text = \"") + 23;
    const std::string shown = out.substr(start, out.find('"', start) - start);
    EXPECT_GT(shown.size(), 80u);
    EXPECT_EQ(shown, umlauts.substr(0, shown.size()));
    EXPECT_EQ(utf8_to_tracker(shown).bytes, std::string(shown.size() / 2, '\xC4'));
}

TEST_F(Qv3Offline, SaveShowAndDiff) {
    write_bytes(f("a.txt"), "model = 5\nprimary.callsign = \"n0call-7\"\nsecondary.frequency_mhz = 146.52\n");
    ASSERT_EQ(run({"save", f("a.txt"), "-o", f("a.qv3")}), 0) << err;
    EXPECT_EQ(err, "File Saved\n");
    ASSERT_EQ(run({"show", f("a.qv3")}), 0) << err;
    for (const char* line :
         {"model = 5\n", "primary.callsign = \"N0CALL-7\"\n", "secondary.frequency_mhz = 146.52\n"}) {
        EXPECT_NE(out.find(line), std::string::npos) << line;
    }
    write_bytes(f("shown.txt"), out);
    write_bytes(f("changed.txt"), out.replace(out.find("\"N0CALL-7\""), 10, "\"K1ABC\""));
    EXPECT_EQ(run({"diff", f("a.qv3"), f("shown.txt")}), 0) << out << err;
    EXPECT_EQ(out, "");
    EXPECT_EQ(run({"diff", f("a.qv3"), f("changed.txt")}), 1);
    EXPECT_EQ(out, "primary.callsign: \"N0CALL-7\" -> \"K1ABC\"\n");
    EXPECT_EQ(run({"diff", f("a.txt"), f("missing")}), 2);

    // Every file error names the file and, where the system gave one, its
    // reason: errno's words, or a save's in the system's own (Windows: "Path not found").
    write_bytes(f("short.qv3"), "QV3B");
    const std::string missing = ": Failed to open file (No such file or directory)\n";
    const std::pair<std::vector<std::string>, std::string> failures[] = {
        {{"show", f("short.qv3")}, f("short.qv3") + ": Failed to read data\n"},
        {{"show", f("missing.qv3")}, f("missing.qv3") + missing},
        {{"save", f("missing.txt"), "-o", f("x.qv3")}, f("missing.txt") + missing},
        {{"decode", "--model", "4", f("missing.img")}, f("missing.img") + missing},
        {{"save", f("a.txt"), "-o", f("no/x.qv3")}, f("no/x.qv3") + ": Failed to open file ("},
    };
    for (const auto& [args, error] : failures) {
        EXPECT_EQ(run(args), 1) << args[0];
        EXPECT_EQ(err.substr(0, error.size() + 5), "qv3: " + error);
    }
}

// A .qv3 source is known by its tag or its name, in any letter case, and a
// damaged one says so; a settings text may begin with a byte-order mark.
TEST_F(Qv3Offline, DiffTellsConfigurationFilesFromSettingsTexts) {
    write_bytes(f("plain.txt"), "model = 3\nprimary.callsign = \"K1ABC\"\n");
    write_bytes(f("bom.txt"), "\xEF\xBB\xBFmodel = 3\nprimary.callsign = \"K1ABC\"\n");
    EXPECT_EQ(run({"diff", f("plain.txt"), f("bom.txt")}), 0) << err;

    const struct { const char *name, *content, *status; } damaged[] = {
        {"tag.txt", "qv3x = 1\n", "Invalid File Format"},  // the tag decides, whatever the name
        {"short.txt", "QV3B", "Failed to read data"},
        {"text.QV3", "model = 3\n", "Invalid File Format"},  // the name decides, whatever the content
    };
    for (const auto& [name, content, status] : damaged) {
        write_bytes(f(name), content);
        EXPECT_EQ(run({"diff", f("plain.txt"), f(name)}), 2);
        EXPECT_EQ(err, "qv3: " + f(name) + ": " + status + "\n");
    }

    // An invisible byte in a key, a byte-order mark past the start included, is shown escaped.
    const std::pair<std::string, std::string> odd_keys[] = {
        {"\xEF\xBB\xBFmodel = 3\nprimary.call\xC2\xA0sign = 1\n", "line 2: unknown key 'primary.call\\xC2\\xA0sign'"},
        {"model = 3\n\xEF\xBB\xBFmodel = 1\n", "line 2: unknown key '\\xEF\\xBB\\xBFmodel'"},
        {"mo\x1B[2Jdel = 3\n", "line 1: unknown key 'mo\\x1B[2Jdel'"},
    };
    for (const auto& [text, problem] : odd_keys) {
        write_bytes(f("odd.txt"), text);
        EXPECT_EQ(run({"diff", f("plain.txt"), f("odd.txt")}), 2);
        EXPECT_EQ(err, "qv3: " + f("odd.txt") + ": " + problem + "\n");
    }
}

// A full disk or a closed pipe under standard output is a failure with one line.
TEST_F(Qv3Offline, OutputThatCannotBeWrittenExitsOne) {
    write_bytes(f("a.txt"), "model = 5\n");
    ASSERT_EQ(run({"save", f("a.txt"), "-o", f("a.qv3")}), 0) << err;
    ASSERT_EQ(run({"encode", f("a.txt"), "-o", f("a.img")}), 0) << err;
    const std::vector<std::vector<std::string>> verbs = {
        {"show", f("a.qv3")}, {"decode", "--model", "5", f("a.img")}, {"diff", f("a.qv3"), f("empty")}, {"--help"}};
    write_bytes(f("empty"), "");
    for (const auto& args : verbs) {
        std::ostringstream o, e;
        o.setstate(std::ios::badbit);  // as a stream whose writes fail
        EXPECT_EQ(run_qv3(args, o, e), 1) << args[0];
        EXPECT_EQ(e.str(), "qv3: cannot write to standard output\n") << args[0];
    }
}

// "-o -" puts the bytes on standard output; a folder as output fails to open.
TEST_F(Qv3Offline, OutputDashWritesToStandardOutput) {
    write_bytes(f("s.txt"), "model = 4\nprimary.callsign = \"N0CALL-7\"\n");
    ASSERT_EQ(run({"encode", f("s.txt"), "-o", f("s.img")}), 0) << err;
    ASSERT_EQ(run({"encode", f("s.txt"), "-o", "-"}), 0) << err;
    EXPECT_EQ(out.size(), 256u);
    EXPECT_EQ(out, read_bytes(f("s.img")));
    ASSERT_EQ(run({"save", f("s.txt"), "-o", f("s.qv3")}), 0) << err;
    ASSERT_EQ(run({"save", f("s.txt"), "-o", "-"}), 0) << err;
    EXPECT_EQ(out, read_bytes(f("s.qv3")));
    EXPECT_EQ(err, "File Saved\n");

    std::filesystem::create_directories(folder.path / "dir");
    for (const char* verb : {"encode", "save"}) {
        EXPECT_EQ(run({verb, f("s.txt"), "-o", f("dir")}), 1) << verb;
        EXPECT_EQ(err.rfind("qv3: " + f("dir") + ": Failed to open file (", 0), 0u) << err;
    }
}

// Keys is a line a key, in show's order and nothing else; show --explain reads
// back to the record that show prints.
TEST_F(Qv3Offline, KeysListsWhatShowPrintsAndExplainedSettingsReadBack) {
    write_bytes(f("a.txt"), "model = 6\nprimary.status_text = \"# not a comment\"\nsecondary.symbol_code = \"\"\n"
                            "primary.telemetry_text = \"T1\\r\\nT2\"\nsecondary.frequency_mhz = 146.52\n");
    ASSERT_EQ(run({"save", f("a.txt"), "-o", f("a.qv3")}), 0) << err;
    ASSERT_EQ(run({"show", f("a.qv3")}), 0) << err;
    const std::string shown = out;
    ASSERT_EQ(run({"keys"}), 0) << err;
    const std::string keys = out;

    std::istringstream shown_lines(shown), key_lines(keys);
    std::string shown_line, key_line;
    size_t help_column = std::string::npos;
    while (std::getline(shown_lines, shown_line)) {
        ASSERT_TRUE(std::getline(key_lines, key_line)) << "keys ends before " << shown_line;
        const std::string key = shown_line.substr(0, shown_line.find(" = "));
        EXPECT_EQ(key_line.substr(0, key_line.find(' ')), key);
        // The columns line up: every help starts in the same column.
        const size_t help = key_line.find_first_not_of(' ', key_line.rfind("  ") + 2);
        if (help_column == std::string::npos) help_column = help;
        EXPECT_EQ(help, help_column) << key_line;
    }
    EXPECT_FALSE(std::getline(key_lines, key_line)) << "keys lists more: " << key_line;

    ASSERT_EQ(run({"show", "--explain", f("a.qv3")}), 0) << err;
    std::istringstream explained(out);
    std::string comment, setting, rebuilt;
    while (std::getline(explained, comment)) {
        ASSERT_TRUE(comment.size() > 2 && comment.rfind("# ", 0) == 0) << comment;
        ASSERT_TRUE(std::getline(explained, setting));
        rebuilt += setting + "\n";
    }
    EXPECT_EQ(rebuilt, shown);
    ConfigRecord from_shown, from_explained;
    ASSERT_EQ(parse_settings_text(shown, from_shown), "");
    ASSERT_EQ(parse_settings_text(out, from_explained), "");
    EXPECT_EQ(from_explained, from_shown);
    EXPECT_EQ(from_shown.telemetry_text[0], "T1\r\nT2");
}

TEST_F(Qv3Offline, UsageErrorsExitTwoWithOneLine) {
    const std::vector<std::vector<std::string>> cases = {
        {}, {"frobnicate"}, {"decode", "x"}, {"decode", "--model", "9", "x"}, {"decode", "--model"}, {"encode", "x"},
        {"encode", "--bogus", "x", "-o", "y"}, {"show"}, {"diff", "a"}, {"save", "a", "-o", "b", "-o", "c"},
        {"keys", "x"}, {"show", "--explain"},
    };
    for (const auto& args : cases) {
        EXPECT_EQ(run(args), 2) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
    for (const std::string verb : {"decode", "encode", "show", "save", "diff", "keys"}) {
        EXPECT_EQ(run({verb, "--help"}), 0);
        EXPECT_EQ(out.rfind("usage: qv3 " + verb, 0), 0u) << out;
    }
    EXPECT_EQ(run({"--help"}), 0);
}

}  // namespace
}  // namespace qv3::test
