#include "support/unitsim_process.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace testsupport {

UnitsimProcess::UnitsimProcess(const std::string& binary, const std::vector<std::string>& args) {
    char pattern[] = "/tmp/quillon-unitsim-XXXXXX";
    int out[2];
    if (::mkdtemp(pattern) == nullptr || ::pipe(out) != 0)
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

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    if (::posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    // Its standard output up to a full "ready PATH" line, for 10 s at most.
    const std::string expected = "ready " + devicePath_ + "\n";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (pid_ > 0 && !ready_ && std::chrono::steady_clock::now() < deadline) {
        pollfd pfd{out[0], POLLIN, 0};
        char buffer[256] = {};
        ssize_t got = 0;
        if (::poll(&pfd, 1, 100) > 0 && (got = ::read(out[0], buffer, sizeof buffer)) <= 0)
            break;
        output_.append(buffer, static_cast<std::size_t>(got));
        ready_ = output_.find(expected) != std::string::npos;
    }
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
    std::error_code ignored;
    if (!folder_.empty())
        std::filesystem::remove_all(folder_, ignored);
}

std::string UnitsimProcess::log() const {
    std::ifstream file(logPath_);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace testsupport
