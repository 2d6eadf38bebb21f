// The lines of qv3sim's --log file: one event per line, milliseconds since start first.
//
//   0 ms ready model 4 on /dev/pts/3
//   12 ms rx 1B
//   14 ms tx 51
//   15 ms rx 55 ignored at 4800 baud
//   20 ms version query
//   900 ms write 1 stored
//   950 ms test tone 1200 Hz
//
// rx is a byte from the host to the tracker, tx one from the tracker to the host.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sim/tracker.h"

namespace qv3::sim {

std::string log_byte_line(int64_t ms, bool to_tracker, uint8_t byte);
std::string log_ignored_line(int64_t ms, uint8_t byte, uint32_t line_baud);
std::string log_text_line(int64_t ms, std::string_view text);

// "tone 1200 Hz", "tone 2200 Hz", "tones 1200 and 2200 Hz", "tone stop".
std::string_view test_command_text(TestCommand command);

}  // namespace qv3::sim
