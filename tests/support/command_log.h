#pragma once

#include "sim/side.h"
#include "sim/unit_pair.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace testsupport {

using Lines = std::vector<std::string>;

// The commands the pair received since its log was last cleared, without line feeds: "P:rd 8c70"
// (the unit that took it, then the text), or the texts alone.
enum class Shown { UnitAndText, Text };
inline Lines receivedCommands(const sim::UnitPair& pair, Shown shown = Shown::UnitAndText) {
    Lines lines;
    for (const sim::LoggedCommand& c : pair.commandLog())
        lines.push_back(shown == Shown::Text ? c.text : sim::sideLetter(c.unit) + (":" + c.text));
    return lines;
}

inline Lines concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace testsupport
