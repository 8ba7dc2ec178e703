#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sim {

// Console faults of the attached unit, each on until switched off. A test switches them at the
// exact step that matters, usually from UnitPair::onCommand; the pty server from its --fault
// options. Link drops and cable moves are actions of UnitPair (dropLink, setAttached).
struct Faults {
    // The unit neither answers nor acts on anything it receives.
    bool silent = false;
    // Bytes are not echoed; commands are still carried out and answered.
    bool noEcho = false;
    // A pause of this length in the middle of every reply (0: none).
    std::int64_t replyGapMs = 0;
    // Every reply is replaced by line noise ending in '>': any bytes, NUL and other control bytes
    // included, but no value and no recognisable prompt.
    bool garbage = false;
    // Every reply carries 120 characters of text before its prompt.
    bool longReply = false;
    // Reads of this register (hexadecimal address, either case) are answered without a value.
    std::string noValueRegister;
    // Every byte is echoed as this byte instead of itself.
    std::optional<std::uint8_t> wrongEcho;
    // The local unit cannot reach the remote one even with the link up.
    bool remoteUnreachable = false;
    // The port is hung up: reads fail, writes fail, nothing reaches the unit.
    bool hangUp = false;
};

} // namespace sim
