// qv3sim's command line: options into a record, every value checked.
#pragma once

#include <string>
#include <vector>

#include "sim/tracker.h"

namespace qv3::sim {

// Exit codes of qv3sim.
constexpr int kSimExitOk = 0;
constexpr int kSimExitFailure = 1;
constexpr int kSimExitUsage = 2;

// Longest path accepted for --link, --image, --log and --image-out.
constexpr size_t kMaxSimPathLength = 4096;

struct SimOptions {
    TrackerOptions tracker;
    std::string link_path;
    std::string image_path;      // empty: the model's encoded defaults
    std::string log_path;        // empty: no log
    std::string image_out_path;  // empty: no image copies
    bool help = false;
    bool version = false;
};

struct SimOptionsResult {
    SimOptions options;
    std::string error;  // one line without "qv3sim: "; empty when the options are usable
};

// Parses the arguments after the program name. --help, then --version, win
// over every error.
SimOptionsResult parse_sim_options(const std::vector<std::string>& args);

// The text --help prints.
extern const char* const kSimUsage;

}  // namespace qv3::sim
