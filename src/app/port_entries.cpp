#include "app/port_entries.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace {

constexpr int kFirstExtraNumber = 3;
constexpr std::size_t kMaxComDigits = 4;

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// n for a Windows port named "COMn" (n from 1, no leading zero), else nothing: such a port
// cannot be opened by number.
std::optional<int> comNumber(const std::string& name) {
    if (name.size() < 4 || lower(name[0]) != 'c' || lower(name[1]) != 'o' || lower(name[2]) != 'm')
        return std::nullopt;
    const std::string digits = name.substr(3);
    const bool allDigits =
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!allDigits || digits.size() > kMaxComDigits || digits[0] == '0')
        return std::nullopt;
    return std::stoi(digits);
}

std::string comDevice(int number) {
    return "\\\\.\\COM" + std::to_string(number);
}

// The entry a reported port stands for, or null when it is new.
PortEntry* sameEntry(std::vector<PortEntry>& entries, const PortEntry& port) {
    const auto it = std::find_if(entries.begin(), entries.end(), [&](const PortEntry& entry) {
        return port.number != 0 ? entry.number == port.number : entry.device == port.device;
    });
    return it == entries.end() ? nullptr : &*it;
}

// The system's description, with the adapter's latency timer when it slows the console down.
std::string describe(const platform::SystemPort& port) {
    if (port.latencyTimerMs <= 1)
        return port.description;
    const std::string latency = "latency timer " + std::to_string(port.latencyTimerMs) + " ms";
    return port.description.empty() ? latency : port.description + ", " + latency;
}

// The reported port as an entry (its description in detail for now), or nothing when it cannot
// be opened.
std::optional<PortEntry> entryFor(const platform::SystemPort& port, platform::PortNaming naming) {
    if (naming == platform::PortNaming::WindowsCom) {
        const std::optional<int> number = comNumber(port.name);
        if (!number)
            return std::nullopt;
        return PortEntry{"COM" + std::to_string(*number), *number, comDevice(*number),
                         describe(port)};
    }
    if (port.device.empty())
        return std::nullopt;
    const std::string text =
        port.name.empty() ? port.device.substr(port.device.find_last_of('/') + 1) : port.name;
    return PortEntry{text, 0, port.device, describe(port)};
}

std::string detailOf(const PortEntry& entry, const std::string& description,
                     platform::PortNaming naming) {
    if (naming == platform::PortNaming::WindowsCom)
        return description;
    return description.empty() ? entry.device : entry.device + " - " + description;
}

} // namespace

bool sortsBefore(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        // Non-ASCII letters after ASCII ones, as in the list.
        return static_cast<unsigned char>(lower(x)) < static_cast<unsigned char>(lower(y));
    });
}

std::vector<PortEntry> portEntries(const std::vector<platform::SystemPort>& reported,
                                   const std::array<std::string, 2>& comDevices,
                                   platform::PortNaming naming) {
    // While collecting, detail holds the description alone.
    std::vector<PortEntry> entries = {{"COM1", 1, comDevices[0], ""},
                                      {"COM2", 2, comDevices[1], ""}};
    for (const platform::SystemPort& port : reported) {
        std::optional<PortEntry> entry = entryFor(port, naming);
        if (!entry)
            continue;
        if (PortEntry* known = sameEntry(entries, *entry)) {
            if (known->detail.empty())
                known->detail = entry->detail;
        } else {
            entries.push_back(std::move(*entry));
        }
    }
    // Equal texts keep their order, as in the list, which adds an equal text after the others.
    std::stable_sort(entries.begin(), entries.end(), [](const PortEntry& a, const PortEntry& b) {
        return sortsBefore(a.text, b.text);
    });
    int next = kFirstExtraNumber;
    for (PortEntry& entry : entries) {
        if (entry.number == 0)
            entry.number = next++;
        entry.detail = detailOf(entry, entry.detail, naming);
    }
    return entries;
}
