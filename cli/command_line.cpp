// Argument parsing and file helpers for qv3; every read is bounded.
#include "cli/command_line.h"

#include <charconv>
#include <cstdio>

#include "cli/settings_text.h"
#include "cli/stdout_mode.h"
#include "files/bounded_read.h"
#include "files/config_file.h"
#include "files/system_text.h"
#include "model/kept_fields.h"

namespace qv3 {

namespace {

bool listed(const std::vector<std::string_view>& options, std::string_view name) {
    for (const auto option : options) {
        if (option == name) return true;
    }
    return false;
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

std::string file_error(std::string_view path, std::string_view text, std::string_view reason) {
    std::string error(path);
    error += ": ";
    return error + with_reason(text, reason);
}

std::optional<std::string> read_input_bounded(const std::string& path, size_t max_bytes, std::string& error) {
    const BoundedRead read = path == "-" ? read_bounded(stdin, max_bytes) : read_file_bounded(path, max_bytes);
    if (read.outcome == BoundedReadOutcome::Read) return read.bytes;
    error = file_error(path, bounded_read_outcome_text(read.outcome), errno_reason(read.system_error));
    return std::nullopt;
}

ReplaceResult write_output(const std::string& path, std::string_view bytes, std::ostream& out) {
    if (path != "-") return replace_file(path, bytes);
    out.flush();
    // Image bytes must reach the file unchanged, also where standard output translates line ends.
    const int previous_mode = set_stdout_binary();
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    restore_stdout_mode(previous_mode);
    return {out ? ReplaceOutcome::Written : ReplaceOutcome::WriteFailed, {}};
}

SaveResult save_config_output(const std::string& path, ConfigRecord& record, ImageBytes& encoded_image,
                              std::ostream& out) {
    if (path != "-") return save_config_file(path, record, encoded_image);
    const EncodeOutcome encoding = encode_image(record, encoded_image);
    if (encoding == EncodeOutcome::DoesNotFit) return {encoding, ReplaceOutcome::WriteFailed};
    ReplaceResult written = write_output(path, config_file_bytes(record.device_model, encoded_image), out);
    return {encoding, written.outcome, std::move(written.reason)};
}

std::string save_status(std::string_view path, ReplaceOutcome saved, std::string_view reason) {
    if (saved == ReplaceOutcome::Written) return replace_outcome_text(saved);
    return "qv3: " + file_error(path, replace_outcome_text(saved), reason);
}

std::string terminal_safe(std::string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c <= 0x7E) {
            out.push_back(ch);
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += "\\x";
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 0x0F]);
        }
    }
    return out;
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

std::optional<ConfigurationSource> load_configuration_source(const std::string& path, std::string& error) {
    const auto content = read_input_bounded(path, kMaxSettingsTextBytes, error);
    if (!content) return std::nullopt;
    ConfigurationSource source;
    if (content->empty()) {
        source.sets_a_setting = false;
        return source;
    }
    if (looks_like_config_file(path == "-" ? std::string_view() : std::string_view(path), *content)) {
        if (path == "-") {
            error = "-: a configuration file is read by its name, not from standard input";
            return std::nullopt;
        }
        ReceivedImage image;
        const LoadResult loaded = load_config_file(path, source.record, image);
        if (loaded.outcome != LoadOutcome::Loaded) {
            error = file_error(path, load_outcome_text(loaded.outcome), loaded.reason);
            return std::nullopt;
        }
        source.for_model = source.record.device_model;
        const DeviceModelInfo& model = device_model_info(source.for_model);
        for (const SettingsKey& key : settings_keys()) {
            if (model_keeps(model, key.field->kept_by)) source.keys_set.insert(key.key);
        }
        return source;
    }
    if (content->size() > kMaxSettingsTextBytes) {
        error = path + ": settings text too large";
        return std::nullopt;
    }
    if (auto problem = parse_settings_text(*content, source.record, source.keys_set); !problem.empty()) {
        error = path + ": " + problem;
        return std::nullopt;
    }
    source.sets_a_setting = !source.keys_set.empty();
    source.for_model = source.record.device_model;
    return source;
}

}  // namespace qv3
