#pragma once

#include "adapter_buffer.h"
#include "unit_pair.h"

#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>

namespace sim {

// Serves a unit pair on a pseudo-terminal in real time: what a program or a person writes to
// the terminal reaches the attached unit's console, what the unit sends comes back when it is
// due. The slave device is made reachable through a symbolic link.
class PtyServer {
public:
    // latencyMs above 0 puts a USB serial adapter with that latency timer between the unit
    // and the PC (see AdapterBuffer).
    PtyServer(UnitPair& pair, std::string linkPath, int latencyMs = 0);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Creates the pseudo-terminal (raw, 9600 8N1) and the link. Returns an error text, or an
    // empty one on success.
    std::string open();
    // Writes each command received to the file (see --log), from now on.
    bool openLog(const std::string& path);
    void logCommand(const LoggedCommand& command);
    // Serves until stop becomes non-zero or the port hangs up; then closes and removes the link.
    void run(const volatile std::sig_atomic_t& stop);
    const std::string& slavePath() const { return slavePath_; }

private:
    void deliverDueOutput(std::int64_t nowNs);
    void releaseHeld(std::int64_t nowNs);
    void readInput();
    timespec pollTimeout(std::int64_t nowNs);
    void close();

    UnitPair& pair_;
    std::string linkPath_;
    std::string slavePath_;
    AdapterBuffer adapter_;
    int master_ = -1;
    int slave_ = -1;
    std::FILE* log_ = nullptr;
    std::int64_t startMs_ = 0;
};

// Monotonic time in nanoseconds, on the same origin as platform::RealClock.
std::int64_t steadyNowNs();

} // namespace sim
