#include "link/reply_parser.h"

#include "link/hex_digit.h"

#include <optional>

namespace {

bool isSeparator(char c) {
    return c == ' ' || c == '\r' || c == '\n';
}

// Walks the tokens of a reply: maximal runs of characters other than blank, CR and LF.
class Tokens {
public:
    explicit Tokens(std::string_view text) : text_(text) {}
    std::optional<std::string_view> next() {
        while (pos_ < text_.size() && isSeparator(text_[pos_]))
            ++pos_;
        if (pos_ >= text_.size())
            return std::nullopt;
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !isSeparator(text_[pos_]))
            ++pos_;
        return text_.substr(start, pos_ - start);
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// The white space the "%x" conversion skips (the C locale's).
bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads a token as the "%x" conversion does: leading white space skipped, optional sign, optional
// 0x prefix, hexadecimal digits up to the first other character, wrapping modulo 2^32. No digit
// at all is no number.
std::optional<std::uint32_t> parseHex(std::string_view token) {
    std::size_t i = 0;
    while (i < token.size() && isWhiteSpace(token[i]))
        ++i;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    if (i + 2 < token.size() && token[i] == '0' && (token[i + 1] == 'x' || token[i + 1] == 'X') &&
        hexDigit(token[i + 2]) >= 0)
        i += 2;
    std::uint32_t value = 0;
    bool anyDigit = false;
    for (; i < token.size() && hexDigit(token[i]) >= 0; ++i) {
        value = value * 16u + static_cast<std::uint32_t>(hexDigit(token[i]));
        anyDigit = true;
    }
    if (!anyDigit)
        return std::nullopt;
    return negative ? 0u - value : value;
}

// Positions tokens just after the first token that begins with ':'; false when there is none.
bool skipToValues(Tokens& tokens) {
    while (auto token = tokens.next())
        if ((*token)[0] == ':')
            return true;
    return false;
}

} // namespace

std::int32_t ParseReplyValue(std::string_view reply) {
    Tokens tokens(reply);
    if (!skipToValues(tokens))
        return NO_VALUE;
    const auto token = tokens.next();
    if (!token)
        return NO_VALUE;
    const auto value = parseHex(*token);
    if (!value)
        return NO_VALUE;
    return static_cast<std::int32_t>(*value);
}

int ParseReplyBytes(std::uint32_t& out, std::string_view reply, int count) {
    if (count < 1 || count > 4)
        return 0;
    Tokens tokens(reply);
    if (!skipToValues(tokens))
        return 0;
    std::uint32_t assembled = 0;
    for (int i = 0; i < count; ++i) {
        const auto token = tokens.next();
        if (!token)
            return 0;
        const auto value = parseHex(*token);
        if (!value)
            return 0;
        assembled |= (*value & 0xFFu) << (8 * i);
    }
    out = assembled;
    return 1;
}

int sideOfPrompt(std::string_view reply) {
    const std::size_t end = reply.find('>');
    if (end == std::string_view::npos || end == 0)
        return -1;
    if (reply[end - 1] == 'L')
        return 0;
    if (reply[end - 1] == 'R')
        return 1;
    return -1;
}
