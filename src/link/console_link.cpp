#include "link/console_link.h"

#include "link/console_state.h"
#include "link/registers.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/port_open.h"
#include "platform/process_exit.h"
#include "platform/trace.h"
#include "platform/window_timers.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kCommunicationError = "\r\ncommunication error\r\n";
constexpr const char* kTimeoutError = "\r\ncommunication timeout error\r\n";
constexpr const char* kFatalText =
    "Communication error:\nthe program will be closed\nVerify serial connection and restart the "
    "program";

// Reads one byte; on failure traces the transport's failure line and returns false.
bool readOneByte(std::uint8_t& byte) {
    if (!g_portHandle) {
        platform::appendTrace(kCommunicationError);
        return false;
    }
    const platform::ByteRead read = g_portHandle->readByte();
    switch (read.status) {
    case platform::ReadStatus::Byte:
        byte = read.byte;
        return true;
    case platform::ReadStatus::Timeout:
        platform::appendTrace(kTimeoutError);
        return false;
    case platform::ReadStatus::Failure:
        break;
    }
    platform::appendTrace(kCommunicationError);
    return false;
}

// Register tokens name the same register whatever the case of their letters.
bool sameRegister(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

// --- Port -------------------------------------------------------------------------------------

int CConsoleLink::OpenPort() {
    platform::OpenResult result = platform::openSerialPort(g_portNumber);
    if (!result.port) {
        if (!result.failedAfterOpen) {
            std::printf("ERRORE n.: %ld\n", result.errorCode);
            std::fflush(stdout);
        }
        g_portHandle.reset();
        return 0;
    }
    g_portHandle = std::move(result.port);
    return 1;
}

int CConsoleLink::ClosePort() {
    if (!g_portHandle)
        return 0;
    g_portHandle->close();
    g_portHandle.reset();
    return 1;
}

int CConsoleLink::SetReadTimeout(std::uint32_t timeoutMs) {
    if (!g_portHandle)
        return 0;
    platform::CommTimeouts timeouts = g_portHandle->timeouts();
    timeouts.readTotalConstant = timeoutMs;
    return g_portHandle->setTimeouts(timeouts) ? 1 : 0;
}

int CConsoleLink::SendCommand(const char* text) {
    const std::size_t length = std::strlen(text);
    // The echo buffer holds 99 characters: a longer command is refused before anything is sent.
    if (length >= static_cast<std::size_t>(kBufferSize))
        return 0;
    char echo[kBufferSize];
    for (std::size_t i = 0; i < length; ++i) {
        if (!g_portHandle || !g_portHandle->writeByte(static_cast<std::uint8_t>(text[i])))
            return 0;
        std::uint8_t byte = 0;
        if (!readOneByte(byte))
            return 0;
        echo[i] = static_cast<char>(byte);
    }
    echo[length] = '\0';
    platform::appendTrace(std::string_view(echo, length));
    return 1;
}

int CConsoleLink::ReadResult(char* buffer) {
    int position = 0;
    for (;;) {
        // A reply that would not leave room for its terminating zero is a communication failure.
        if (position >= kBufferSize - 1) {
            buffer[position] = '\0';
            platform::appendTrace(kCommunicationError);
            return 0;
        }
        std::uint8_t byte = 0;
        if (!readOneByte(byte)) {
            buffer[position] = '\0';
            return 0;
        }
        buffer[position++] = static_cast<char>(byte);
        if (byte == '>') {
            buffer[position] = '\0';
            return 1;
        }
    }
}

void CConsoleLink::FatalError() {
    if (g_fatalErrorsEnabled == 0)
        return;
    if (m_pOwnerWnd != nullptr)
        platform::killWindowTimer(m_pOwnerWnd, g_pollTimerId);
    platform::messageBox(platform::mainWindow(), kFatalText, "Fatal Error");
    CloseAndExit();
}

void CConsoleLink::CloseAndExit() {
    ClosePort();
    platform::exitProcess(1);
}

// --- Command layer ----------------------------------------------------------------------------

namespace {
constexpr const char* kSendCommandFailed = "\r\nSendCommand failed\r\n";
constexpr const char* kSendWriteCommandFailed = "\r\nSendWriteCommand failed\r\n";

// Read time-out constant while waiting for the console to fall quiet: a unit still answering sends
// a character every millisecond or so at 9600 baud, so this much silence means it has finished.
constexpr std::uint32_t kQuietReadTimeoutMs = 40;
// A console that never falls quiet is left to the purge after this many characters.
constexpr int kMaxDroppedBytes = 1000;

// Reads and drops what the unit is still sending until the console has been quiet for a moment.
void dropUntilQuiet() {
    if (!g_portHandle)
        return;
    const platform::CommTimeouts normal = g_portHandle->timeouts();
    platform::CommTimeouts quiet = normal;
    quiet.readTotalConstant = kQuietReadTimeoutMs;
    g_portHandle->setTimeouts(quiet);
    for (int dropped = 0; dropped < kMaxDroppedBytes; ++dropped)
        if (g_portHandle->readByte().status != platform::ReadStatus::Byte)
            break;
    g_portHandle->setTimeouts(normal);
}
} // namespace

int CConsoleLink::exchange(const char* command, char* buffer, const char* sendFailure) {
    if (!SendCommand(command)) {
        platform::appendTrace(sendFailure);
        FatalError();
        return 0;
    }
    if (!ReadResult(buffer)) {
        platform::appendTrace("\r\nReadResult failed\r\n");
        FatalError();
        return 0;
    }
    platform::appendTrace(buffer);
    return 1;
}

int CConsoleLink::ReadRegister(const char* reg, std::uint8_t& value) {
    // A command too long for the buffer is refused by SendCommand, which fails the exchange.
    const std::string command = std::string("rd ") + reg + "\n";
    char buffer[kBufferSize];
    if (!exchange(command.c_str(), buffer, kSendCommandFailed))
        return 0;
    const std::int32_t parsed = ParseReplyValue(buffer);
    if (parsed == NO_VALUE)
        return 0;
    value = static_cast<std::uint8_t>(parsed & 0xFF);
    return 1;
}

int CConsoleLink::ReadRegisterBytes(const char* reg, std::uint32_t& value, int count) {
    if (count < 1 || count > 4)
        return 0;
    const std::string command = std::string("rd ") + reg + ", " + std::to_string(count) + "\n";
    // Zeroed, so that the whole buffer can be searched for the prompt.
    char buffer[kBufferSize] = {};
    if (!exchange(command.c_str(), buffer, kSendCommandFailed))
        return 0;
    const int parsed = ParseReplyBytes(value, buffer, count);
    if (sameRegister(reg, kRegCorrectedErrors))
        noteCounterRead(std::string_view(buffer, kBufferSize), parsed != 0);
    return parsed;
}

void CConsoleLink::noteCounterRead(std::string_view reply, bool gotValue) {
    const std::int64_t now = platform::clock().nowMs();
    const int side = sideOfPrompt(reply);
    counterIntervalMs_.reset();
    if (side < 0) {
        // Whichever unit answered cleared its counter: neither earlier read counts any more.
        g_counterReadMs = {};
        return;
    }
    auto& last = g_counterReadMs[static_cast<std::size_t>(side)];
    if (gotValue && last)
        counterIntervalMs_ = now - *last;
    // A reply without a value may or may not have cleared the counter.
    last = gotValue ? std::optional(now) : std::nullopt;
}

int CConsoleLink::WriteCommand(const char* command) {
    char buffer[kBufferSize];
    return exchange(command, buffer, kSendWriteCommandFailed);
}

int CConsoleLink::SendWriteCommand(const char* command) {
    if (!SendCommand(command)) {
        platform::appendTrace(kSendWriteCommandFailed);
        FatalError();
        return 0;
    }
    return 1;
}

int CConsoleLink::QuerySide() {
    // Zeroed, so that the whole buffer can be searched: a reply may hold NUL bytes.
    char buffer[kBufferSize] = {};
    if (!exchange("\n", buffer, kSendCommandFailed))
        return -1;
    return sideOfPrompt(std::string_view(buffer, kBufferSize));
}

int CConsoleLink::ToggleSide() {
    WriteCommand("\x05");
    // After a reply left unread (SendWriteCommand) the exchanges run one reply behind: the reply
    // just read was the one before the switch, whose own echo and answer are still on their way.
    // The purge has to drop those too, or the exchanges after it stay behind.
    dropUntilQuiet();
    if (g_portHandle)
        g_portHandle->purge();
    WriteCommand("\n");
    return 1;
}

int CConsoleLink::SelectLocal() {
    if (QuerySide() == 0)
        return 1;
    ToggleSide();
    return QuerySide() == 0 ? 1 : 0;
}

int CConsoleLink::SelectRemote() {
    const int side = QuerySide();
    if (side == 1)
        return 1;
    if (side == -1)
        return 0;
    ToggleSide();
    return QuerySide() == 1 ? 1 : 0;
}

int CConsoleLink::reachLocal() {
    if (SelectLocal() == 1)
        return 1;
    platform::appendTrace("\r\nLocal unit not reachable\r\n");
    return 0;
}

int CConsoleLink::reachRemote() {
    if (SelectRemote() == 1)
        return 1;
    platform::appendTrace("\r\nRemote unit not reachable\r\n");
    return 0;
}
