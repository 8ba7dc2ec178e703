#pragma once

#include "sim/side.h"
#include "sim/unit_pair.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace proctest {

using Lines = std::vector<std::string>;

// The pair's command log as "P:text" / "S:text" lines.
inline Lines logLines(const sim::UnitPair& pair) {
    Lines lines;
    for (const sim::LoggedCommand& command : pair.commandLog())
        lines.push_back(sim::sideLetter(command.unit) + (":" + command.text));
    return lines;
}

inline Lines concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

} // namespace proctest
