#pragma once

#include <string>

// One rate profile of the speed profile file: the label the user sees and the three texts that
// are written to the unit's rate registers, each exactly as the file gives it (the last one may
// end in the line's line feed).
class CSpeedEntry {
public:
    CSpeedEntry() = default;
    CSpeedEntry(const CSpeedEntry&) = default;
    CSpeedEntry(CSpeedEntry&&) noexcept = default;
    CSpeedEntry& operator=(const CSpeedEntry&) = default;
    CSpeedEntry& operator=(CSpeedEntry&&) noexcept = default;
    virtual ~CSpeedEntry() = default;

    std::string label;
    std::string rateCode;
    std::string tuningHigh;
    std::string tuningLow;
};
