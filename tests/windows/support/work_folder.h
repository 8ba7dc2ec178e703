#pragma once

// The Windows test program's work folder, without Qt: a fresh folder under the system's
// temporary folder, removed with all it holds when this goes.
#include <filesystem>
#include <fstream>
#include <string>

namespace testsupport {

class WorkFolder {
public:
    WorkFolder() {
        const auto base = std::filesystem::temp_directory_path();
        for (int n = 0;
             !std::filesystem::create_directory(path_ = base / ("quillon-" + std::to_string(n)));)
            ++n;
    }
    ~WorkFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
    }

private:
    std::filesystem::path path_;
};

} // namespace testsupport
