#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

// quillon-unitsim running as a child process on a pseudo-terminal in a fresh temporary folder,
// for end-to-end tests over a real terminal. The simulator is stopped when this object goes.
class UnitsimProcess {
public:
    // binary: path of quillon-unitsim; args: options besides --pty and --log.
    UnitsimProcess(const std::string& binary, const std::vector<std::string>& args);
    ~UnitsimProcess();
    UnitsimProcess(const UnitsimProcess&) = delete;
    UnitsimProcess& operator=(const UnitsimProcess&) = delete;

    // True once the simulator printed "ready PATH".
    bool ready() const { return ready_; }
    // What it printed before it was ready or gave up (for failure messages).
    const std::string& output() const { return output_; }
    // The terminal to open (a link to the pseudo-terminal's slave).
    const std::string& devicePath() const { return devicePath_; }
    // The command log it writes.
    std::string log() const;

private:
    std::string folder_;
    std::string devicePath_;
    std::string logPath_;
    std::string output_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

} // namespace testsupport
