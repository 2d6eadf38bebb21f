// Argument parsing and file helpers for qv3; every read is bounded.
#include "cli/command_line.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "cli/settings_text.h"
#include "files/config_file.h"

namespace qv3 {

namespace {

bool listed(const std::vector<std::string_view>& options, std::string_view name) {
    for (const auto option : options) {
        if (option == name) return true;
    }
    return false;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// A .qv3 file starts with its tag, "QV3A" or "QV3B" in any letter case.
bool looks_like_qv3_file(std::string_view content) {
    std::string tag(content.substr(0, 4));
    for (auto& c : tag) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return tag == "QV3A" || tag == "QV3B";
}

}  // namespace

Arguments parse_arguments(const std::vector<std::string>& args, const std::vector<std::string_view>& value_options,
                          const std::vector<std::string_view>& switch_options) {
    Arguments parsed;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
        } else if (listed(value_options, arg)) {
            if (i + 1 >= args.size()) {
                parsed.error = "option " + arg + " needs a value";
                return parsed;
            }
            if (!parsed.values.emplace(arg, args[i + 1]).second) {
                parsed.error = "option " + arg + " given twice";
                return parsed;
            }
            ++i;
        } else if (listed(switch_options, arg)) {
            parsed.switches.insert(arg);
        } else if (arg.size() > 1 && arg[0] == '-') {
            parsed.error = "unknown option " + arg;
            return parsed;
        } else {
            parsed.positional.push_back(arg);
        }
    }
    return parsed;
}

int usage_outcome(const Arguments& parsed, size_t positional, std::string_view help, std::ostream& out,
                  std::ostream& err) {
    if (parsed.help) {
        out << help;
        return kExitOk;
    }
    if (!parsed.error.empty()) {
        err << "qv3: " << parsed.error << " (see --help)\n";
        return kExitUsage;
    }
    if (parsed.positional.size() != positional) {
        err << "qv3: expected " << positional << " argument" << (positional == 1 ? "" : "s")
            << " (see --help)\n";
        return kExitUsage;
    }
    return -1;
}

std::optional<std::string> read_file_bounded(const std::string& path, size_t max_bytes, std::string& error) {
    std::unique_ptr<std::FILE, FileCloser> owned;
    std::FILE* file = stdin;
    if (path != "-") {
        owned.reset(std::fopen(path.c_str(), "rb"));
        file = owned.get();
        if (file == nullptr) {
            error = "cannot open " + path;
            return std::nullopt;
        }
    }
    std::string content;
    char buffer[4096];
    while (content.size() <= max_bytes) {
        const size_t wanted = std::min(sizeof buffer, max_bytes + 1 - content.size());
        const size_t got = std::fread(buffer, 1, wanted, file);
        content.append(buffer, got);
        if (got < wanted) break;
    }
    if (std::ferror(file)) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    return content;
}

bool write_file_atomically(const std::string& path, std::string_view bytes, std::string& error) {
    const std::string temporary = path + ".qv3-new";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot create " + path;
        return false;
    }
    bool complete = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    complete = std::fflush(file) == 0 && complete;
    complete = std::fclose(file) == 0 && complete;
    std::error_code failure;
    if (complete) std::filesystem::rename(temporary, path, failure);
    if (!complete || failure) {
        std::filesystem::remove(temporary, failure);
        error = "cannot write " + path;
        return false;
    }
    return true;
}

std::optional<int> parse_model_option(std::string_view text) {
    int model = -1;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), model);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
        (model != kModelNone && !model_known(model))) {
        return std::nullopt;
    }
    return model;
}

std::optional<ConfigRecord> load_configuration_source(const std::string& path, std::string& error) {
    const auto content = read_file_bounded(path, kMaxSettingsTextBytes, error);
    if (!content) return std::nullopt;
    ConfigRecord record;
    if (looks_like_qv3_file(*content) && path != "-") {
        ReceivedImage image;
        const std::string status = load_config_file(path, record, image);
        if (status != "File Loaded") {
            error = path + ": " + status;
            return std::nullopt;
        }
        return record;
    }
    if (content->size() > kMaxSettingsTextBytes) {
        error = path + ": settings text too large";
        return std::nullopt;
    }
    if (auto problem = parse_settings_text(*content, record); !problem.empty()) {
        error = path + ": " + problem;
        return std::nullopt;
    }
    return record;
}

}  // namespace qv3
