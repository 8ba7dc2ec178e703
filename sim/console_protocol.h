#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The console's command grammar and reply wording, without any unit behind it.
//
// Commands (one line, ended by a line feed or a carriage return; words separated by blanks):
//   rd REG            read one byte          -> "\r\nREG : xx\r\n" + prompt
//   rd REG, N         read N bytes (1..16)   -> "\r\nREG : b0 b1 ...\r\n" + prompt
//   wr REG VALUE      write a byte           -> "\r\n" + prompt
//   or REG MASK       set bits of a byte     -> "\r\n" + prompt
//   (empty line)                             -> "\r\n" + prompt
// REG is 1 to 4 hexadecimal digits in either case and is repeated in the reply as it was typed;
// values are hexadecimal (an optional 0x prefix, at most ff). Reply bytes are two lowercase
// hexadecimal digits. Anything else is answered "\r\nsyntax error\r\n" + prompt.
namespace sim {

struct ConsoleCommand {
    enum class Kind { Empty, Read, Write, SetBits, Invalid };
    Kind kind = Kind::Invalid;
    std::string registerToken; // as typed
    std::uint16_t address = 0;
    int count = 1;
    std::uint8_t value = 0;
};

inline constexpr std::uint8_t kSwitchByte = 0x05;
inline constexpr int kMaxReadCount = 16;

ConsoleCommand parseCommand(std::string_view line);

std::string promptText(bool remote);
std::string readReplyText(std::string_view token, const std::vector<std::uint8_t>& bytes);
// A read answered without a value: no ':' token.
std::string noValueReplyText(std::string_view token);
// A one-line message of the console ("syntax error", "remote unit unreachable", ...).
std::string noticeText(std::string_view message);
// A register address typed in hexadecimal, or -1.
int parseRegisterToken(std::string_view token);
// A received line as the command log shows it: control bytes written as <hh>.
std::string escapeControlBytes(std::string_view text);

} // namespace sim
