// qv3sim: serves a simulated tracker on a pseudo-terminal in real time, for trying the host end to end.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "files/bounded_read.h"
#include "files/replace_file.h"
#include "sim/pty_link.h"
#include "sim/sim_log.h"
#include "sim/sim_options.h"
#include "sim/tracker.h"
#include "qv3_version.h"

namespace {

using namespace qv3::sim;

int g_signal_pipe_write = -1;

// Only an async-signal-safe write: the main loop sees the pipe become readable.
extern "C" void on_stop_signal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(g_signal_pipe_write, &byte, 1);
    errno = saved;
}

struct Server {
    SimOptions options;
    Tracker tracker;
    PtyLink link;
    int signal_pipe_read = -1;
    std::FILE* log = nullptr;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::string pending;  // tracker bytes due and taken, not yet accepted by the pseudo-terminal
    uint32_t line_baud = 0;
    int64_t hang_up_since_us = -1;  // when the tracker hung up, until the line is closed
};

// Most that one round of the loop takes from the tracker or the host, so that
// neither direction can starve the other.
constexpr size_t kMaxRoundBytes = 4096;
constexpr int kMaxPollMs = 200;

int64_t elapsed_us(const Server& server) {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - server.start)
        .count();
}

void log_write(Server& server, const std::string& line) {
    if (server.log == nullptr) return;
    std::fputs(line.c_str(), server.log);
    std::fflush(server.log);  // readers (tests) follow the file while qv3sim runs
}

std::string errno_text() { return std::strerror(errno); }

// Saves the image through replace_file, so that a reader never sees half an
// image; unsynced, as waiting for the disk would hold up the tracker's answers.
bool write_image_out(const Server& server, std::string& error) {
    const std::string& path = server.options.image_out_path;
    const auto size = static_cast<size_t>(tracker_image_size(server.tracker));
    const qv3::ReplaceResult written = qv3::replace_file(
        path, std::string_view(reinterpret_cast<const char*>(server.tracker.image.data()), size),
        qv3::Durability::Unsynced);
    if (written.outcome == qv3::ReplaceOutcome::Written) return true;
    error = "cannot write " + path + ": " + qv3::replace_outcome_text(written.outcome);
    return false;
}

struct Counters {
    uint64_t ignored, versions, reads, dropped, writes, tests;
};

Counters counters_of(const Tracker& tracker) {
    return {tracker.bytes_ignored,   tracker.version_queries,  tracker.read_queries,
            tracker.replies_dropped, tracker.completed_writes, tracker.test_commands_total};
}

// One byte from the host: the tracker hears it and the log says what followed.
void feed_byte(Server& server, uint8_t byte, int64_t now_us) {
    const Counters before = counters_of(server.tracker);
    tracker_receive(server.tracker, byte, server.line_baud, now_us);
    const Counters after = counters_of(server.tracker);
    const int64_t ms = now_us / 1000;
    const char* const unanswered = server.tracker.options.silent ? " (silent: no answer)" : "";

    log_write(server, after.ignored != before.ignored ? log_ignored_line(ms, byte, server.line_baud)
                                                      : log_byte_line(ms, true, byte));
    if (after.versions != before.versions) log_write(server, log_text_line(ms, std::string("version query") + unanswered));
    if (after.reads != before.reads) log_write(server, log_text_line(ms, std::string("read query") + unanswered));
    if (after.dropped != before.dropped) log_write(server, log_text_line(ms, "answer dropped: output queue full"));
    if (after.tests != before.tests && !server.tracker.test_log.empty()) {
        log_write(server, log_text_line(ms, "test " + std::string(test_command_text(server.tracker.test_log.back().command))));
    }
    if (after.writes != before.writes) {
        log_write(server, log_text_line(ms, "write " + std::to_string(after.writes) + " stored"));
        std::string error;
        if (!server.options.image_out_path.empty() && !write_image_out(server, error)) {
            std::fprintf(stderr, "qv3sim: %s\n", error.c_str());
        }
    }
}

// The speed the host set, as the tracker should see it.
void follow_line_speed(Server& server) {
    const uint32_t baud = pty_line_baud(server.link);
    if (baud == server.line_baud) return;
    server.line_baud = baud;
    tracker_set_line_baud(server.tracker, baud);
    log_write(server, log_text_line(elapsed_us(server) / 1000, "line at " + std::to_string(baud) + " baud"));
}

// Takes every byte now due and hands as many as it will take to the pseudo-terminal.
void send_due_bytes(Server& server, int64_t now_us) {
    while (server.pending.size() < kMaxRoundBytes) {
        const std::optional<uint8_t> byte = tracker_pop_output(server.tracker, now_us);
        if (!byte) break;
        server.pending.push_back(static_cast<char>(*byte));
        log_write(server, log_byte_line(now_us / 1000, false, *byte));
    }
    if (server.pending.empty()) return;
    const ssize_t written = ::write(server.link.master_fd, server.pending.data(), server.pending.size());
    if (written > 0) {
        server.pending.erase(0, static_cast<size_t>(written));
    } else if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        server.pending.clear();  // the terminal refuses bytes: they are lost, as on a dead line
    }
}

// Closing the line would throw away image bytes still waiting for the host,
// so a hang-up waits until the host has read them (or for kMaxHangUpWaitUs).
constexpr int64_t kMaxHangUpWaitUs = 2'000'000;

bool host_took_everything(Server& server, int64_t now_us) {
    if (server.hang_up_since_us < 0) server.hang_up_since_us = now_us;
    int unread = 0;
    const bool known = ::ioctl(server.link.slave_fd, FIONREAD, &unread) == 0;
    return (server.pending.empty() && (!known || unread == 0)) || now_us - server.hang_up_since_us > kMaxHangUpWaitUs;
}

// The cable is pulled: closing the pseudo-terminal hangs up the host's end,
// whose reads and writes fail from now on. A new one at the same link is the
// cable plugged in again, for the host's next open. False when that fails.
bool hang_up_line(Server& server, std::string& error) {
    const int64_t ms = elapsed_us(server) / 1000;
    log_write(server, log_text_line(ms, "hung up"));
    server.pending.clear();
    close_pty_link(server.link);
    server.tracker.hung_up = false;
    server.hang_up_since_us = -1;
    error = open_pty_link(server.link, server.options.link_path);
    if (!error.empty()) return false;
    log_write(server, log_text_line(ms, "back on " + server.link.slave_name));
    return true;
}

// Takes what the host has written, up to one round's worth. Bytes after a
// hang-up never reached the tracker.
void receive_bytes(Server& server) {
    std::vector<uint8_t> buffer(kMaxRoundBytes);
    const ssize_t count = ::read(server.link.master_fd, buffer.data(), buffer.size());
    if (count <= 0) return;
    follow_line_speed(server);
    const int64_t now_us = elapsed_us(server);
    for (ssize_t i = 0; i < count && !server.tracker.hung_up; ++i) {
        feed_byte(server, buffer[static_cast<size_t>(i)], now_us);
    }
}

int poll_timeout_ms(const Server& server, int64_t now_us) {
    // POLLOUT wakes us sooner when there is room; a hang-up waits for the host to read.
    if (!server.pending.empty() || server.tracker.hung_up) return 20;
    const std::optional<int64_t> next = tracker_next_output_us(server.tracker);
    if (!next) return kMaxPollMs;
    const int64_t wait_ms = (*next - now_us + 999) / 1000;
    return static_cast<int>(std::clamp<int64_t>(wait_ms, 0, kMaxPollMs));
}

// Runs until a stop signal (exit 0) or a failure of the terminal (exit 1).
int serve(Server& server) {
    while (true) {
        follow_line_speed(server);
        const int64_t now_us = elapsed_us(server);
        send_due_bytes(server, now_us);

        std::array<pollfd, 2> fds{};
        fds[0].fd = server.link.master_fd;
        fds[0].events = static_cast<short>(POLLIN | (server.pending.empty() ? 0 : POLLOUT));
        fds[1].fd = server.signal_pipe_read;
        fds[1].events = POLLIN;
        const int ready = ::poll(fds.data(), fds.size(), poll_timeout_ms(server, now_us));
        if (ready < 0) {
            if (errno == EINTR) continue;
            std::fprintf(stderr, "qv3sim: poll: %s\n", errno_text().c_str());
            return kSimExitFailure;
        }
        if (fds[1].revents != 0) return kSimExitOk;
        if ((fds[0].revents & POLLIN) != 0) {
            receive_bytes(server);
        } else if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            // Cannot happen while our own slave descriptor is open; never spin on it.
            std::fprintf(stderr, "qv3sim: the pseudo-terminal hung up\n");
            return kSimExitFailure;
        }
        if (server.tracker.hung_up && host_took_everything(server, now_us)) {
            std::string error;
            if (!hang_up_line(server, error)) {
                std::fprintf(stderr, "qv3sim: %s\n", error.c_str());
                return kSimExitFailure;
            }
        }
    }
}

bool install_signal_handlers(Server& server) {
    std::array<int, 2> pipe_fds{};
    if (::pipe(pipe_fds.data()) != 0) return false;
    for (const int fd : pipe_fds) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    server.signal_pipe_read = pipe_fds[0];
    g_signal_pipe_write = pipe_fds[1];

    struct sigaction action {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        if (sigaction(signal_number, &action, nullptr) != 0) return false;
    }
    std::signal(SIGPIPE, SIG_IGN);  // a reader of stdout going away must not end us
    return true;
}

// Everything before serving; returns an exit code when qv3sim must stop.
std::optional<int> set_up(Server& server) {
    server.tracker = make_tracker(server.options.tracker);
    if (!server.options.image_path.empty()) {
        std::string error;
        const std::string& path = server.options.image_path;
        // Reads at most one byte more than an image, so that an oversized file shows.
        const qv3::BoundedRead read = qv3::read_file_bounded(path, qv3::kImageBufferSize);
        switch (read.outcome) {
            case qv3::BoundedReadOutcome::Read:
                error = tracker_load_image(server.tracker, reinterpret_cast<const uint8_t*>(read.bytes.data()),
                                           read.bytes.size());
                break;
            case qv3::BoundedReadOutcome::OpenFailed:
                error = "cannot read " + path + ": " + std::strerror(read.system_error);
                break;
            case qv3::BoundedReadOutcome::ReadFailed:
                error = "cannot read " + path;
                break;
        }
        if (!error.empty()) {
            std::fprintf(stderr, "qv3sim: --image: %s\n", error.c_str());
            return kSimExitUsage;
        }
    }
    if (!server.options.log_path.empty()) {
        server.log = std::fopen(server.options.log_path.c_str(), "w");
        if (server.log == nullptr) {
            std::fprintf(stderr, "qv3sim: cannot write %s: %s\n", server.options.log_path.c_str(), errno_text().c_str());
            return kSimExitFailure;
        }
    }
    if (!server.options.image_out_path.empty()) {
        std::string error;
        if (!write_image_out(server, error)) {
            std::fprintf(stderr, "qv3sim: %s\n", error.c_str());
            return kSimExitFailure;
        }
    }
    if (!install_signal_handlers(server)) {
        std::fprintf(stderr, "qv3sim: cannot install signal handlers: %s\n", errno_text().c_str());
        return kSimExitFailure;
    }
    const std::string error = open_pty_link(server.link, server.options.link_path);
    if (!error.empty()) {
        std::fprintf(stderr, "qv3sim: %s\n", error.c_str());
        return kSimExitFailure;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    const SimOptionsResult parsed = parse_sim_options(args);
    if (parsed.options.help) {
        std::fputs(kSimUsage, stdout);
        return kSimExitOk;
    }
    if (parsed.options.version) {
        std::fputs("qv3sim " QV3_VERSION "\n", stdout);
        return kSimExitOk;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "qv3sim: %s (see --help)\n", parsed.error.c_str());
        return kSimExitUsage;
    }

    Server server;
    server.options = parsed.options;
    int code = kSimExitFailure;
    if (const std::optional<int> stop = set_up(server)) {
        code = *stop;
    } else {
        const std::string ready = "qv3sim: model " + std::to_string(server.tracker.options.model) + " on " +
                                  server.link.slave_name + " linked at " + server.link.link_path;
        log_write(server, log_text_line(0, "ready model " + std::to_string(server.tracker.options.model) + " on " +
                                               server.link.slave_name));
        std::printf("%s\n", ready.c_str());
        std::fflush(stdout);
        code = serve(server);
    }

    close_pty_link(server.link);
    if (server.log != nullptr) std::fclose(server.log);
    return code;
}
