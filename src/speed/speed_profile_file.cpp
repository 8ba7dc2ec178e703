#include "speed/speed_profile_file.h"

#include "link/hex_digit.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <memory>

namespace {

constexpr int kEnd = -1;
constexpr int kNothingHeld = -2;

// The bytes of the file, one at a time.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // The next byte (0 to 255), or kEnd.
    virtual int next() = 0;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    int next() override {
        if (pos_ >= bytes_.size())
            return kEnd;
        return static_cast<unsigned char>(bytes_[pos_++]);
    }

private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

class FileSource : public ByteSource {
public:
    explicit FileSource(std::FILE* file) : file_(file) {}
    int next() override {
        if (pos_ == size_ && !refill())
            return kEnd;
        return static_cast<unsigned char>(buffer_[pos_++]);
    }
    // True when the end came from a read error rather than the end of the file.
    bool failed() const { return failed_; }

private:
    bool refill() {
        size_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
        pos_ = 0;
        if (size_ == 0)
            failed_ = std::ferror(file_) != 0;
        return size_ != 0;
    }

    std::FILE* file_;
    std::array<char, 4096> buffer_{};
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

// Cuts the bytes into the pieces that are judged as lines: text-mode bytes (a carriage return
// before a line feed dropped) up to and including a line feed, at most kLinePieceLength of them.
class PieceReader {
public:
    explicit PieceReader(ByteSource& source) : source_(source) {}

    // False at the end of the file.
    bool next(std::string& piece) {
        piece.clear();
        while (piece.size() < kLinePieceLength) {
            const int c = nextTextByte();
            if (c == kEnd)
                break;
            piece.push_back(static_cast<char>(c));
            if (c == '\n')
                break;
        }
        return !piece.empty();
    }

private:
    int nextTextByte() {
        const int c = take();
        if (c != '\r')
            return c;
        const int after = take();
        if (after == '\n')
            return after;
        held_ = after;
        return c;
    }

    int take() {
        if (held_ == kNothingHeld)
            return source_.next();
        const int c = held_;
        held_ = kNothingHeld;
        return c;
    }

    ByteSource& source_;
    int held_ = kNothingHeld;
};

// The first four tokens of a profile line; fewer than four tokens give none.
std::optional<std::array<std::string_view, 4>> firstFourTokens(std::string_view line) {
    std::array<std::string_view, 4> tokens;
    std::size_t pos = 0;
    for (std::string_view& token : tokens) {
        pos = line.find_first_not_of(';', pos);
        if (pos == std::string_view::npos)
            return std::nullopt;
        const std::size_t end = std::min(line.find(';', pos), line.size());
        token = line.substr(pos, end - pos);
        pos = end;
    }
    return tokens;
}

bool holdsNul(std::string_view field) {
    return field.find('\0') != std::string_view::npos;
}

// A byte the console acts on instead of taking it as text (0x05 switches the unit). The tab is
// taken as text.
bool isConsoleControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && byte != '\t') || byte == 0x7f;
}

// The line feed a line ending in this field leaves at its end is kept: it sends the empty
// command that follows the write.
bool fitsRegisterCommand(std::string_view field) {
    if (field.size() > kMaxRegisterFieldLength)
        return false;
    if (field.ends_with('\n'))
        field.remove_suffix(1);
    return std::ranges::none_of(field, isConsoleControl);
}

std::optional<CSpeedEntry> parseProfileLine(std::string_view line) {
    const auto tokens = firstFourTokens(line);
    if (!tokens || holdsNul((*tokens)[0]))
        return std::nullopt;
    for (std::size_t i = 1; i < tokens->size(); ++i)
        if (!fitsRegisterCommand((*tokens)[i]))
            return std::nullopt;
    CSpeedEntry entry;
    entry.label = (*tokens)[0];
    entry.rateCode = (*tokens)[1];
    entry.tuningHigh = (*tokens)[2];
    entry.tuningLow = (*tokens)[3];
    return entry;
}

SpeedProfileFile stopWith(SpeedProfileFile file, std::string_view message) {
    file.result = 0;
    file.message = message;
    return file;
}

SpeedProfileFile parsePieces(ByteSource& source) {
    SpeedProfileFile file;
    std::vector<CSpeedEntry>* section = &file.upstream;
    PieceReader reader(source);
    std::string piece;
    while (reader.next(piece)) {
        if (piece[0] == '#' || piece[0] == '\n')
            continue;
        if (piece[0] == '$') {
            if (piece == "$UPSTREAM\n")
                section = &file.upstream;
            else if (piece == "$DOWNSTREAM\n")
                section = &file.downstream;
            else
                return stopWith(std::move(file), kSyntaxErrorMessage);
            continue;
        }
        auto entry = parseProfileLine(piece);
        if (!entry || section->size() >= kMaxProfilesPerDirection)
            return stopWith(std::move(file), kSyntaxErrorMessage);
        section->push_back(std::move(*entry));
    }
    return file;
}

// The blanks the console's number reading skips (the C locale's white space).
bool isLeadingBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

SpeedProfileFile parseSpeedProfiles(std::string_view fileBytes) {
    MemorySource source(fileBytes);
    return parsePieces(source);
}

SpeedProfileFile readSpeedFile(const std::string& path) {
    // Binary mode: the parser drops the carriage returns itself, the same on every platform.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                               &std::fclose);
    if (!file)
        return stopWith({}, kFileNotFoundMessage);
    return readSpeedFile(file.get());
}

SpeedProfileFile readSpeedFile(std::FILE* file) {
    FileSource source(file);
    SpeedProfileFile profiles = parsePieces(source);
    // Nothing read before the failure counts: the file is not there as a whole.
    if (source.failed())
        return stopWith({}, kFileNotFoundMessage);
    return profiles;
}

std::optional<std::uint64_t> parseRateCode(std::string_view text) {
    constexpr std::uint64_t kLargest = std::numeric_limits<std::uint64_t>::max();
    std::size_t i = 0;
    while (i < text.size() && isLeadingBlank(text[i]))
        ++i;
    if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        hexDigit(text[i + 2]) >= 0)
        i += 2;
    std::uint64_t value = 0;
    bool anyDigit = false;
    for (; i < text.size() && hexDigit(text[i]) >= 0; ++i) {
        const auto digit = static_cast<std::uint64_t>(hexDigit(text[i]));
        value = value > (kLargest - digit) / 16 ? kLargest : value * 16 + digit;
        anyDigit = true;
    }
    if (!anyDigit)
        return std::nullopt;
    return value;
}

namespace {

// The length of the UTF-8 sequence at the start of text, 0 when none starts there (overlong
// forms, surrogates and code points above U+10FFFF are none).
std::size_t utf8SequenceLength(std::string_view text) {
    const auto at = [text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (at(i) < 0x80 || at(i) > 0xBF)
            return 0;
    return length;
}

bool isUtf8(std::string_view text) {
    while (!text.empty()) {
        const std::size_t length = utf8SequenceLength(text);
        if (length == 0)
            return false;
        text.remove_prefix(length);
    }
    return true;
}

} // namespace

std::string labelText(std::string_view label) {
    if (isUtf8(label))
        return std::string(label);
    std::string text;
    text.reserve(label.size() * 2);
    for (const char c : label) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}
