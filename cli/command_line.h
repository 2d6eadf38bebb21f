// Small helpers shared by the qv3 verbs: argument parsing and bounded file I/O.
#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "files/config_file.h"
#include "files/replace_file.h"
#include "model/config_record.h"

namespace qv3 {

// Exit codes of qv3.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitTruncated = 3;

struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string, std::less<>> values;  // options that take a value
    std::set<std::string, std::less<>> switches;              // options without one
    bool help = false;
    std::string error;  // a one-line usage error, or empty
};

// Splits a verb's arguments. Options not listed, a missing value and a repeated
// option are usage errors.
Arguments parse_arguments(const std::vector<std::string>& args, const std::vector<std::string_view>& value_options,
                          const std::vector<std::string_view>& switch_options);

// Answers --help and usage errors common to every verb: the exit code, or -1
// when the verb should go on. positional is the number of file arguments.
int usage_outcome(const Arguments& parsed, size_t positional, std::string_view help, std::ostream& out,
                  std::ostream& err);

// Every file error of qv3 reads "FILE: TEXT (REASON)", without the reason
// when the system gave none; callers put "qv3: " in front.
std::string file_error(std::string_view path, std::string_view text, std::string_view reason);

// Reads at most max_bytes + 1 bytes (read_file_bounded), so callers can tell an
// oversized file. "-" reads standard input. Returns std::nullopt (and error,
// a file_error) when unreadable.
std::optional<std::string> read_input_bounded(const std::string& path, size_t max_bytes, std::string& error);

// Saves bytes to path through replace_file; "-" writes them to out (standard output).
ReplaceResult write_output(const std::string& path, std::string_view bytes, std::ostream& out);

// save_config_file for every qv3 -o: "-" writes the .qv3 file to out.
SaveResult save_config_output(const std::string& path, ConfigRecord& record, ImageBytes& encoded_image,
                              std::ostream& out);

// What qv3 says of a save to path: "File Saved", or its file_error.
std::string save_status(std::string_view path, ReplaceOutcome saved, std::string_view reason);

// Text from outside (a status line carrying what a tracker sent, a port's
// name) with control and non-ASCII bytes shown as escapes, so that it cannot
// drive the terminal.
std::string terminal_safe(std::string_view text);

// A model code from option text: 0 to 6.
std::optional<int> parse_model_option(std::string_view text);

// A configuration as qv3 write and diff read it.
struct ConfigurationSource {
    ConfigRecord record;
    bool sets_a_setting = true;  // false for an empty file or a text of comments only
    // The model the source is for: a settings text's model line (kModelNone
    // without one), a .qv3 file's trailer or tag. Kept apart from
    // record.device_model, which a write replaces with the tracker's model.
    int for_model = kModelNone;
    // The settings keys the source gives a value: a settings text's keys; for
    // a .qv3 file, every key its model's image keeps.
    std::set<std::string, std::less<>> keys_set;
};

// Loads a configuration source: a .qv3 file (one that starts with the tag or is
// named *.qv3, in any letter case) as the application's Load does, or a
// settings text onto the defaults.
std::optional<ConfigurationSource> load_configuration_source(const std::string& path, std::string& error);

}  // namespace qv3
