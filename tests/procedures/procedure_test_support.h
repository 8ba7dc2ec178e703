#pragma once

#include "sim/side.h"
#include "sim/unit_pair.h"

#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace proctest {

// The pair's command log as "P:text" / "S:text" lines, easy to compare and to read on failure.
inline std::vector<std::string> logLines(const sim::UnitPair& pair) {
    std::vector<std::string> lines;
    for (const sim::LoggedCommand& command : pair.commandLog())
        lines.push_back(sim::sideLetter(command.unit) + (":" + command.text));
    return lines;
}

// Joins runs of expected log lines.
inline std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const std::vector<std::string>& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// True when every piece occurs in text, each after the end of the one before.
inline bool containsInOrder(const std::string& text, const std::vector<std::string>& pieces) {
    std::size_t from = 0;
    for (const std::string& piece : pieces) {
        const std::size_t at = text.find(piece, from);
        if (at == std::string::npos)
            return false;
        from = at + piece.size();
    }
    return true;
}

// Names a table row in gtest's messages; a test file brings it in with a using-declaration.
template <class Row>
requires requires(const Row& row) {
    row.name;
}
void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

} // namespace proctest
