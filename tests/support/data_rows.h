#pragma once

// The rows of a data file of tests: one a line, fields split at " | ", lines starting with '#'
// and blank ones skipped; "\r" and "\n" stand for those bytes and "-" for an empty field.

#include "support/work_folder.h"

#include <sstream>
#include <string>
#include <vector>

namespace testdata {

using Row = std::vector<std::string>;

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
    for (std::string line; std::getline(lines, line);) {
        for (const auto& [escape, byte] : {std::pair("\\r", "\r"), std::pair("\\n", "\n")})
            for (auto at = line.find(escape); at != std::string::npos; at = line.find(escape))
                line.replace(at, 2, byte);
        if (!line.empty() && !line.starts_with('#'))
            all.push_back(split(line, " | "));
    }
    return all;
}

} // namespace testdata
