#include "link/reply_parser.h"

#include <gtest/gtest.h>

namespace {

using Value = std::pair<const char*, std::int32_t>;

// ":12" is the colon token, so the value is the token after it; a prompt is no value.
TEST(ParseReplyValue, TakesTheTokenAfterTheColonToken) {
    for (const auto& [reply, value] :
         {Value{"\r\n8c70 : 10\r\nL>", 0x10}, Value{": 1ff L>", 0x1ff},
          Value{"\r\n:12 34\r\nL>", 0x34}, Value{"x\r\r\n\n:\r7 \n\nR>", 7},
          Value{"a : 0x1A L>", 0x1a}, Value{"a : 12zz L>", 0x12}, Value{"a : -1 L>", -1},
          Value{"8c70 : \t02 L>", 2}, Value{": \v\f-0x1 L>", -1}, Value{": \t L>", NO_VALUE},
          Value{"no colon here L>", NO_VALUE}, Value{": ", NO_VALUE},
          Value{"\r\n:\r\nL>", NO_VALUE}, Value{"", NO_VALUE}})
        EXPECT_EQ(ParseReplyValue(reply), value) << ::testing::PrintToString(reply);
}

// Each token gives its low 8 bits; too few tokens (the prompt is no byte) leave the value alone.
TEST(ParseReplyBytes, AssemblesLittleEndianOrLeavesTheValueAlone) {
    struct Case {
        const char* reply;
        int count;
        std::uint32_t value; // 0xDEADBEEF: failed, left unchanged
    };
    for (const Case& c :
         {Case{": 34 12 L>", 2, 0x1234}, Case{": 01 00 00 00 L>", 4, 1},
          Case{": ff ff ff L>", 3, 0xFFFFFF}, Case{": 1ff 02 L>", 2, 0x02FF},
          Case{": 01 02 L>", 3, 0xDEADBEEF}, Case{": 01 02", 3, 0xDEADBEEF},
          Case{"no colon 01 02 L>", 2, 0xDEADBEEF}, Case{": 01 02 03 04 05 L>", 5, 0xDEADBEEF},
          Case{": 01 L>", 0, 0xDEADBEEF}}) {
        std::uint32_t out = 0xDEADBEEF;
        EXPECT_EQ(ParseReplyBytes(out, c.reply, c.count), c.value == 0xDEADBEEF ? 0 : 1)
            << ::testing::PrintToString(c.reply);
        EXPECT_EQ(out, c.value) << ::testing::PrintToString(c.reply);
    }
}

} // namespace
