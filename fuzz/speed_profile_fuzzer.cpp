// Fuzz target: the speed profile file parser, on any bytes.
// Checks the limits every profile must keep, and that the profiles read back the same when
// written out again as a clean file.
#include "speed/speed_profile_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

void checkEntry(const CSpeedEntry& e) {
    const std::string_view fields[] = {e.label, e.rateCode, e.tuningHigh, e.tuningLow};
    for (const std::string_view field : fields) {
        check(!field.empty());
        check(field.size() <= kLinePieceLength);
        check(field.find(';') == std::string_view::npos);
        check(field.find('\0') == std::string_view::npos);
    }
    for (const std::string_view field : {fields[1], fields[2], fields[3]})
        check(field.size() <= kMaxRegisterFieldLength);
    // Only the last field of a line can hold its line feed, and only at its end.
    for (const std::string_view field : {fields[0], fields[1], fields[2]})
        check(field.find('\n') == std::string_view::npos);
    check(e.tuningLow.find('\n') == std::string::npos ||
          e.tuningLow.find('\n') == e.tuningLow.size() - 1);
}

// One clean line for the profile, as file bytes; empty when it would not fit one piece.
std::string lineOf(const CSpeedEntry& e) {
    const bool hidden = e.label[0] == '#' || e.label[0] == '$';
    std::string line =
        (hidden ? ";" : "") + e.label + ";" + e.rateCode + ";" + e.tuningHigh + ";" + e.tuningLow;
    if (line.back() != '\n')
        line += ";\n";
    if (line.size() > kLinePieceLength)
        return std::string();
    // A carriage return read just before the line feed came from "\r\r\n" in the file.
    if (line.size() >= 2 && line[line.size() - 2] == '\r')
        line.insert(line.size() - 1, "\r");
    return line;
}

bool sameProfiles(const std::vector<CSpeedEntry>& a, const std::vector<CSpeedEntry>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].label != b[i].label || a[i].rateCode != b[i].rateCode ||
            a[i].tuningHigh != b[i].tuningHigh || a[i].tuningLow != b[i].tuningLow)
            return false;
    return true;
}

// Writes both directions out as a clean file; false when a line would not fit.
bool writeOut(const SpeedProfileFile& file, std::string& text) {
    for (const auto& [section, entries] :
         {std::pair{"$UPSTREAM\n", &file.upstream}, std::pair{"$DOWNSTREAM\n", &file.downstream}}) {
        text += section;
        for (const CSpeedEntry& e : *entries) {
            const std::string line = lineOf(e);
            if (line.empty())
                return false;
            text += line;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const SpeedProfileFile file =
        parseSpeedProfiles(std::string_view(reinterpret_cast<const char*>(data), size));
    check(file.result == 0 || file.result == 1);
    check((file.result == 1) == !file.message.has_value());
    check(!file.message || *file.message == kSyntaxErrorMessage);
    check(file.upstream.size() <= kMaxProfilesPerDirection);
    check(file.downstream.size() <= kMaxProfilesPerDirection);
    check(file.upLastIndex() == static_cast<int>(file.upstream.size()) - 1);
    for (const auto* entries : {&file.upstream, &file.downstream})
        for (const CSpeedEntry& e : *entries)
            checkEntry(e);

    std::string clean;
    if (writeOut(file, clean)) {
        const SpeedProfileFile again = parseSpeedProfiles(clean);
        check(again.result == 1);
        check(sameProfiles(again.upstream, file.upstream));
        check(sameProfiles(again.downstream, file.downstream));
    }
    return 0;
}
