// The simulated tracker as a WebAssembly module: the far end of the fake Web Serial ports (fake_serial.js).
//
// Times are the caller's clock in microseconds. A handful of trackers may
// exist at once, one per fake port, each made from qv3sim's options.
#include <emscripten/emscripten.h>

#include <sstream>
#include <string>
#include <vector>

#include "sim/sim_options.h"
#include "sim/tracker.h"

namespace {

namespace sim = qv3::sim;
constexpr size_t kMaxTrackers = 16;
std::vector<sim::Tracker> trackers;

// Tracker id; an id never handed out reaches a silent spare.
sim::Tracker& at(int id) {
    static sim::Tracker spare = sim::make_tracker({.silent = true});
    return id >= 0 && static_cast<size_t>(id) < trackers.size() ? trackers[static_cast<size_t>(id)] : spare;
}

}  // namespace

extern "C" {

// A tracker made from qv3sim's options ("--model 3 --silent"); -1 when they are refused.
EMSCRIPTEN_KEEPALIVE int sim_create(const char* options) {
    std::istringstream words(options);
    std::vector<std::string> args{"--link", "fake-port"};  // qv3sim's parser asks for its link
    for (std::string word; words >> word;) args.push_back(word);
    const sim::SimOptionsResult parsed = sim::parse_sim_options(args);
    if (!parsed.error.empty() || trackers.size() >= kMaxTrackers) return -1;
    trackers.push_back(sim::make_tracker(parsed.options.tracker));
    return static_cast<int>(trackers.size() - 1);
}

EMSCRIPTEN_KEEPALIVE void sim_receive(int id, int byte, unsigned baud, double now_us) {
    sim::tracker_receive(at(id), static_cast<uint8_t>(byte), baud, static_cast<int64_t>(now_us));
}

// The next byte due by now_us, or -1.
EMSCRIPTEN_KEEPALIVE int sim_pop(int id, double now_us) {
    const std::optional<uint8_t> byte = sim::tracker_pop_output(at(id), static_cast<int64_t>(now_us));
    return byte ? *byte : -1;
}

// When the next byte is due, or -1 when the tracker has nothing to say.
EMSCRIPTEN_KEEPALIVE double sim_next_due(int id) {
    return static_cast<double>(sim::tracker_next_output_us(at(id)).value_or(-1));
}

// A new opening of the tracker's port at baud.
EMSCRIPTEN_KEEPALIVE void sim_attach(int id, unsigned baud, double now_us) {
    sim::tracker_line_opened(at(id), baud, static_cast<int64_t>(now_us));
}

EMSCRIPTEN_KEEPALIVE int sim_hung_up(int id) { return at(id).hung_up ? 1 : 0; }

// The tracker's memory: its size (128 or 256), and its bytes one by one.
EMSCRIPTEN_KEEPALIVE int sim_image_size(int id) { return sim::tracker_image_size(at(id)); }

EMSCRIPTEN_KEEPALIVE int sim_image_byte(int id, int index) {
    return index >= 0 && index < sim_image_size(id) ? at(id).image[static_cast<size_t>(index)] : -1;
}

// The version text a model answers, without CR LF.
EMSCRIPTEN_KEEPALIVE const char* sim_version_text(int model) {
    static std::string text;
    text = sim::tracker_version_text(model);
    return text.c_str();
}

}  // extern "C"
