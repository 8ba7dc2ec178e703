#include "support/unitsim_process.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace testsupport {

namespace {

constexpr int kReadyTimeoutMs = 10000;

// Reads the child's standard output until a full "ready" line or the time-out.
bool awaitReady(int fd, const std::string& expected, std::string& output) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kReadyTimeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, 100) <= 0)
            continue;
        char buffer[256];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        output.append(buffer, static_cast<std::size_t>(got));
        if (output.find(expected + "\n") != std::string::npos)
            return true;
    }
    return false;
}

} // namespace

UnitsimProcess::UnitsimProcess(const std::string& binary, const std::vector<std::string>& args) {
    char pattern[] = "/tmp/quillon-unitsim-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        return;
    folder_ = pattern;
    devicePath_ = folder_ + "/tty";
    logPath_ = folder_ + "/commands.log";

    std::vector<std::string> all{binary, "--pty", devicePath_, "--log", logPath_};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    int out[2];
    if (::pipe(out) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const int spawned =
        ::posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        pid_ = -1;
        ::close(out[0]);
        return;
    }
    ready_ = awaitReady(out[0], "ready " + devicePath_, output_);
    ::close(out[0]);
}

UnitsimProcess::~UnitsimProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        // It stops within a moment; one stuck for 5 s is killed.
        pid_t done = 0;
        for (int i = 0; i < 250 && (done = ::waitpid(pid_, nullptr, WNOHANG)) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (done == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

std::string UnitsimProcess::log() const {
    std::ifstream file(logPath_);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace testsupport
