#pragma once

// Standard library only: the Windows test program uses it too.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with all it holds when this goes.
// An entered folder is the working folder meanwhile: the program reads speedconf.txt from there.
class WorkFolder {
public:
    enum Mode { Stay, Enter };
    explicit WorkFolder(Mode mode = Stay) {
        const auto base = std::filesystem::temp_directory_path();
        // Made, not found: a name another test process took already is passed over.
        for (int n = 0;
             !std::filesystem::create_directory(path_ = base / ("quillon-" + std::to_string(n)));)
            ++n;
        if (mode == Enter) {
            start_ = std::filesystem::current_path();
            std::filesystem::current_path(path_);
        }
    }
    ~WorkFolder() {
        std::error_code ignored;
        if (!start_.empty())
            std::filesystem::current_path(start_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of a file in the folder.
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    // Writes a file of the folder byte for byte.
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
    }

private:
    std::filesystem::path path_;
    std::filesystem::path start_;
};

// A file's bytes; empty when it cannot be read.
inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// How often part occurs in text, overlaps included.
inline long countOf(const std::string& text, const std::string& part) {
    long count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace testsupport
