#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace platform {

struct JournalLimits {
    std::size_t keptRuns = 30;
    // All runs together, and the one run alone: past it a run's trace stops, its CSV files go on.
    std::uint64_t keptBytes = 200'000'000;
};

// The folder name of a run that began at the given wall time, in local time: 2026-12-07-091500.
std::string runFolderName(std::int64_t startWallMs);

// Makes the folder of a new run under parent (made too when missing): name, or name-2, name-3 ...
// when another run of the same second has it. Empty, with the reason in error, when it fails.
std::filesystem::path makeRunFolder(const std::filesystem::path& parent, const std::string& name,
                                    std::error_code& error);

// Removes run folders under parent, oldest first, until at most limits.keptRuns runs and
// limits.keptBytes bytes are left. The current run is never removed, and counts. Folders not
// named like runs are left alone; what cannot be removed stays.
void pruneRunFolders(const std::filesystem::path& parent, const std::filesystem::path& current,
                     const JournalLimits& limits);

} // namespace platform
