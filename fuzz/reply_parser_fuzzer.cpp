// Fuzz target: the console reply parser and the side selection's prompt check, on any bytes, for
// every byte count. Checks that a failed parse leaves the value alone, that a value never exceeds
// its width, that the single-value and byte parsers agree on the first value, and that a side is
// told only by a prompt letter just before the reply's first '>'.
#include "link/reply_parser.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

constexpr std::uint32_t kUntouched = 0xA5A5A5A5;

void check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const std::int32_t value = ParseReplyValue(reply);
    if (value != NO_VALUE)
        check(reply.find(':') != std::string_view::npos);

    for (int count = -1; count <= 5; ++count) {
        std::uint32_t out = kUntouched;
        const int result = ParseReplyBytes(out, reply, count);
        check(result == 0 || result == 1);
        if (result == 0) {
            check(out == kUntouched);
            continue;
        }
        check(count >= 1 && count <= 4);
        if (count < 4)
            check(out < (1u << (8 * count)));
        if (count == 1)
            check(out == (static_cast<std::uint32_t>(value) & 0xFFu));
    }
    std::uint32_t first = kUntouched;
    if (value != NO_VALUE)
        check(ParseReplyBytes(first, reply, 1) == 1);

    const int side = sideOfPrompt(reply);
    check(side >= -1 && side <= 1);
    if (side != -1) {
        const std::size_t prompt = reply.find('>');
        check(prompt != std::string_view::npos && prompt > 0);
        check(reply[prompt - 1] == (side == 0 ? 'L' : 'R'));
    }
    return 0;
}
