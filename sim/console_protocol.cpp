#include "console_protocol.h"

#include "link/hex_digit.h"

#include <cctype>
#include <cstdio>

namespace sim {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Splits off the next blank-separated word.
std::string_view nextWord(std::string_view& text) {
    text = trimmed(text);
    std::size_t end = 0;
    while (end < text.size() && !isBlank(text[end]))
        ++end;
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end);
    return word;
}

// The whole text as a hexadecimal number of at most maxDigits digits, or -1.
long parseHex(std::string_view text, std::size_t maxDigits) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty() || text.size() > maxDigits)
        return -1;
    long value = 0;
    for (char c : text) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i])
            return false;
    return true;
}

ConsoleCommand invalid() {
    return {};
}

ConsoleCommand parseRead(std::string_view rest) {
    // "REG" or "REG, N" (blanks around the comma optional).
    rest = trimmed(rest);
    std::string_view countText;
    if (const std::size_t comma = rest.find(','); comma != std::string_view::npos) {
        countText = trimmed(rest.substr(comma + 1));
        rest = trimmed(rest.substr(0, comma));
        if (countText.empty())
            return invalid();
    }
    const int address = parseRegisterToken(rest);
    if (address < 0)
        return invalid();
    int count = 1;
    if (!countText.empty()) {
        count = 0;
        for (char c : countText) {
            if (c < '0' || c > '9' || count > kMaxReadCount)
                return invalid();
            count = count * 10 + (c - '0');
        }
        if (count < 1 || count > kMaxReadCount)
            return invalid();
    }
    ConsoleCommand command;
    command.kind = ConsoleCommand::Kind::Read;
    command.registerToken = std::string(rest);
    command.address = static_cast<std::uint16_t>(address);
    command.count = count;
    return command;
}

ConsoleCommand parseWrite(std::string_view rest, ConsoleCommand::Kind kind) {
    const std::string_view token = nextWord(rest);
    const std::string_view valueText = nextWord(rest);
    if (!trimmed(rest).empty())
        return invalid();
    const int address = parseRegisterToken(token);
    const long value = parseHex(valueText, 2);
    if (address < 0 || value < 0)
        return invalid();
    ConsoleCommand command;
    command.kind = kind;
    command.registerToken = std::string(token);
    command.address = static_cast<std::uint16_t>(address);
    command.value = static_cast<std::uint8_t>(value);
    return command;
}

} // namespace

int parseRegisterToken(std::string_view token) {
    return static_cast<int>(parseHex(token, 4));
}

ConsoleCommand parseCommand(std::string_view line) {
    std::string_view rest = line;
    const std::string_view word = nextWord(rest);
    if (word.empty()) {
        ConsoleCommand command;
        command.kind =
            trimmed(rest).empty() ? ConsoleCommand::Kind::Empty : ConsoleCommand::Kind::Invalid;
        return command;
    }
    if (equalsIgnoringCase(word, "rd"))
        return parseRead(rest);
    if (equalsIgnoringCase(word, "wr"))
        return parseWrite(rest, ConsoleCommand::Kind::Write);
    if (equalsIgnoringCase(word, "or"))
        return parseWrite(rest, ConsoleCommand::Kind::SetBits);
    return invalid();
}

std::string promptText(bool remote) {
    return remote ? "R>" : "L>";
}

std::string readReplyText(std::string_view token, const std::vector<std::uint8_t>& bytes) {
    std::string text = "\r\n";
    text += token;
    text += " :";
    for (std::uint8_t byte : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, " %02x", byte);
        text += digits;
    }
    text += "\r\n";
    return text;
}

std::string noValueReplyText(std::string_view token) {
    return "\r\n" + std::string(token) + " not available\r\n";
}

std::string noticeText(std::string_view message) {
    return "\r\n" + std::string(message) + "\r\n";
}

std::string escapeControlBytes(std::string_view text) {
    std::string escaped;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7f) {
            char code[8];
            std::snprintf(code, sizeof code, "<%02x>", byte);
            escaped += code;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

} // namespace sim
