// The simulated tracker as a WebAssembly module: the far end of the fake Web Serial ports of the page's tests.
//
// Times are the caller's clock in microseconds. A handful of trackers may
// exist at once, one per fake port; each is made from qv3sim's options.
#include <emscripten/emscripten.h>

#include <sstream>
#include <string>
#include <vector>

#include "sim/sim_options.h"
#include "sim/tracker.h"

namespace {

constexpr size_t kMaxTrackers = 16;
std::vector<qv3::sim::Tracker> trackers;

qv3::sim::Tracker* find(int id) {
    return id >= 0 && static_cast<size_t>(id) < trackers.size() ? &trackers[static_cast<size_t>(id)] : nullptr;
}

}  // namespace

extern "C" {

// A tracker made from qv3sim's options ("--model 3 --silent"); -1 when they are refused.
EMSCRIPTEN_KEEPALIVE int sim_create(const char* options) {
    std::istringstream words(options != nullptr ? options : "");
    // No pseudo-terminal here, but qv3sim's parser asks for its link.
    std::vector<std::string> args{"--link", "fake-port"};
    for (std::string word; words >> word;) args.push_back(word);
    const qv3::sim::SimOptionsResult parsed = qv3::sim::parse_sim_options(args);
    if (!parsed.error.empty() || trackers.size() >= kMaxTrackers) return -1;
    trackers.push_back(qv3::sim::make_tracker(parsed.options.tracker));
    return static_cast<int>(trackers.size() - 1);
}

EMSCRIPTEN_KEEPALIVE void sim_receive(int id, int byte, unsigned baud, double now_us) {
    if (qv3::sim::Tracker* t = find(id)) qv3::sim::tracker_receive(*t, static_cast<uint8_t>(byte), baud, static_cast<int64_t>(now_us));
}

// The next byte due by now_us, or -1.
EMSCRIPTEN_KEEPALIVE int sim_pop(int id, double now_us) {
    qv3::sim::Tracker* t = find(id);
    if (t == nullptr) return -1;
    const auto byte = qv3::sim::tracker_pop_output(*t, static_cast<int64_t>(now_us));
    return byte ? *byte : -1;
}

// When the next byte is due, or -1 when the tracker has nothing to say.
EMSCRIPTEN_KEEPALIVE double sim_next_due(int id) {
    const qv3::sim::Tracker* t = find(id);
    if (t == nullptr) return -1;
    const auto due = qv3::sim::tracker_next_output_us(*t);
    return due ? static_cast<double>(*due) : -1;
}

// A new opening at baud: what was said while nobody listened is gone, a hung-up line is plugged in.
EMSCRIPTEN_KEEPALIVE void sim_attach(int id, unsigned baud, double now_us) {
    if (qv3::sim::Tracker* t = find(id)) {
        t->hung_up = false;
        qv3::sim::tracker_drop_output_before(*t, static_cast<int64_t>(now_us));
        qv3::sim::tracker_set_line_baud(*t, baud);
    }
}

EMSCRIPTEN_KEEPALIVE int sim_hung_up(int id) {
    const qv3::sim::Tracker* t = find(id);
    return t != nullptr && t->hung_up ? 1 : 0;
}

// The tracker's memory, byte by byte: its size (128 or 256), and byte index of it.
EMSCRIPTEN_KEEPALIVE int sim_image_size(int id) {
    const qv3::sim::Tracker* t = find(id);
    return t != nullptr ? qv3::sim::tracker_image_size(*t) : 0;
}

EMSCRIPTEN_KEEPALIVE int sim_image_byte(int id, int index) {
    const qv3::sim::Tracker* t = find(id);
    return t != nullptr && index >= 0 && index < qv3::sim::tracker_image_size(*t) ? t->image[static_cast<size_t>(index)] : -1;
}

// The version text a model answers, without CR LF.
EMSCRIPTEN_KEEPALIVE const char* sim_version_text(int model) {
    static std::string text;
    text = std::string(qv3::sim::tracker_version_text(model));
    return text.c_str();
}

}  // extern "C"
