#include "support/work_folder.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testsupport {

WorkFolder::WorkFolder(Mode mode) {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillon-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : throw std::runtime_error("mkdtemp");
    if (mode == Enter) {
        start_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
}

WorkFolder::~WorkFolder() {
    std::error_code ignored;
    if (!start_.empty())
        std::filesystem::current_path(start_, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void WorkFolder::write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace testsupport
