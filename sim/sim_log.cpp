// Formatting of qv3sim's log lines.
#include "sim/sim_log.h"

namespace qv3::sim {
namespace {

std::string hex_byte(uint8_t byte) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    return {kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

}  // namespace

std::string log_text_line(int64_t ms, std::string_view text) {
    return std::to_string(ms) + " ms " + std::string(text) + "\n";
}

std::string log_byte_line(int64_t ms, bool to_tracker, uint8_t byte) {
    return log_text_line(ms, (to_tracker ? "rx " : "tx ") + hex_byte(byte));
}

std::string log_ignored_line(int64_t ms, uint8_t byte, uint32_t line_baud) {
    return log_text_line(ms, "rx " + hex_byte(byte) + " ignored at " + std::to_string(line_baud) + " baud");
}

std::string_view test_command_text(TestCommand command) {
    switch (command) {
        case TestCommand::Tone1200: return "tone 1200 Hz";
        case TestCommand::Tone2200: return "tone 2200 Hz";
        case TestCommand::BothTones: return "tones 1200 and 2200 Hz";
        case TestCommand::Stop: return "tone stop";
    }
    return "tone ?";
}

}  // namespace qv3::sim
