#pragma once

#include <cstdint>
#include <string_view>

// Parsing of console replies. Pure: standard library only, no state.

// The parser's result for a reply that holds no value. Its low byte is 0xFF.
inline constexpr std::int32_t NO_VALUE = 0x7FFFFFFF;

// The value of the token after the first token that begins with ':' (tokens are split at
// blanks, carriage returns and line feeds), or NO_VALUE when there is no such token or it is
// not a hexadecimal number (the prompt "L>" taken as a value, for instance).
std::int32_t ParseReplyValue(std::string_view reply);

// Assembles count (1 to 4) byte values after the ':' token little-endian, the first one least
// significant, into out. Returns 0 and leaves out unchanged when the ':' token is missing, a
// byte token is missing or not hexadecimal, or count is outside 1 to 4.
int ParseReplyBytes(std::uint32_t& out, std::string_view reply, int count);

// The side a reply's prompt tells, from the two characters that end at its first '>' (looked for
// in the whole reply, whatever bytes come before it): 0 for "L>", 1 for "R>", else -1.
int sideOfPrompt(std::string_view reply);
