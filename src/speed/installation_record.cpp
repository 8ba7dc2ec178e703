#include "speed/installation_record.h"

#include "link/registers.h"

#include <cstdio>

namespace {

std::string snrFailure(const SideSnrReading& reading, const char* side) {
    if (!reading.value)
        return std::string("No SNR reading on ") + side;
    if (!reading.db)
        return std::string("No SNR for the rate code on ") + side;
    return std::string("SNR below 6 dB on ") + side;
}

} // namespace

std::string verdictText(const AttemptRecord& attempt) {
    if (attempt.passed)
        return "Passed";
    if (!attempt.linkUp)
        return attempt.linkBackOnDefaults ? "No link (back on the defaults)"
                                          : "No link (not back on the defaults)";
    // A check that stopped before its S-side reading could not reach the S side.
    if (!attempt.snrP)
        return "A unit not reachable";
    if (!attempt.snrP->passed)
        return snrFailure(*attempt.snrP, "P side");
    if (!attempt.snrS)
        return "S side not reachable";
    if (!attempt.snrS->passed)
        return snrFailure(*attempt.snrS, "S side");
    if (attempt.errorsP.value_or(0) != 0)
        return "Errors on P side";
    if (!attempt.errorsS)
        return "S side not reachable";
    if (attempt.errorsS.value_or(0) != 0)
        return "Errors on S side";
    return "Failed";
}

std::string attachedUnitText(std::uint8_t unitType) {
    char value[8];
    std::snprintf(value, sizeof value, "%02x", unitType);
    const char* side = (unitType & kUnitTypeSSide) != 0 ? "S side" : "P side";
    return std::string(side) + " (" + kRegUnitType + " = " + value + ")";
}
