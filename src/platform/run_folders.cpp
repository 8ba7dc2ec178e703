#include "platform/run_folders.h"

#include "platform/local_time.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace fs = std::filesystem;

namespace platform {

namespace {

constexpr std::size_t kNameLength = 17; // 2026-12-07-091500

struct Run {
    fs::path path;
    std::string stamp;
    int suffix = 1;
    std::uint64_t bytes = 0;
};

bool allDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// The run's stamp and suffix when the name is a run's ("2026-12-07-091500" or "...-2").
bool parseRunName(const std::string& name, Run& run) {
    if (name.size() < kNameLength)
        return false;
    const std::string_view stamp(name.data(), kNameLength);
    for (std::size_t i = 0; i < kNameLength; ++i) {
        const bool dash = i == 4 || i == 7 || i == 10;
        if (dash ? stamp[i] != '-' : std::isdigit(static_cast<unsigned char>(stamp[i])) == 0)
            return false;
    }
    const std::string_view rest = std::string_view(name).substr(kNameLength);
    if (!rest.empty() && (rest[0] != '-' || !allDigits(rest.substr(1)) || rest.size() > 6))
        return false;
    run.stamp = stamp;
    run.suffix = rest.empty() ? 1 : std::stoi(std::string(rest.substr(1)));
    return true;
}

std::uint64_t folderBytes(const fs::path& folder) {
    std::uint64_t bytes = 0;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code sizeError;
        if (it->is_regular_file(sizeError))
            bytes += it->file_size(sizeError);
    }
    return bytes;
}

} // namespace

std::string runFolderName(std::int64_t startWallMs) {
    return fileNameStamp(localCivilTime(startWallMs));
}

fs::path makeRunFolder(const fs::path& parent, const std::string& name, std::error_code& error) {
    fs::create_directories(parent, error);
    if (error)
        return {};
    for (int suffix = 1; suffix < 1000; ++suffix) {
        const fs::path folder = parent / (suffix == 1 ? name : name + '-' + std::to_string(suffix));
        if (fs::create_directory(folder, error))
            return folder;
        if (error)
            return {};
    }
    error = std::make_error_code(std::errc::file_exists);
    return {};
}

void pruneRunFolders(const fs::path& parent, const fs::path& current, const JournalLimits& limits) {
    std::vector<Run> runs;
    std::error_code error;
    for (fs::directory_iterator it(parent, error), end; !error && it != end; it.increment(error)) {
        Run run;
        std::error_code kindError;
        if (it->path() != current && it->is_directory(kindError) &&
            parseRunName(it->path().filename().string(), run)) {
            run.path = it->path();
            run.bytes = folderBytes(run.path);
            runs.push_back(std::move(run));
        }
    }
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) {
        return a.stamp != b.stamp ? a.stamp > b.stamp : a.suffix > b.suffix;
    });
    std::size_t keptRuns = 1;
    std::uint64_t keptBytes = folderBytes(current);
    bool dropping = false;
    for (const Run& run : runs) {
        // Once a run does not fit, every older one goes too: the newest are the ones kept.
        dropping =
            dropping || keptRuns + 1 > limits.keptRuns || keptBytes + run.bytes > limits.keptBytes;
        if (dropping) {
            fs::remove_all(run.path, error);
        } else {
            ++keptRuns;
            keptBytes += run.bytes;
        }
    }
}

} // namespace platform
