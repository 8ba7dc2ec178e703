// The fixed command sequences that change or check the unit pair as a whole. They assume the
// P-side unit is cabled to the PC, so local is the P side and remote the S side, except
// RestartWithLongTimeout, which restarts whichever unit the console addresses.
//
// A communication failure has already gone to FatalError. A selection that fails stops the
// procedure before anything meant for that unit is sent: it would reach the other one.

#include "link/console_link.h"
#include "link/registers.h"
#include "platform/clock.h"
#include "platform/trace.h"

#include <string>

namespace {

constexpr std::int64_t kSSideRestartPauseMs = 16000;
constexpr std::uint32_t kLongReadTimeoutMs = 20000;
constexpr std::uint32_t kDefaultReadTimeoutMs = 4000;
constexpr std::int64_t kErrorReadingPauseMs = 4000;

// Writes the mode byte of the S-side unit between the unlock and lock writes of its unlock
// register.
void writeModeByte(CConsoleLink& link, const char* modeCommand) {
    link.WriteCommand(kCmdUnlockMode);
    link.WriteCommand(modeCommand);
    link.WriteCommand(kCmdLockMode);
}

} // namespace

int CConsoleLink::SetInstallMode(int restart) {
    platform::appendTrace("\r\nSetting Install Mode on S Side\r\n");
    int reached = reachRemote();
    if (reached == 1) {
        platform::appendTrace("\r\nEnabling LWD on S Side\r\n");
        writeModeByte(*this, kCmdSetInstallMode);
        if (restart != 0)
            reached = RestartUnit(0);
    }
    // Back to the P side whatever happened on the S side.
    return reachLocal() == 1 ? reached : 0;
}

int CConsoleLink::SetNormalMode(int restart) {
    platform::appendTrace("\r\nSetting Normal Mode on S Side\r\n");
    if (reachRemote() == 0)
        return 0;
    platform::appendTrace("\r\nDisabling LWD on S Side\r\n");
    writeModeByte(*this, kCmdSetNormalMode);
    if (restart != 0)
        return RestartUnit(0);
    // The console stays on the remote (S-side) unit.
    return 1;
}

int CConsoleLink::RestartUnit(int pSide) {
    if (pSide != 0) {
        platform::appendTrace("\r\nRestart P Side \r\n");
        if (reachLocal() == 0)
            return 0;
        WriteCommand(kCmdRestart);
        return 1;
    }
    platform::appendTrace("\r\nRestart S Side \r\n");
    if (reachRemote() == 0)
        return 0;
    WriteCommand(kCmdRestart);
    // The S side comes back and retrains meanwhile; the whole program waits.
    platform::sleepMs(kSSideRestartPauseMs);
    return 1;
}

void CConsoleLink::RestartWithLongTimeout() {
    platform::appendTrace("\r\nRestart S Side \r\n");
    // The unit answers its restart only once it is back: give every byte the long time-out.
    SetReadTimeout(kLongReadTimeoutMs);
    WriteCommand(kCmdRestart);
    SetReadTimeout(kDefaultReadTimeoutMs);
}

// One unit's error sum: a first reading of the clear-on-read counter discards what accumulated
// before, then up to two counted readings 4 s apart; the first non-zero one is the sum.
// A reading that yields no value adds 0: the unit reported nothing that could be counted.
int CConsoleLink::readErrorSum() {
    std::uint32_t value = 0;
    ReadRegisterBytes(kRegCorrectedErrors, value, kCorrectedErrorsWidth);
    std::uint32_t sum = 0;
    for (int reading = 0; reading < 2; ++reading) {
        platform::sleepMs(kErrorReadingPauseMs);
        value = 0;
        ReadRegisterBytes(kRegCorrectedErrors, value, kCorrectedErrorsWidth);
        sum += value;
        if (value != 0)
            break;
    }
    return static_cast<int>(sum);
}

int CConsoleLink::CheckErrors() {
    ErrorSums ignored;
    return CheckErrors(ignored);
}

int CConsoleLink::CheckErrors(ErrorSums& sums) {
    platform::appendTrace("\r\nCheck Error on P Side\r\n");
    const int pSideSum = readErrorSum();
    sums.pSide = pSideSum;
    platform::appendTrace("\r\nP Side Error= " + std::to_string(pSideSum) + "\r\n");
    if (pSideSum != 0)
        return 0;
    platform::appendTrace("\r\nCheck Error on S Side\r\n");
    // Counted on the P unit, the S side's reading would pass for a clean S side.
    if (reachRemote() == 0)
        return 0;
    const int sSideSum = readErrorSum();
    sums.sSide = sSideSum;
    platform::appendTrace("\r\nS Side Error= " + std::to_string(sSideSum) + "\r\n");
    return sSideSum == 0 ? 1 : 0;
}
