// qv3sim as a program: started on a link in a scratch folder and talked to like a serial port.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "../test_support.h"
#include "model/image_encoder.h"

extern char** environ;

namespace qv3 {
namespace {

using Clock = std::chrono::steady_clock;

// Generous bounds for a loaded machine; nothing asserts that anything is quick.
constexpr auto kPatience = std::chrono::seconds(10);

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

bool eventually(const std::function<bool()>& condition) {
    const auto deadline = Clock::now() + kPatience;
    while (Clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
}

using test::defaults_for;

using test::ScratchFolder;

std::string image_text(ConfigRecord record) {
    ImageBytes image{};
    encode_image(record, image);
    return {image.begin(), image.begin() + image_size_for_model(record.device_model)};
}

// One qv3sim process with its standard output and error on pipes.
struct SimProcess {
    pid_t pid = -1;
    int out_fd = -1;
    int err_fd = -1;
    std::string out;
    std::string err;

    ~SimProcess() {
        if (pid > 0) {
            kill(pid, SIGKILL);  // only after a failed test: never leave one running
            waitpid(pid, nullptr, 0);
        }
        if (out_fd >= 0) ::close(out_fd);
        if (err_fd >= 0) ::close(err_fd);
    }

    bool start(const std::vector<std::string>& args) {
        std::array<int, 2> out_pipe{};
        std::array<int, 2> err_pipe{};
        if (pipe(out_pipe.data()) != 0 || pipe(err_pipe.data()) != 0) return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out_pipe[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err_pipe[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, out_pipe[0]);
        posix_spawn_file_actions_addclose(&actions, err_pipe[0]);

        std::vector<std::string> all{QV3SIM_PROGRAM};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        const int spawned = posix_spawn(&pid, QV3SIM_PROGRAM, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out_pipe[1]);
        ::close(err_pipe[1]);
        out_fd = out_pipe[0];
        err_fd = err_pipe[0];
        if (spawned != 0) pid = -1;
        return spawned == 0;
    }

    // Collects output until a whole line has come on stdout, or the process ends.
    bool wait_ready() {
        const auto deadline = Clock::now() + kPatience;
        while (out.find('\n') == std::string::npos && Clock::now() < deadline) {
            if (!pump(50)) break;
        }
        return out.find('\n') != std::string::npos;
    }

    // Reads what the pipes hold; false when both have closed.
    bool pump(int timeout_ms) {
        std::array<pollfd, 2> fds{{{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}}};
        if (poll(fds.data(), fds.size(), timeout_ms) <= 0) return true;
        bool open_left = false;
        for (size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents == 0) {
                open_left = true;
                continue;
            }
            char buffer[512];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) (i == 0 ? out : err).append(buffer, static_cast<size_t>(n));
            if (n > 0) open_left = true;
        }
        return open_left;
    }

    // Waits for the end; the exit code, or nullopt when it did not end or died by a signal.
    std::optional<int> wait_exit() {
        const auto deadline = Clock::now() + kPatience;
        while (Clock::now() < deadline) {
            int status = 0;
            const pid_t done = waitpid(pid, &status, WNOHANG);
            if (done == pid) {
                pid = -1;
                while (pump(0)) {
                }
                if (WIFEXITED(status)) return WEXITSTATUS(status);
                return std::nullopt;
            }
            pump(20);
        }
        return std::nullopt;
    }

    std::optional<int> stop(int signal_number = SIGTERM) {
        kill(pid, signal_number);
        return wait_exit();
    }
};

// The host's end: the link opened like a serial port, raw 8N1.
struct HostPort {
    int fd = -1;
    ~HostPort() {
        if (fd >= 0) ::close(fd);
    }

    bool open_at(const std::string& path, speed_t speed) {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        return fd >= 0 && set_speed(speed);
    }

    bool set_speed(speed_t speed) {
        termios settings{};
        if (tcgetattr(fd, &settings) != 0) return false;
        cfmakeraw(&settings);
        settings.c_cflag |= CLOCAL | CREAD;
        cfsetispeed(&settings, speed);
        cfsetospeed(&settings, speed);
        return tcsetattr(fd, TCSANOW, &settings) == 0;
    }

    void send(const std::string& bytes) {
        size_t done = 0;
        const auto deadline = Clock::now() + kPatience;
        while (done < bytes.size() && Clock::now() < deadline) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n > 0) done += static_cast<size_t>(n);
            if (n <= 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_EQ(done, bytes.size());
    }

    // Up to count bytes, waiting at most window for each next one.
    std::string receive(size_t count, std::chrono::milliseconds window = std::chrono::duration_cast<std::chrono::milliseconds>(kPatience)) {
        std::string got;
        while (got.size() < count) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(window.count())) <= 0) break;
            char buffer[512];
            const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, count - got.size()));
            if (n > 0) got.append(buffer, static_cast<size_t>(n));
        }
        return got;
    }
};

const std::string kVersionQuery{"\x1BV"};
const std::string kReadQuery{"\x1BU"};

std::string write_command(const std::string& image) {
    std::string command{"\x1B\x44\xAA\x55"};
    command += image;
    command.resize(4 + kImageBufferSize, '\x5A');  // a short image still goes out as 256 bytes
    return command;
}

class Qv3Sim : public ::testing::Test {
protected:
    ScratchFolder folder{::testing::UnitTest::GetInstance()->current_test_info()->name()};
    std::string link = folder.file("ttyQV3");
    SimProcess sim;

    void start(std::vector<std::string> args) {
        args.insert(args.end(), {"--link", link});
        ASSERT_TRUE(sim.start(args));
        ASSERT_TRUE(sim.wait_ready()) << "no ready line; stderr: " << sim.err;
        EXPECT_EQ(sim.out.rfind("qv3sim: model ", 0), 0u) << sim.out;
        EXPECT_NE(sim.out.find(" linked at " + link + "\n"), std::string::npos) << sim.out;
    }

    bool log_has(const std::string& line) { return read_file(folder.file("log.txt")).find(line) != std::string::npos; }
};

TEST_F(Qv3Sim, AnswersVersionReadAndWriteOverThePseudoTerminal) {
    start({"--model", "4", "--image-out", folder.file("out.bin"), "--log", folder.file("log.txt")});
    ASSERT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(read_file(folder.file("out.bin")), image_text(defaults_for(4))) << "written at start";

    {
        // Before any host sets it up, the line is already raw: no echo, no line editing.
        const int fd = ::open(link.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        termios settings{};
        ASSERT_EQ(tcgetattr(fd, &settings), 0);
        ::close(fd);
        EXPECT_EQ(settings.c_lflag & (ECHO | ICANON | ISIG), 0u);
        EXPECT_EQ(settings.c_iflag & (ICRNL | IXON), 0u);
        EXPECT_EQ(settings.c_oflag & OPOST, 0u);
    }
    HostPort host;
    ASSERT_TRUE(host.open_at(link, B4800));
    host.send(kVersionQuery);
    EXPECT_EQ(host.receive(16), "Quorvale3 v1.4\r\n");
    host.send(kReadQuery);
    EXPECT_EQ(host.receive(256), image_text(defaults_for(4)));

    ConfigRecord changed = defaults_for(4);
    changed.callsign[Primary] = "N0QV3-7";
    changed.status_text[Secondary] = "simulated";
    const std::string image = image_text(changed);
    host.send(write_command(image));
    EXPECT_TRUE(eventually([&] { return read_file(folder.file("out.bin")) == image; }));
    host.send(kReadQuery);
    EXPECT_EQ(host.receive(256), image);

    host.send("\x1B\x1B" "1" "\x1B\x1B\x1B");
    EXPECT_TRUE(eventually([&] { return log_has(" ms test tone stop\n"); }));
    const std::string log = read_file(folder.file("log.txt"));
    EXPECT_NE(log.find(" ms test tone 1200 Hz\n"), std::string::npos);
    EXPECT_NE(log.find(" ms write 1 stored\n"), std::string::npos);
    EXPECT_NE(log.find(" ms rx 1B\n"), std::string::npos);
    EXPECT_NE(log.find(" ms tx 51\n"), std::string::npos);  // 'Q'

    // The host closing and opening again does not hang the line up.
    ::close(host.fd);
    host.fd = -1;
    ASSERT_TRUE(host.open_at(link, B4800));
    host.send(kVersionQuery);
    EXPECT_EQ(host.receive(16), "Quorvale3 v1.4\r\n");

    EXPECT_EQ(sim.stop(SIGTERM), 0) << sim.err;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link))) << "the link is removed";
}

TEST_F(Qv3Sim, SmallModelStartsFromAnImageFileAndStoresItsSizeOnly) {
    std::string initial(128, '\0');
    for (size_t i = 0; i < initial.size(); ++i) initial[i] = static_cast<char>(i ^ 0x33);
    write_file(folder.file("in.bin"), initial);
    start({"--model", "1", "--image", folder.file("in.bin"), "--image-out", folder.file("out.bin")});
    EXPECT_EQ(read_file(folder.file("out.bin")), initial);

    HostPort host;
    ASSERT_TRUE(host.open_at(link, B4800));
    host.send(kReadQuery);
    EXPECT_EQ(host.receive(128), initial);

    std::string image(256, '\0');
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(255 - i);
    host.send(write_command(image));
    EXPECT_TRUE(eventually([&] { return read_file(folder.file("out.bin")) == image.substr(0, 128); }));
    EXPECT_EQ(sim.stop(SIGINT), 0) << sim.err;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST_F(Qv3Sim, OnlyBaudFollowsTheSpeedTheHostSets) {
    start({"--model", "4", "--only-baud", "9600", "--log", folder.file("log.txt")});
    HostPort host;
    ASSERT_TRUE(host.open_at(link, B4800));
    host.send(kReadQuery);
    // Wait until qv3sim has taken both bytes at 4800 before changing speed.
    EXPECT_TRUE(eventually([&] { return log_has("rx 55 ignored at 4800 baud\n"); }));
    EXPECT_TRUE(log_has("rx 1B ignored at 4800 baud\n"));

    ASSERT_TRUE(host.set_speed(B9600));
    host.send(kVersionQuery);
    // Had the read been heard, image bytes would come first.
    EXPECT_EQ(host.receive(16), "Quorvale3 v1.4\r\n");
    EXPECT_TRUE(log_has(" ms line at 9600 baud\n"));
    EXPECT_EQ(sim.stop(), 0) << sim.err;
}

TEST_F(Qv3Sim, SilentHearsButNeverAnswers) {
    start({"--model", "6", "--silent", "--log", folder.file("log.txt"), "--image-out", folder.file("out.bin")});
    HostPort host;
    ASSERT_TRUE(host.open_at(link, B4800));
    host.send(kVersionQuery);
    EXPECT_TRUE(eventually([&] { return log_has(" ms version query (silent: no answer)\n"); }));

    const std::string image(256, '\x42');
    host.send(write_command(image));
    EXPECT_TRUE(eventually([&] { return read_file(folder.file("out.bin")) == image; })) << "writes are still heard";
    EXPECT_EQ(host.receive(1, std::chrono::milliseconds(300)), "");
    EXPECT_EQ(sim.stop(), 0) << sim.err;
    EXPECT_EQ(read_file(folder.file("log.txt")).find(" tx "), std::string::npos) << "nothing was ever sent";
}

TEST_F(Qv3Sim, StreamTalksWithoutEndAndStillAnswers) {
    start({"--model", "5", "--stream", "--seed", "3"});
    HostPort host;
    ASSERT_TRUE(host.open_at(link, B9600));
    const std::string talk = host.receive(300);
    EXPECT_NE(talk.find("\r\n$GP"), std::string::npos) << talk;

    host.send(kVersionQuery);
    // What was sent before the query, then the answer; bounded by the backlog.
    std::string heard;
    while (heard.find("PL-RUX v1.4\r\n") == std::string::npos && heard.size() < 64 * 1024) {
        const std::string more = host.receive(512, std::chrono::milliseconds(2000));
        if (more.empty()) break;
        heard += more;
    }
    EXPECT_NE(heard.find("PL-RUX v1.4\r\n"), std::string::npos) << heard.size() << " bytes heard";
    EXPECT_EQ(sim.stop(), 0) << sim.err;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST_F(Qv3Sim, ReplacesAStaleLinkButNeverAFile) {
    std::filesystem::create_symlink(folder.file("gone"), link);
    start({"--model", "2"});
    EXPECT_NE(std::filesystem::read_symlink(link).string(), folder.file("gone"));
    EXPECT_EQ(sim.stop(), 0) << sim.err;

    write_file(link, "keep me");
    SimProcess refused;
    ASSERT_TRUE(refused.start({"--model", "2", "--link", link}));
    EXPECT_EQ(refused.wait_exit(), 1);
    EXPECT_NE(refused.err.find("exists and is not a symbolic link"), std::string::npos) << refused.err;
    EXPECT_EQ(read_file(link), "keep me");
}

TEST_F(Qv3Sim, UsageErrorsExitTwoWithOneLine) {
    const std::vector<std::vector<std::string>> cases{
        {},
        {"--model", "7", "--link", link},
        {"--model", "4", "--link", link, "--reply-delay", "x"},
        {"--model", "4", "--link", link, "--image", folder.file("missing.bin")},
        {"--model", "4", "--link", link, "--image", folder.file("short.bin")},
    };
    write_file(folder.file("short.bin"), std::string(128, 'x'));  // model 4 needs 256
    for (const auto& args : cases) {
        SimProcess bad;
        ASSERT_TRUE(bad.start(args));
        EXPECT_EQ(bad.wait_exit(), 2) << bad.err;
        EXPECT_EQ(bad.err.rfind("qv3sim: ", 0), 0u) << bad.err;
        EXPECT_EQ(bad.err.find('\n'), bad.err.size() - 1) << bad.err;
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    }
    SimProcess help;
    ASSERT_TRUE(help.start({"--help"}));
    EXPECT_EQ(help.wait_exit(), 0);
    EXPECT_EQ(help.out.rfind("usage: qv3sim", 0), 0u);
}

}  // namespace
}  // namespace qv3
