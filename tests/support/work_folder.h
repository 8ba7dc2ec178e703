#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with all it holds when this goes.
// An entered folder is the working folder meanwhile: the program reads speedconf.txt from there.
class WorkFolder {
public:
    enum Mode { Stay, Enter };
    explicit WorkFolder(Mode mode = Stay);
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of a file in the folder.
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    // Writes a file of the folder byte for byte.
    void write(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path path_;
    std::filesystem::path start_;
};

// A file's bytes; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

} // namespace testsupport
