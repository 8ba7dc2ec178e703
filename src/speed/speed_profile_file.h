#pragma once

#include "speed/speed_entry.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reading of the speed profile file. Pure: standard library only; showing the message and
// filling the range lists is the Configuration page's job.
//
// The file is read as text: a carriage return just before a line feed is dropped, on every
// platform alike. Lines are taken in pieces of at most kLinePieceLength characters, line feed
// included, and each piece is judged as a line of its own by its first character: "#" comment,
// line feed empty, "$" section ("$UPSTREAM\n" or "$DOWNSTREAM\n" exactly, nothing else), anything
// else a profile of at least four ";"-separated fields (runs of ";" are one separator, a leading
// ";" is skipped, blanks and the line feed are ordinary characters). Profiles before the first
// section line are upstream.
//
// Beyond the plain syntax, a profile line is also a syntax error when
// - its rate code or a tuning field is longer than kMaxRegisterFieldLength characters: the write
//   command built from it ("wr 8c12 " + field + "\n") would not fit the console's 99 characters;
// - one of its four fields holds a NUL byte: the command would be cut short at it and lose its
//   line feed;
// - its rate code or a tuning field holds a byte the console acts on (below 0x20 but the tab, or
//   0x7f; 0x05 would switch the console to the other unit in mid-command), apart from the line
//   feed that ends the line's last field;
// - its direction already holds kMaxProfilesPerDirection profiles, so that a runaway file cannot
//   exhaust memory (a real file holds a handful: each search attempt takes about 20 s).
// Labels have no limit of their own and are kept whole: whatever builds a text from a pair of
// them (the search's status and trace lines) builds it as std::string, so nothing can overflow.
// They are kept as bytes; labelText is how every window and report shows them.

inline constexpr char kSpeedFileName[] = "speedconf.txt";
inline constexpr char kFileNotFoundMessage[] = "Configuration file was not found";
inline constexpr char kSyntaxErrorMessage[] = "syntax error in configuration file";

inline constexpr std::size_t kLinePieceLength = 259;
inline constexpr std::size_t kMaxRegisterFieldLength = 90;
inline constexpr std::size_t kMaxProfilesPerDirection = 1024;

// What reading the file gave.
struct SpeedProfileFile {
    // Each direction's profiles in file order; a profile's index is its position here.
    std::vector<CSpeedEntry> upstream;
    std::vector<CSpeedEntry> downstream;
    // 1 when the file was read to its end without a syntax error, else 0.
    int result = 1;
    // The message to show when result is 0: kFileNotFoundMessage or kSyntaxErrorMessage.
    std::optional<std::string_view> message;

    // Index of the last profile of the direction, -1 when it has none.
    int upLastIndex() const { return static_cast<int>(upstream.size()) - 1; }
    int downLastIndex() const { return static_cast<int>(downstream.size()) - 1; }
};

// Reads the profiles from the file's bytes.
SpeedProfileFile parseSpeedProfiles(std::string_view fileBytes);

// Opens and reads the file (kSpeedFileName from the page, in the working directory). A file
// that cannot be opened, or cannot be read to its end (a directory, an I/O error), gives
// kFileNotFoundMessage and no profiles.
SpeedProfileFile readSpeedFile(const std::string& path);
// The same, from a stream opened for reading in binary mode.
SpeedProfileFile readSpeedFile(std::FILE* file);

// A label's bytes as UTF-8 text to show: valid UTF-8 as it is, anything else read as Latin-1 (a
// file saved by an editor in a Windows code page). The console and the trace get the bytes.
std::string labelText(std::string_view label);

// A profile's rate code as a number, read as hexadecimal: leading blanks skipped, an optional 0x or
// 0X prefix, digits up to the first other character. Too large a number stays at the largest value,
// which matches no register. No digit at all is no code, so a label-like field never passes for
// code 00.
std::optional<std::uint64_t> parseRateCode(std::string_view text);
