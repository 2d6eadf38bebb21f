// Writes fuzz_device_replies' seeds: the simulated tracker's own replies to each exchange, laid out step by step.
//
//   make_device_reply_seeds DIRECTORY
//
// One seed per model is a whole session (a version query, a read, a write of
// the image read, a tone); the others are the tracker's faults and a slow
// line. The input format is fuzzed_line.h's; the steps that collect a reply
// are the protocol's: three for a version reply, a read or a read-back. Run
// with QV3_FUZZ_VERBOSE=1, fuzz_device_replies shows how each exchange of a
// seed ends; device_reply_seeds_tests holds each seed to how its name says it ends.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzzed_line.h"
#include "model/image_decoder.h"
#include "model/image_encoder.h"
#include "sim/tracker.h"

namespace {

using namespace qv3;
using Bytes = std::vector<uint8_t>;
using namespace qv3::fuzzed;
using enum BurstEnd;

constexpr uint8_t kEsc = 0x1B;
// The fault row in which a written byte finds the device gone.
constexpr int kGoneRow = 1;
static_assert(kFaultOutcomes[kGoneRow].write == PortOutcome::Gone);

// A tracker on a line, and the session's seed being written.
struct Recording {
    sim::Tracker tracker;
    uint32_t baud = 4800;
    int64_t now_us = 0;
    Bytes seed;
    size_t exchange_at = 0;
    ConfigRecord record;  // what the fuzz target's session holds, to encode the same image

    // Everything the tracker answers to the host's bytes.
    Bytes answer(const Bytes& host) {
        for (const uint8_t byte : host) {
            now_us += sim::byte_time_us(baud);
            sim::tracker_receive(tracker, byte, baud, now_us);
        }
        Bytes reply;
        while (const std::optional<uint8_t> byte = sim::tracker_pop_output(tracker, INT64_MAX)) reply.push_back(*byte);
        now_us += 100'000;
        return reply;
    }

    void begin(Exchange kind, int choice, uint16_t fault = 0) {
        exchange_at = begin_exchange_bytes(seed, {kind, choice}, fault);
    }

    void end() { end_exchange_bytes(seed, exchange_at); }

    // What one step's drain reads: the bytes at the line's pace, then `how`.
    void step(const Bytes& bytes, BurstEnd how = Quiet) {
        append_reply(seed, bytes, static_cast<int>((sim::byte_time_us(baud) + 999) / 1000), how);
    }

    // A version query answered on its first step and judged on its third;
    // a reply judged unknown is asked again at the other speed, as the protocol does.
    void query(Exchange kind, int unanswered = 0) {
        for (int i = 0; i < unanswered; ++i) {
            step(answer({kEsc, 'V'}));
            step({});
            step({});
            baud = baud == 4800 ? 9600 : 4800;
        }
        const Bytes reply = answer({kEsc, 'V'});
        step(reply);
        if (kind != VersionOnly) {
            step({});
            step({});
        }
        record.device_model = reply.empty() ? kModelNone : tracker.options.model;  // the reply names it
    }

    void version(int model) {
        begin(VersionOnly, model);
        query(VersionOnly);
        end();
    }

    // A read; `how` says what follows the image's last byte.
    void read(int model, BurstEnd how = Quiet, int unanswered = 0) {
        begin(Read, model);
        query(Read, unanswered);
        const Bytes image = answer({kEsc, 'U'});
        step(image, how);
        end();
        ReceivedImage received;
        std::copy_n(image.begin(), std::min<size_t>(image.size(), kImageBufferSize), received.bytes.begin());
        received.length = static_cast<int>(image.size());
        decode_image(received, record);
    }

    // A write of the record as the session holds it, laid out for model.
    // echo_all: the read-back is all 256 bytes sent, not the model's image;
    // late: the steps that pass before it comes.
    void write(int model, uint16_t fault = 0, bool echo_all = false, int late = 0) {
        record.device_model = model;
        ImageBytes image{};
        encode_image(record, image);
        begin(Write, model, fault);
        query(Write);
        Bytes host{kEsc, 'D', 0xAA, 0x55};
        host.insert(host.end(), image.begin(), image.end());
        host.insert(host.end(), {kEsc, 'U'});
        const Bytes readback = answer(host);
        for (int i = 0; i < late; ++i) step({});
        step(echo_all ? Bytes(image.begin(), image.end()) : readback);
        end();
    }

    void tone(int choice) {
        begin(Tone, choice);
        answer({kEsc, kEsc, static_cast<uint8_t>("123\x1b"[choice])});
        end();
    }
};

Recording recording(const sim::TrackerOptions& options) {
    Recording r;
    r.tracker = sim::make_tracker(options);
    return r;
}

bool save(const std::string& directory, const std::string& name, const Bytes& seed) {
    std::ofstream out(directory + "/" + name + ".bin", std::ios::binary);
    out.write(reinterpret_cast<const char*>(seed.data()), static_cast<std::streamsize>(seed.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_device_reply_seeds DIRECTORY\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool saved = true;
    const auto keep = [&](const std::string& name, const Recording& r) { saved = save(dir, name, r.seed) && saved; };
    for (int model = 1; model <= kModelMax; ++model) {
        Recording r = recording({.model = model});
        r.version(model);
        r.read(model);
        r.write(model);
        r.tone(model % 4);
        keep("session-model" + std::to_string(model), r);
    }

    // The tracker's faults, each in the exchange that meets it.
    Recording r = recording({.model = 4, .short_image = 200});
    r.read(4);
    keep("short-read", r);
    r = recording({.model = 3, .long_image = 300});
    r.read(3);
    keep("long-read", r);
    r = recording({.model = 3, .corrupt_readback = 77});
    r.read(3);
    r.write(3);
    keep("changed-readback", r);
    r = recording({.model = 1, .long_image = 129});
    r.write(1);
    keep("long-readback", r);
    r = recording({.model = 3, .short_image = 255});
    r.write(3);
    keep("short-readback", r);
    r = recording({.model = 2});  // sends back all 256 bytes of the write, where the image is 128
    r.write(2, 0, true);
    keep("whole-write-echoed", r);
    r = recording({.model = 4, .hang_up_after = 100});
    r.read(4, Gone);
    keep("gone-during-read", r);
    r = recording({.model = 1});
    // Counted from the query's open: ESC V, the write phase's open, ESC D 0xAA 0x55, then the image.
    r.write(1, fault_field(1 + 2 + 1 + 4 + 61, kGoneRow));  // the 61st image byte finds the device gone
    keep("gone-during-write", r);
    r = recording({.model = 6});
    r.write(4);
    keep("other-model", r);
    r = recording({.model = 2, .silent = true});
    r.read(2);
    keep("silent", r);
    r = recording({.model = 5, .only_baud = 9600});
    r.read(5, Quiet, 1);
    keep("found-at-9600", r);

    // A slow line: the version reply and the image each come over several steps.
    r = recording({.model = 2});
    r.begin(Read, 2);
    const Bytes reply = r.answer({kEsc, 'V'});
    r.step(Bytes(reply.begin(), reply.begin() + 5));
    r.step(Bytes(reply.begin() + 5, reply.end()));
    r.step({});
    const Bytes image = r.answer({kEsc, 'U'});
    r.step(Bytes(image.begin(), image.begin() + 50));
    r.step(Bytes(image.begin() + 50, image.begin() + 100));
    r.step(Bytes(image.begin() + 100, image.end()));
    r.end();
    keep("slow-line", r);
    // A read-back that comes on the last of its three steps.
    r = recording({.model = 3});
    r.write(3, 0, false, 2);
    keep("slow-readback", r);
    return saved ? 0 : 1;
}
