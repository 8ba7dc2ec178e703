#pragma once

#include "speed/speed_entry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What one Apply did, as the Configuration page and its search saw it: kept for the installation
// report that the installer hands over as proof of the installation. Everything in it was read
// anyway by the procedure; nothing is asked of the units for it.

// One side's signal/noise check as the search made it.
struct SideSnrReading {
    // The 3-byte value of the check register; none when the reply held no value.
    std::optional<std::uint32_t> value;
    // The ratio in dB (plus infinity for a value of 0); none when there was nothing to judge.
    std::optional<double> db;
    bool passed = false;
};

// One profile pair tried by the search.
struct AttemptRecord {
    std::string downLabel;
    std::string upLabel;
    // False: the link did not come up on the pair; the defaults were loaded.
    bool linkUp = true;
    // With the link down: whether it came back on the defaults.
    bool linkBackOnDefaults = false;
    // Each reading is there only when the search made it: the S side's ratio is not read after
    // the P side failed, the error counters only after both ratios passed.
    std::optional<SideSnrReading> snrP;
    std::optional<SideSnrReading> snrS;
    std::optional<int> errorsP;
    std::optional<int> errorsS;
    // The search's own verdict on the pair.
    bool passed = false;
    std::int64_t durationMs = 0;
};

// Why the search judged the attempt as it did: "Passed", or the first check that failed.
std::string verdictText(const AttemptRecord& attempt);

struct InstallationRecord {
    // Wall-clock milliseconds since the epoch, at the Apply's start and end, and the local
    // time's offset from UTC in minutes at each, so the report tells the installer's local time.
    std::int64_t startWallMs = 0;
    std::int64_t endWallMs = 0;
    int startUtcOffsetMinutes = 0;
    int endUtcOffsetMinutes = 0;
    // The unit that answered the Apply's unit-type check, e.g. "P side (8c70 = 02)".
    std::string attachedUnit;
    // The ends of the range the search used, as the file gives them.
    CSpeedEntry upMin;
    CSpeedEntry upMax;
    CSpeedEntry downMin;
    CSpeedEntry downMax;
    // The search direction as chosen when Apply was pressed; empty when none was.
    std::string order;
    std::vector<AttemptRecord> attempts;
    // Every message the Apply showed, in order, and the status line it left.
    std::vector<std::string> messages;
    std::string finalStatus;
    // What the Actual boxes show once the Apply has ended.
    std::string downActual;
    std::string upActual;
    // Everything the Apply wrote to the trace, exactly as written.
    std::string trace;
};

// The attached unit as the record names it, from the value of the unit-type register.
std::string attachedUnitText(std::uint8_t unitType);
