// The simulated tracker's command parser, replies, faults and paced output.
#include "sim/tracker.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "model/image_encoder.h"

namespace qv3::sim {
namespace {

constexpr uint8_t kEsc = 0x1B;
constexpr int64_t kMicrosPerMs = 1000;
constexpr int kWriteLength = kImageBufferSize;  // a write always carries 256 bytes

// Noise bursts: a few bytes after a quiet gap, so that the line is mostly idle.
constexpr int kNoiseBurstMax = 8;
constexpr int64_t kNoiseGapMinUs = 20 * kMicrosPerMs;
constexpr int64_t kNoiseGapMaxUs = 500 * kMicrosPerMs;

// splitmix64: small, seedable and the same on every platform.
uint64_t next_random(Tracker& tracker) {
    uint64_t z = (tracker.random_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

int64_t random_between(Tracker& tracker, int64_t low, int64_t high) {
    const uint64_t span = static_cast<uint64_t>(high - low) + 1;
    return low + static_cast<int64_t>(next_random(tracker) % span);
}

bool talks(const Tracker& tracker) {
    return !tracker.options.silent && (tracker.options.stream || tracker.options.noise);
}

uint32_t sending_baud(const Tracker& tracker) {
    return tracker.options.only_baud != 0 ? tracker.options.only_baud : tracker.line_baud;
}

int64_t sending_byte_us(const Tracker& tracker) { return byte_time_us(sending_baud(tracker)); }

// One position report with a valid checksum; the clock field advances every
// second sentence and the position wanders a little.
std::string stream_sentence(Tracker& tracker) {
    const uint32_t number = tracker.talk.sentence_number++;
    const uint32_t seconds = number / 2;
    const unsigned hours = (seconds / 3600) % 24;
    const unsigned minutes = (seconds / 60) % 60;
    const unsigned secs = seconds % 60;
    const unsigned north = static_cast<unsigned>(next_random(tracker) % 1000);
    const unsigned east = static_cast<unsigned>(next_random(tracker) % 1000);

    std::array<char, 128> body{};
    const int length =
        number % 2 == 0
            ? std::snprintf(body.data(), body.size(), "GPGGA,%02u%02u%02u.00,4807.%03u,N,01131.%03u,E,1,08,0.9,545.4,M,46.9,M,,",
                            hours, minutes, secs, north, east)
            : std::snprintf(body.data(), body.size(), "GPRMC,%02u%02u%02u.00,A,4807.%03u,N,01131.%03u,E,022.4,084.4,230394,003.1,W",
                            hours, minutes, secs, north, east);
    const std::string text(body.data(), static_cast<size_t>(std::clamp(length, 0, static_cast<int>(body.size()) - 1)));
    uint8_t checksum = 0;
    for (const char c : text) checksum ^= static_cast<uint8_t>(c);
    std::array<char, 8> tail{};
    std::snprintf(tail.data(), tail.size(), "*%02X\r\n", checksum);
    return "$" + text + tail.data();
}

std::string noise_burst(Tracker& tracker) {
    const auto count = static_cast<size_t>(random_between(tracker, 1, kNoiseBurstMax));
    std::string burst(count, '\0');
    for (char& c : burst) c = static_cast<char>(next_random(tracker) & 0xFF);
    return burst;
}

// Prepares the next chunk of talk. A stream runs on back to back (now and then
// with a noise burst between sentences); noise alone waits a random gap first.
void start_next_chunk(Tracker& tracker, int64_t after_due_us) {
    IdleTalk& talk = tracker.talk;
    talk.position = 0;
    const int64_t byte_us = sending_byte_us(tracker);
    if (tracker.options.stream) {
        const bool burst = tracker.options.noise && next_random(tracker) % 4 == 0;
        talk.chunk = burst ? noise_burst(tracker) : stream_sentence(tracker);
        talk.next_due_us = after_due_us + byte_us;
    } else {
        talk.chunk = noise_burst(tracker);
        talk.next_due_us = after_due_us + random_between(tracker, kNoiseGapMinUs, kNoiseGapMaxUs) + byte_us;
    }
}

// Talk nobody has read for longer than the backlog is lost, like bytes
// overrunning a receive buffer; the talk picks up with a fresh chunk.
void catch_up_talk(Tracker& tracker, int64_t now_us) {
    if (!talks(tracker)) return;
    const int64_t byte_us = sending_byte_us(tracker);
    const int64_t oldest_kept = now_us - static_cast<int64_t>(kMaxTalkBacklogBytes) * byte_us;
    if (tracker.talk.next_due_us < oldest_kept) start_next_chunk(tracker, oldest_kept - byte_us);
}

uint8_t take_talk_byte(Tracker& tracker) {
    IdleTalk& talk = tracker.talk;
    if (talk.position >= talk.chunk.size()) {
        // Talk switched on after make_tracker: start it where it stands.
        start_next_chunk(tracker, talk.next_due_us - sending_byte_us(tracker));
    }
    const uint8_t byte = static_cast<uint8_t>(talk.chunk[talk.position++]);
    const int64_t due = talk.next_due_us;
    if (talk.position < talk.chunk.size()) {
        talk.next_due_us = due + sending_byte_us(tracker);
    } else {
        start_next_chunk(tracker, due);
    }
    return byte;
}

// Queues an answer that starts reply_delay after the command, once the
// transmitter is free; talk due before then goes out first.
void queue_reply(Tracker& tracker, const std::vector<uint8_t>& reply, int64_t now_us) {
    if (tracker.options.silent) return;
    if (tracker.output.size() + reply.size() > kMaxQueuedBytes) {
        ++tracker.replies_dropped;
        return;
    }
    const int64_t byte_us = sending_byte_us(tracker);
    const int64_t start_us = now_us + static_cast<int64_t>(tracker.options.reply_delay_ms) * kMicrosPerMs;

    if (talks(tracker)) {
        catch_up_talk(tracker, now_us);
        while (tracker.talk.next_due_us <= start_us) {
            if (tracker.output.size() + reply.size() >= kMaxQueuedBytes) {
                start_next_chunk(tracker, start_us);  // no room: the rest of this talk is lost
                break;
            }
            const int64_t due = tracker.talk.next_due_us;
            tracker.output.push_back({due, take_talk_byte(tracker)});
        }
    }

    int64_t due = start_us;
    if (!tracker.output.empty()) due = std::max(due, tracker.output.back().due_us);
    for (const uint8_t byte : reply) {
        due += byte_us;
        tracker.output.push_back({due, byte});
    }
    if (talks(tracker) && !reply.empty() && tracker.talk.next_due_us <= due) {
        // The talk resumes after the answer: a stream at once, noise after a gap.
        if (tracker.options.stream) {
            tracker.talk.next_due_us = due + byte_us;
        } else {
            tracker.talk.next_due_us = due + random_between(tracker, kNoiseGapMinUs, kNoiseGapMaxUs) + byte_us;
        }
    }
}

void answer_version(Tracker& tracker, int64_t now_us) {
    const std::string_view text = tracker_version_text(tracker.options.model);
    std::vector<uint8_t> reply(text.begin(), text.end());
    reply.push_back('\r');
    reply.push_back('\n');
    ++tracker.version_queries;
    queue_reply(tracker, reply, now_us);
}

void answer_read(Tracker& tracker, int64_t now_us) {
    ++tracker.read_queries;
    if (tracker.options.silent) return;
    const int size = tracker_image_size(tracker);
    std::vector<uint8_t> reply(tracker.image.begin(), tracker.image.begin() + size);
    if (tracker.options.short_image >= 0 && tracker.options.short_image < size) {
        reply.resize(static_cast<size_t>(tracker.options.short_image));
    }
    if (tracker.options.long_image > size) {
        while (reply.size() < static_cast<size_t>(tracker.options.long_image)) {
            reply.push_back(static_cast<uint8_t>(next_random(tracker) & 0xFF));
        }
    }
    if (tracker.options.hang_up_after >= 0 && !tracker.hang_up_done) {
        // The cable comes out part way through the image.
        tracker.hang_up_done = true;
        reply.resize(std::min(reply.size(), static_cast<size_t>(tracker.options.hang_up_after)));
        tracker.hang_up_when_sent = !reply.empty();
        tracker.hung_up = reply.empty();
    }
    if (tracker.corrupt_next_read) {
        tracker.corrupt_next_read = false;
        const int offset = tracker.options.corrupt_readback;
        if (offset >= 0 && static_cast<size_t>(offset) < reply.size()) reply[static_cast<size_t>(offset)] ^= 0xFF;
    }
    queue_reply(tracker, reply, now_us);
}

void log_test_command(Tracker& tracker, TestCommand command, int64_t now_us) {
    tracker.test_log.push_back({now_us, command});
    if (tracker.test_log.size() > kMaxTestLog) tracker.test_log.pop_front();
    ++tracker.test_commands_total;
}

void finish_write(Tracker& tracker) {
    const int size = tracker_image_size(tracker);
    std::copy(tracker.write_buffer.begin(), tracker.write_buffer.begin() + size, tracker.image.begin());
    ++tracker.completed_writes;
    tracker.corrupt_next_read = tracker.options.corrupt_readback >= 0;
}

// A byte that breaks a command's key: ESC may begin the next command.
ParserState resynchronise(uint8_t byte) { return byte == kEsc ? ParserState::Escape : ParserState::Idle; }

}  // namespace

std::string validate_tracker_options(const TrackerOptions& options) {
    if (!model_known(options.model)) return "--model must be 1 to " + std::to_string(kModelMax);
    const int size = image_size_for_model(options.model);
    const std::string for_model = " for model " + std::to_string(options.model);
    if (options.reply_delay_ms < 0 || options.reply_delay_ms > kMaxReplyDelayMs) {
        return "--reply-delay must be 0 to " + std::to_string(kMaxReplyDelayMs) + " ms";
    }
    if (options.only_baud != 0 && options.only_baud != 4800 && options.only_baud != 9600) {
        return "--only-baud must be 4800 or 9600";
    }
    if (options.short_image < -1 || options.short_image >= size) {
        return "--short-image must be 0 to " + std::to_string(size - 1) + for_model;
    }
    if (options.long_image != -1 && (options.long_image <= size || options.long_image > kMaxLongImage)) {
        return "--long-image must be " + std::to_string(size + 1) + " to " + std::to_string(kMaxLongImage) +
               for_model;
    }
    if (options.short_image >= 0 && options.long_image >= 0) return "--short-image and --long-image exclude each other";
    if (options.hang_up_after < -1 || options.hang_up_after > kWriteLength) {
        return "--hang-up-after must be 0 to " + std::to_string(kWriteLength) + " bytes";
    }
    if (options.corrupt_readback < -1 || options.corrupt_readback >= size) {
        return "--corrupt-readback must be 0 to " + std::to_string(size - 1) + for_model;
    }
    return "";
}

std::string_view tracker_version_text(int model) { return device_model_info(model).version_text; }

int64_t byte_time_us(uint32_t baud) {
    constexpr int64_t kBitMicros = 10 * 1000 * 1000;  // ten bits, in microseconds at 1 baud
    if (baud == 0) return kBitMicros;
    return (kBitMicros + baud - 1) / baud;
}

Tracker make_tracker(const TrackerOptions& options) {
    Tracker tracker;
    tracker.options = options;
    TrackerOptions& o = tracker.options;
    o.model = nearest_known_model(o.model);
    const int size = image_size_for_model(o.model);
    o.reply_delay_ms = std::clamp(o.reply_delay_ms, 0, kMaxReplyDelayMs);
    if (o.only_baud != 4800 && o.only_baud != 9600) o.only_baud = 0;
    if (o.short_image < -1 || o.short_image >= size) o.short_image = -1;
    if (o.long_image <= size || o.long_image > kMaxLongImage) o.long_image = -1;
    if (o.short_image >= 0) o.long_image = -1;
    if (o.corrupt_readback < -1 || o.corrupt_readback >= size) o.corrupt_readback = -1;
    if (o.hang_up_after < -1 || o.hang_up_after > kWriteLength) o.hang_up_after = -1;

    ConfigRecord defaults;
    defaults.device_model = o.model;
    encode_image(defaults, tracker.image);
    tracker.random_state = o.seed;
    if (o.only_baud != 0) tracker.line_baud = o.only_baud;
    if (talks(tracker)) start_next_chunk(tracker, 0);
    return tracker;
}

std::string tracker_load_image(Tracker& tracker, const uint8_t* bytes, size_t count) {
    const int size = tracker_image_size(tracker);
    if (bytes == nullptr || count != static_cast<size_t>(size)) {
        return "an image for model " + std::to_string(tracker.options.model) + " has " + std::to_string(size) +
               " bytes, not " + std::to_string(count);
    }
    tracker.image.fill(0);
    std::copy(bytes, bytes + count, tracker.image.begin());
    return "";
}

int tracker_image_size(const Tracker& tracker) { return image_size_for_model(tracker.options.model); }

void tracker_set_line_baud(Tracker& tracker, uint32_t line_baud) {
    if (line_baud != 0) tracker.line_baud = line_baud;
}

// The cable comes out after `hang_up_after` bytes of a write: what came is in
// the tracker's memory over what it held, as in a real one cut off mid-write.
bool hang_up_during_write(Tracker& tracker) {
    if (tracker.options.hang_up_after < 0 || tracker.hang_up_done ||
        tracker.write_received != tracker.options.hang_up_after) {
        return false;
    }
    const int received = std::min(tracker.write_received, tracker_image_size(tracker));
    if (received > 0) std::copy_n(tracker.write_buffer.begin(), static_cast<size_t>(received), tracker.image.begin());
    tracker.hang_up_done = true;
    tracker.hung_up = true;
    tracker.state = ParserState::Idle;
    return true;
}

void tracker_receive(Tracker& tracker, uint8_t byte, uint32_t line_baud, int64_t now_us) {
    if (tracker.hung_up) return;
    if (tracker.options.only_baud != 0 && line_baud != tracker.options.only_baud) {
        ++tracker.bytes_ignored;  // framing garbage at the wrong speed: not heard at all
        return;
    }
    tracker_set_line_baud(tracker, line_baud);

    switch (tracker.state) {
        case ParserState::Idle:
            if (byte == kEsc) tracker.state = ParserState::Escape;
            break;
        case ParserState::Escape:
            tracker.state = ParserState::Idle;
            if (byte == 'V') {
                answer_version(tracker, now_us);
            } else if (byte == 'U') {
                answer_read(tracker, now_us);
            } else if (byte == 'D') {
                tracker.state = ParserState::WriteKey1;
            } else if (byte == kEsc) {
                tracker.state = ParserState::DoubleEscape;
            }
            break;
        case ParserState::DoubleEscape:
            tracker.state = ParserState::Idle;
            if (byte == '1') {
                log_test_command(tracker, TestCommand::Tone1200, now_us);
            } else if (byte == '2') {
                log_test_command(tracker, TestCommand::Tone2200, now_us);
            } else if (byte == '3') {
                log_test_command(tracker, TestCommand::BothTones, now_us);
            } else if (byte == kEsc) {
                log_test_command(tracker, TestCommand::Stop, now_us);
            }
            break;
        case ParserState::WriteKey1:
            tracker.state = byte == 0xAA ? ParserState::WriteKey2 : resynchronise(byte);
            break;
        case ParserState::WriteKey2:
            if (byte == 0x55) {
                tracker.state = ParserState::WriteData;
                tracker.write_received = 0;
                hang_up_during_write(tracker);
            } else {
                tracker.state = resynchronise(byte);
            }
            break;
        case ParserState::WriteData:
            // Every byte is data here, ESC included, until all 256 have come.
            if (tracker.write_received < 0 || tracker.write_received >= kWriteLength) tracker.write_received = 0;
            tracker.write_buffer[static_cast<size_t>(tracker.write_received)] = byte;
            ++tracker.write_received;
            if (hang_up_during_write(tracker)) break;
            if (tracker.write_received == kWriteLength) {
                finish_write(tracker);
                tracker.write_received = 0;
                tracker.state = ParserState::Idle;
            }
            break;
    }
}

std::optional<uint8_t> tracker_pop_output(Tracker& tracker, int64_t now_us) {
    if (tracker.hung_up) return std::nullopt;
    if (!tracker.output.empty()) {
        if (tracker.output.front().due_us > now_us) return std::nullopt;
        const uint8_t byte = tracker.output.front().byte;
        tracker.output.pop_front();
        if (tracker.hang_up_when_sent && tracker.output.empty()) {
            tracker.hang_up_when_sent = false;
            tracker.hung_up = true;
        }
        return byte;
    }
    if (!talks(tracker)) return std::nullopt;
    catch_up_talk(tracker, now_us);
    if (tracker.talk.next_due_us > now_us) return std::nullopt;
    return take_talk_byte(tracker);
}

std::optional<int64_t> tracker_next_output_us(const Tracker& tracker) {
    if (tracker.hung_up) return std::nullopt;
    if (!tracker.output.empty()) return tracker.output.front().due_us;
    if (talks(tracker)) return tracker.talk.next_due_us;
    return std::nullopt;
}

void tracker_drop_output_before(Tracker& tracker, int64_t now_us) {
    while (!tracker.output.empty() && tracker.output.front().due_us <= now_us) tracker.output.pop_front();
    if (talks(tracker) && tracker.output.empty() && tracker.talk.next_due_us <= now_us) {
        start_next_chunk(tracker, now_us);
    }
}

void tracker_line_opened(Tracker& tracker, uint32_t line_baud, int64_t now_us) {
    tracker.hung_up = false;
    tracker_drop_output_before(tracker, now_us);
    tracker_set_line_baud(tracker, line_baud);
}

}  // namespace qv3::sim
