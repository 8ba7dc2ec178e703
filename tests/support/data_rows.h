#pragma once

// The rows of a data file of tests: one a line, fields split at " | ", lines starting with '#'
// and blank ones skipped; "-" stands for an empty field. In a field, "\r", "\n" and "\xHH" (two
// hex digits: "\x00", "\x7c" for '|', "\x23" for a leading '#') stand for those bytes; any other
// backslash is itself.

#include "support/work_folder.h"

#include <sstream>
#include <string>
#include <vector>

namespace testdata {

using Row = std::vector<std::string>;

inline std::string unescaped(std::string text) {
    for (auto at = text.find('\\'); at != std::string::npos; at = text.find('\\', at + 1)) {
        if (text.compare(at, 2, "\\x") == 0)
            text.replace(at, 4, 1,
                         static_cast<char>(std::stoi(text.substr(at + 2, 2), nullptr, 16)));
        else if (text.compare(at, 2, "\\r") == 0 || text.compare(at, 2, "\\n") == 0)
            text.replace(at, 2, 1, text[at + 1] == 'r' ? '\r' : '\n');
    }
    return text;
}

inline Row split(const std::string& text, const std::string& separator) {
    Row fields;
    for (std::size_t at = 0, end = 0; end != std::string::npos; at = end + separator.size()) {
        end = text.find(separator, at);
        fields.push_back(text.substr(at, end - at) == "-" ? "" : text.substr(at, end - at));
    }
    return fields;
}

inline std::vector<Row> rows(const std::string& path) {
    std::vector<Row> all;
    std::istringstream lines(testsupport::readFile(path));
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && !line.starts_with('#'))
            for (std::string& field : all.emplace_back(split(line, " | ")))
                field = unescaped(field);
    return all;
}

} // namespace testdata
