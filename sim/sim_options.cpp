// Parsing and checking of qv3sim's options.
#include "sim/sim_options.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <set>
#include <string_view>

namespace qv3::sim {

const char* const kSimUsage =
    "usage: qv3sim --model N --link PATH [options]\n"
    "Serves a simulated tracker on a pseudo-terminal; PATH becomes a symbolic link\n"
    "to it, for the host to open like a serial port.\n"
    "\n"
    "  --model N              device model code, 1 to 6\n"
    "  --link PATH            symbolic link to create (an old link there is replaced)\n"
    "  --image FILE           start with this raw image (exactly the model's size)\n"
    "  --silent               answer nothing (writes and tests are still heard)\n"
    "  --reply-delay MS       wait MS (0 to 10000) before each answer\n"
    "  --only-baud BAUD       hear only bytes sent at 4800 or 9600 baud\n"
    "  --short-image N        a read sends only the first N image bytes\n"
    "  --long-image N         a read sends N bytes: the image, then filler\n"
    "  --corrupt-readback OFFSET\n"
    "                         the first read after a write changes that byte\n"
    "  --hang-up-after N      once: hang up the line after sending or receiving N\n"
    "                         (0 to 256) bytes of an image, like a pulled cable;\n"
    "                         the port comes back at the same link at once\n"
    "  --noise                random bytes now and then between answers\n"
    "  --stream               talk without end, like a tracker reporting positions\n"
    "  --seed N               seed for noise, stream and filler (default 1)\n"
    "  --log FILE             log every byte and test command, one line each\n"
    "  --image-out FILE       keep FILE equal to the tracker's image (at start and\n"
    "                         after every write)\n"
    "  --help                 show this text\n"
    "  --version              print qv3sim's version\n"
    "\n"
    "Prints one line when ready. SIGINT or SIGTERM ends it and removes the link.\n"
    "Exit 0 when ended by a signal, 1 on failure, 2 on a usage error.\n";

namespace {

// Largest accepted number for each bounded option, checked before narrowing.
constexpr uint64_t kMaxSmallNumber = 100000;

// A plain decimal number: digits only, no sign, no overflow.
std::optional<uint64_t> parse_unsigned(std::string_view text) {
    if (text.empty() || text.size() > 20) return std::nullopt;
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<uint64_t>(c - '0');
        if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

bool is_value_option(std::string_view name) {
    static const std::set<std::string_view> names{
        "--model",      "--link",        "--image",          "--reply-delay", "--only-baud", "--short-image",
        "--long-image", "--corrupt-readback", "--log",       "--image-out",   "--seed",
        "--hang-up-after",
    };
    return names.count(name) != 0;
}

bool is_switch_option(std::string_view name) { return name == "--silent" || name == "--noise" || name == "--stream"; }

// Stores one option's value; returns an error line or empty.
std::string apply_value(SimOptions& options, std::string_view name, const std::string& value) {
    if (name == "--link" || name == "--image" || name == "--log" || name == "--image-out") {
        if (value.empty()) return std::string(name) + " needs a path";
        if (value.size() > kMaxSimPathLength) return std::string(name) + " path is too long";
        if (value.find('\0') != std::string::npos) return std::string(name) + " path holds a NUL byte";
        if (name == "--link") options.link_path = value;
        if (name == "--image") options.image_path = value;
        if (name == "--log") options.log_path = value;
        if (name == "--image-out") options.image_out_path = value;
        return "";
    }

    const std::optional<uint64_t> number = parse_unsigned(value);
    if (!number) return std::string(name) + " needs a whole number, not '" + value.substr(0, 40) + "'";
    if (name == "--seed") {
        options.tracker.seed = *number;
        return "";
    }
    // Larger values are out of every range; validate_tracker_options names the exact one.
    const int small = static_cast<int>(std::min<uint64_t>(*number, kMaxSmallNumber));
    if (name == "--model") options.tracker.model = small;
    if (name == "--reply-delay") options.tracker.reply_delay_ms = small;
    if (name == "--only-baud") options.tracker.only_baud = static_cast<uint32_t>(small);
    if (name == "--short-image") options.tracker.short_image = small;
    if (name == "--long-image") options.tracker.long_image = small;
    if (name == "--corrupt-readback") options.tracker.corrupt_readback = small;
    if (name == "--hang-up-after") options.tracker.hang_up_after = small;
    return "";
}

}  // namespace

SimOptionsResult parse_sim_options(const std::vector<std::string>& args) {
    SimOptionsResult result;
    SimOptions& options = result.options;
    std::set<std::string, std::less<>> seen;
    bool model_given = false;

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg == "--version") {
            options.version = true;
            continue;
        }
        if (!result.error.empty()) continue;  // keep looking for --help and --version only

        if (!is_value_option(arg) && !is_switch_option(arg)) {
            result.error = arg.rfind('-', 0) == 0 ? "unknown option '" + arg.substr(0, 40) + "'"
                                                  : "unexpected argument '" + arg.substr(0, 40) + "'";
            continue;
        }
        if (!seen.insert(arg).second) {
            result.error = arg + " given twice";
            continue;
        }
        if (arg == "--silent") {
            options.tracker.silent = true;
        } else if (arg == "--noise") {
            options.tracker.noise = true;
        } else if (arg == "--stream") {
            options.tracker.stream = true;
        } else if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0) {
            result.error = arg + " needs a value";
        } else {
            result.error = apply_value(options, arg, args[++i]);
            if (arg == "--model") model_given = true;
        }
    }

    if (options.help || options.version) {
        result.error.clear();
        return result;
    }
    if (!result.error.empty()) return result;
    if (!model_given) {
        result.error = "--model N is required";
    } else if (options.link_path.empty()) {
        result.error = "--link PATH is required";
    } else {
        result.error = validate_tracker_options(options.tracker);
    }
    return result;
}

}  // namespace qv3::sim
