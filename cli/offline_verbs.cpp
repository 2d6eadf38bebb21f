// The qv3 verbs that need no device: decode, encode, show, save, diff and keys.
#include <algorithm>
#include <string_view>

#include "cli/command_line.h"
#include "cli/qv3_cli.h"
#include "cli/settings_text.h"
#include "cli/write_changes.h"
#include "files/config_file.h"
#include "model/image_decoder.h"
#include "model/image_encoder.h"

namespace qv3 {

namespace {

constexpr std::string_view kDecodeHelp =
    "usage: qv3 decode --model N IMAGE\n"
    "Decodes a raw configuration image (0 to 256 bytes) for model N (0 to 6)\n"
    "onto the defaults and prints the settings text.\n";
constexpr std::string_view kEncodeHelp =
    "usage: qv3 encode [--model N] SETTINGS -o IMAGE\n"
    "Encodes a settings text (\"-\" for standard input) into the raw image of its\n"
    "model (128 or 256 bytes). --model overrides the text's model line.\n"
    "\"-o -\" writes the image to standard output.\n"
    "Exit 0 when encoded, 3 when texts had to be cut (the image is still\n"
    "written), 1 on bad input or when the image cannot be built.\n";
constexpr std::string_view kShowHelp =
    "usage: qv3 show [--explain] FILE.qv3\n"
    "Loads a configuration file as the application's Load does and prints the\n"
    "settings text. --explain puts each setting's help above it as a '#' line.\n";
constexpr std::string_view kSaveHelp =
    "usage: qv3 save SETTINGS -o FILE.qv3\n"
    "Encodes a settings text and saves it as the application's Save does\n"
    "(\"-o -\": to standard output).\n"
    "Exit 0 when saved, 3 when saved with texts cut, 1 on failure.\n";
constexpr std::string_view kKeysHelp =
    "usage: qv3 keys\n"
    "Lists every key of the settings text, one a line: the key, its kind, the\n"
    "values it accepts, its unit and what it does.\n";
constexpr std::string_view kDiffHelp =
    "usage: qv3 diff A B\n"
    "A and B are each a .qv3 file or a settings text. Prints one line per\n"
    "differing key. Exit 0 when equal, 1 when they differ, 2 on trouble.\n";

void report_encoding(EncodeOutcome outcome, std::ostream& err) {
    if (outcome == EncodeOutcome::TextTruncated) err << kTextTruncatedCaption << ": " << kTextTruncatedMessage << "\n";
    if (outcome == EncodeOutcome::DoesNotFit) err << kDoesNotFitMessage << "\n";
}

std::optional<ConfigRecord> read_settings(const std::string& path, std::ostream& err) {
    std::string error;
    const auto content = read_input_bounded(path, kMaxSettingsTextBytes, error);
    if (!content) {
        err << "qv3: " << error << "\n";
        return std::nullopt;
    }
    ConfigRecord record;
    if (const auto problem = parse_settings_text(*content, record); !problem.empty()) {
        err << "qv3: " << path << ": " << problem << "\n";
        return std::nullopt;
    }
    return record;
}

}  // namespace

int verb_decode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Arguments parsed = parse_arguments(args, {"--model"}, {});
    if (const int code = usage_outcome(parsed, 1, kDecodeHelp, out, err); code >= 0) return code;
    const auto model_text = parsed.values.find("--model");
    if (model_text == parsed.values.end()) {
        err << "qv3: decode needs --model N (see --help)\n";
        return kExitUsage;
    }
    const auto model = parse_model_option(model_text->second);
    if (!model) {
        err << "qv3: --model takes a model code from 0 to " << kModelMax << "\n";
        return kExitUsage;
    }
    std::string error;
    const auto content = read_input_bounded(parsed.positional[0], kImageBufferSize, error);
    if (!content) {
        err << "qv3: " << error << "\n";
        return kExitFailure;
    }
    ConfigRecord record;
    record.device_model = *model;
    ReceivedImage image;
    // A file longer than the buffer can never be an image; its length alone fails the decode.
    image.length = static_cast<int>(content->size());
    for (size_t i = 0; i < content->size() && i < image.bytes.size(); ++i) {
        image.bytes[i] = static_cast<uint8_t>((*content)[i]);
    }
    const DecodeOutcome outcome = decode_image(image, record);
    if (outcome != DecodeOutcome::Success) {
        err << decode_status_text(outcome) << "\n";
        return kExitFailure;
    }
    out << settings_to_text(record);
    return kExitOk;
}

int verb_encode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Arguments parsed = parse_arguments(args, {"--model", "-o"}, {});
    if (const int code = usage_outcome(parsed, 1, kEncodeHelp, out, err); code >= 0) return code;
    const auto output = parsed.values.find("-o");
    if (output == parsed.values.end()) {
        err << "qv3: encode needs -o IMAGE (see --help)\n";
        return kExitUsage;
    }
    std::optional<int> model_override;
    if (const auto model_text = parsed.values.find("--model"); model_text != parsed.values.end()) {
        model_override = parse_model_option(model_text->second);
        if (!model_override) {
            err << "qv3: --model takes a model code from 0 to " << kModelMax << "\n";
            return kExitUsage;
        }
    }
    auto record = read_settings(parsed.positional[0], err);
    if (!record) return kExitFailure;
    if (model_override) record->device_model = *model_override;

    ImageBytes image{};
    const EncodeOutcome outcome = encode_image(*record, image);
    report_encoding(outcome, err);
    if (outcome == EncodeOutcome::DoesNotFit) return kExitFailure;
    const auto size = static_cast<size_t>(image_size_for_model(record->device_model));
    const ReplaceResult written =
        write_output(output->second, std::string_view(reinterpret_cast<const char*>(image.data()), size), out);
    if (written.outcome != ReplaceOutcome::Written) {
        err << save_status(output->second, written.outcome, written.reason) << "\n";
        return kExitFailure;
    }
    return outcome == EncodeOutcome::TextTruncated ? kExitTruncated : kExitOk;
}

int verb_show(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Arguments parsed = parse_arguments(args, {}, {"--explain"});
    if (const int code = usage_outcome(parsed, 1, kShowHelp, out, err); code >= 0) return code;
    ConfigRecord record;
    ReceivedImage image;
    const LoadResult loaded = load_config_file(parsed.positional[0], record, image);
    if (loaded.outcome != LoadOutcome::Loaded) {
        err << "qv3: " << file_error(parsed.positional[0], load_outcome_text(loaded.outcome), loaded.reason) << "\n";
        return kExitFailure;
    }
    out << (parsed.switches.count("--explain") != 0 ? settings_to_explained_text(record) : settings_to_text(record));
    return kExitOk;
}

int verb_save(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Arguments parsed = parse_arguments(args, {"-o"}, {});
    if (const int code = usage_outcome(parsed, 1, kSaveHelp, out, err); code >= 0) return code;
    const auto output = parsed.values.find("-o");
    if (output == parsed.values.end()) {
        err << "qv3: save needs -o FILE.qv3 (see --help)\n";
        return kExitUsage;
    }
    auto record = read_settings(parsed.positional[0], err);
    if (!record) return kExitFailure;
    ImageBytes image{};
    const SaveResult result = save_config_output(output->second, *record, image, out);
    report_encoding(result.encoding, err);
    err << save_status(output->second, result.saved, result.reason) << "\n";
    if (result.saved != ReplaceOutcome::Written) return kExitFailure;
    return result.encoding == EncodeOutcome::TextTruncated ? kExitTruncated : kExitOk;
}

int verb_diff(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Arguments parsed = parse_arguments(args, {}, {});
    if (const int code = usage_outcome(parsed, 2, kDiffHelp, out, err); code >= 0) return code;
    std::optional<ConfigurationSource> sides[2];
    for (int i = 0; i < 2; ++i) {
        std::string error;
        sides[i] = load_configuration_source(parsed.positional[static_cast<size_t>(i)], error);
        if (!sides[i]) {
            err << "qv3: " << error << "\n";
            return kExitUsage;
        }
    }
    const std::vector<std::string> lines = changed_settings(sides[0]->record, sides[1]->record);
    for (const std::string& line : lines) out << line << "\n";
    return lines.empty() ? kExitOk : kExitFailure;
}

int verb_keys(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const Arguments parsed = parse_arguments(args, {}, {});
    if (const int code = usage_outcome(parsed, 0, kKeysHelp, out, err); code >= 0) return code;
    struct Row {
        std::string key, kind, range, unit;
        const char* help;
    };
    std::vector<Row> rows;
    size_t widths[4] = {};
    for (const auto& [key, field, bank] : settings_keys()) {
        Row row{key, field_kind_name(field->kind), field_range_text(*field), *field->unit ? field->unit : "-",
                field->help};
        const std::string* columns[4] = {&row.key, &row.kind, &row.range, &row.unit};
        for (size_t i = 0; i < 4; ++i) widths[i] = std::max(widths[i], columns[i]->size());
        rows.push_back(std::move(row));
    }
    for (const Row& row : rows) {
        const std::string* columns[4] = {&row.key, &row.kind, &row.range, &row.unit};
        for (size_t i = 0; i < 4; ++i) out << *columns[i] << std::string(widths[i] - columns[i]->size() + 2, ' ');
        out << row.help << "\n";
    }
    return kExitOk;
}

}  // namespace qv3
