#include "link/reply_parser.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

struct ValueCase {
    const char* reply;
    std::int32_t expected;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << ::testing::PrintToString(c.reply);
}

class ParseReplyValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ParseReplyValueTest, TakesTheTokenAfterTheColonToken) {
    EXPECT_EQ(ParseReplyValue(GetParam().reply), GetParam().expected) << GetParam().reply;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ParseReplyValueTest,
    ::testing::Values(ValueCase{"\r\n8c70 : 10\r\nL>", 0x10}, ValueCase{": 1ff L>", 0x1ff},
                      ValueCase{"\r\n:12 34\r\nL>", 0x34}, // ":12" is the colon token
                      ValueCase{"no colon here L>", NO_VALUE}, ValueCase{": ", NO_VALUE},
                      ValueCase{"\r\n:\r\nL>", NO_VALUE}, // the prompt is no value
                      ValueCase{"a : 0x1A L>", 0x1a}, ValueCase{"a : 12zz L>", 0x12},
                      ValueCase{"a : -1 L>", -1}, ValueCase{"", NO_VALUE},
                      ValueCase{"x\r\r\n\n: \n\n 7\r\nR>", 7}));

struct BytesCase {
    const char* reply;
    int count;
    int result;
    std::uint32_t value;
};

void PrintTo(const BytesCase& c, std::ostream* os) {
    *os << c.count << " bytes of " << ::testing::PrintToString(c.reply);
}

class ParseReplyBytesTest : public ::testing::TestWithParam<BytesCase> {};

TEST_P(ParseReplyBytesTest, AssemblesLittleEndian) {
    std::uint32_t out = 0xDEADBEEF;
    EXPECT_EQ(ParseReplyBytes(out, GetParam().reply, GetParam().count), GetParam().result);
    EXPECT_EQ(out, GetParam().value) << GetParam().reply;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, ParseReplyBytesTest,
    ::testing::Values(BytesCase{": 34 12 L>", 2, 1, 0x1234}, BytesCase{": 01 00 00 00 L>", 4, 1, 1},
                      BytesCase{": ff ff ff L>", 3, 1, 0xFFFFFF},
                      BytesCase{": 1ff 02 L>", 2, 1, 0x02FF},    // low 8 bits of each token
                      BytesCase{": 01 02 L>", 3, 0, 0xDEADBEEF}, // prompt taken as a byte
                      BytesCase{": 01 02", 3, 0, 0xDEADBEEF},
                      BytesCase{"no colon 01 02 L>", 2, 0, 0xDEADBEEF},
                      BytesCase{": 01 02 03 04 05 L>", 5, 0, 0xDEADBEEF},
                      BytesCase{": 01 L>", 0, 0, 0xDEADBEEF}));

} // namespace
