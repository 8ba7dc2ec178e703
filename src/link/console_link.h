#pragma once

#include "link/reply_parser.h"
#include "platform/window.h"

#include <cstdint>
#include <optional>
#include <string_view>

// Each unit's error sum as an error check counted it; a unit it did not count has none.
struct ErrorSums {
    std::optional<int> pSide;
    std::optional<int> sSide;
};

// The console link of one window: the operations that move bytes over the one process-wide
// serial port (the port itself is process-wide state, see console_state.h), the command layer
// built on them, and the fixed unit procedures. Operations return 1 for success and 0 for failure
// (QuerySide 0, 1 or -1); values come back through out-parameters.
//
// Transport failures are traced by the layer that meets them and end the process through
// FatalError; a reply that merely holds no value makes the operation return 0.
class CConsoleLink {
public:
    // Size of the command and reply buffers: a command or reply holds at most 99 characters.
    static constexpr int kBufferSize = 100;

    CConsoleLink() = default;
    explicit CConsoleLink(platform::WindowHandle owner) : m_pOwnerWnd(owner) {}
    virtual ~CConsoleLink() = default;

    // --- Port (process-wide state only) ---
    int OpenPort();
    int ClosePort();
    int SetReadTimeout(std::uint32_t timeoutMs);
    // Sends text byte by byte, reading one echo byte after each; traces the echoes.
    int SendCommand(const char* text);
    // Reads into buffer (kBufferSize bytes) up to and including the first '>' and terminates it.
    int ReadResult(char* buffer);
    // The fatal communication-error path. Returns only while fatal errors are disabled.
    void FatalError();
    [[noreturn]] void CloseAndExit();

    // --- Command layer ---
    int ReadRegister(const char* reg, std::uint8_t& value);
    int ReadRegisterBytes(const char* reg, std::uint32_t& value, int count);
    // The corrected-error counter counts since the previous read of that unit's counter, by any
    // link (a poll, an Apply's error check). For the last counter read through this link: the ms
    // since that previous read; empty when it is not known.
    std::optional<std::int64_t> counterIntervalMs() const { return counterIntervalMs_; }
    int WriteCommand(const char* command);
    int SendWriteCommand(const char* command);
    int QuerySide();
    int SelectLocal();
    int SelectRemote();
    int ToggleSide();
    // SelectLocal and SelectRemote for a procedure, which must send nothing meant for a unit it
    // could not reach (it would go to the other one): a failure is traced as the unit not
    // reachable.
    int reachLocal();
    int reachRemote();

    // --- Unit procedures ---
    // These three give 1 when the console reached every unit they had to address. What was meant
    // for a unit that could not be reached is not sent; the rest of the procedure stops there.
    int SetInstallMode(int restart);
    int SetNormalMode(int restart);
    int RestartUnit(int pSide);
    void RestartWithLongTimeout();
    // 0 also when the S side could not be reached for its count.
    int CheckErrors();
    // The same check, also telling each unit's sum.
    int CheckErrors(ErrorSums& sums);

    platform::WindowHandle m_pOwnerWnd = nullptr;

private:
    // Sends a command and reads its reply into buffer (kBufferSize bytes), tracing the reply.
    // A failed send is traced with sendFailure, a failed read with "ReadResult failed"; both go
    // to FatalError and give 0.
    int exchange(const char* command, char* buffer, const char* sendFailure);
    // One unit's error sum for CheckErrors.
    int readErrorSum();
    // Notes a read of the corrected-error counter, answered with the given reply.
    void noteCounterRead(std::string_view reply, bool gotValue);

    std::optional<std::int64_t> counterIntervalMs_;
};
