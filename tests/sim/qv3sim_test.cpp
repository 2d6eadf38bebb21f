// qv3sim as a program: started on a link in a scratch folder and talked to like a serial port.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include "../test_support.h"

extern char** environ;

namespace qv3 {
namespace {

namespace fs = std::filesystem;
using test::read_bytes;
using test::write_bytes;

// A generous bound for a loaded machine; nothing asserts that anything is quick.
bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// One qv3sim process at a time, its standard output and error going to files.
struct SimProcess {
    std::string out_path;
    std::string err_path;
    pid_t pid = -1;
    ~SimProcess() { kill_if_running(); }
    void kill_if_running() {  // only after a failed test: never leave one running
        if (pid <= 0) return;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    bool start(std::vector<std::string> args) {
        kill_if_running();
        args.insert(args.begin(), QV3SIM_PROGRAM);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&files, STDERR_FILENO, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const bool spawned = posix_spawn(&pid, QV3SIM_PROGRAM, &files, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&files);
        if (!spawned) pid = -1;
        return spawned;
    }
    std::string out() const { return read_bytes(out_path); }
    std::string err() const { return read_bytes(err_path); }
    // The exit code; nullopt when it did not end or died by a signal.
    std::optional<int> wait_exit() {
        int status = 0;
        if (!eventually([&] { return waitpid(pid, &status, WNOHANG) == pid; })) return std::nullopt;
        pid = -1;
        return WIFEXITED(status) ? std::optional<int>(WEXITSTATUS(status)) : std::nullopt;
    }
};

// The host's end: the link opened like a serial port, raw 8N1.
struct HostPort {
    int fd = -1;
    ~HostPort() {
        if (fd >= 0) ::close(fd);
    }
    bool open_at(const std::string& path) {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        termios settings{};
        if (fd < 0 || tcgetattr(fd, &settings) != 0) return false;
        cfmakeraw(&settings);
        settings.c_cflag |= CLOCAL | CREAD;
        return cfsetspeed(&settings, B4800) == 0 && tcsetattr(fd, TCSANOW, &settings) == 0;
    }
    void send(const std::string& bytes) {
        ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Up to count bytes, waiting at most ten seconds for each next one.
    std::string receive(size_t count) {
        std::string got;
        pollfd p{fd, POLLIN, 0};
        char buffer[512];
        while (got.size() < count && poll(&p, 1, 10000) > 0) {
            const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, count - got.size()));
            if (n <= 0) break;
            got.append(buffer, static_cast<size_t>(n));
        }
        return got;
    }
};

class Qv3Sim : public ::testing::Test {
protected:
    test::ScratchFolder folder;
    std::string link = folder.file("ttyQV3");
    SimProcess sim{folder.file("stdout.txt"), folder.file("stderr.txt")};
    HostPort host;

    std::string file(const std::string& name) const { return read_bytes(folder.file(name)); }

    // Starts qv3sim on the link, waits for its ready line and opens the link at 4800.
    void start(std::vector<std::string> args) {
        args.insert(args.end(), {"--link", link});
        ASSERT_TRUE(sim.start(args));
        ASSERT_TRUE(eventually([&] { return sim.out().find('\n') != std::string::npos; })) << sim.err();
        ASSERT_TRUE(host.open_at(link));
    }
};

TEST_F(Qv3Sim, AnswersOverThePseudoTerminalKeepsTheImageOutAndSigtermRemovesTheLink) {
    std::string initial(128, '\0');
    for (size_t i = 0; i < initial.size(); ++i) initial[i] = static_cast<char>(i ^ 0x33);
    write_bytes(folder.file("in.bin"), initial);
    fs::create_symlink(folder.file("gone"), link);  // a stale link is replaced
    start({"--model", "1", "--image", folder.file("in.bin"), "--image-out", folder.file("out.bin")});
    EXPECT_EQ(file("out.bin"), initial) << "written at start";

    host.send("\x1BV");
    EXPECT_EQ(host.receive(16), "Quorvale3 v1.1\r\n");
    host.send("\x1BU");
    EXPECT_EQ(host.receive(128), initial);
    std::string image(256, '\0');
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(255 - i);
    host.send("\x1B\x44\xAA\x55" + image);  // a write: its key, then 256 bytes
    EXPECT_TRUE(eventually([&] { return file("out.bin") == image.substr(0, 128); })) << "the model's size only";
    host.send("\x1BU");
    EXPECT_EQ(host.receive(128), image.substr(0, 128));

    kill(sim.pid, SIGTERM);
    EXPECT_EQ(sim.wait_exit(), 0) << sim.err();
    EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << "the link is removed";
}

TEST_F(Qv3Sim, UsageErrorsExitTwoWithOneLineAndAFileIsNeverReplaced) {
    write_bytes(folder.file("short.bin"), std::string(128, 'x'));  // model 4 needs 256
    const std::vector<std::vector<std::string>> cases{
        {},
        {"--model", "4", "--link", link, "--image", folder.file("missing.bin")},
        {"--model", "4", "--link", link, "--image", folder.file("short.bin")},
    };
    for (const auto& args : cases) {
        ASSERT_TRUE(sim.start(args));
        EXPECT_EQ(sim.wait_exit(), 2) << sim.err();
        const std::string err = sim.err();
        EXPECT_EQ(err.rfind("qv3sim: ", 0), 0u) << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
        EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    }
    ASSERT_TRUE(sim.start({"--help"}));
    EXPECT_EQ(sim.wait_exit(), 0);
    EXPECT_EQ(sim.out().rfind("usage: qv3sim", 0), 0u);

    write_bytes(link, "keep me");
    ASSERT_TRUE(sim.start({"--model", "2", "--link", link}));
    EXPECT_EQ(sim.wait_exit(), 1);
    EXPECT_NE(sim.err().find("exists and is not a symbolic link"), std::string::npos) << sim.err();
    EXPECT_EQ(read_bytes(link), "keep me");
}

}  // namespace
}  // namespace qv3
