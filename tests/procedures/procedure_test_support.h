#pragma once

#include "sim/side.h"
#include "sim/unit_pair.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace proctest {

using Lines = std::vector<std::string>;

// The pair's command log as "P:text" / "S:text" lines, easy to compare and to read on failure.
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

// True when every piece occurs in text, each after the end of the one before.
inline bool containsInOrder(const std::string& text, const Lines& pieces) {
    std::size_t from = 0;
    for (const std::string& piece : pieces) {
        from = text.find(piece, from);
        if (from == std::string::npos)
            return false;
        from += piece.size();
    }
    return true;
}

} // namespace proctest
