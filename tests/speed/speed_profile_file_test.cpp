#include "speed/speed_profile_file.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace {

using Profiles = std::vector<std::string>;

// A profile as "label|rateCode|tuningHigh|tuningLow" (fields never hold "|" in these cases).
Profiles describe(const std::vector<CSpeedEntry>& entries) {
    Profiles out;
    for (const CSpeedEntry& e : entries)
        out.push_back(e.label + "|" + e.rateCode + "|" + e.tuningHigh + "|" + e.tuningLow);
    return out;
}

struct FileCase {
    const char* name;
    std::string text;
    Profiles upstream;
    Profiles downstream;
    int result;
};

std::ostream& operator<<(std::ostream& out, const FileCase& c) {
    return out << c.name;
}

const std::string kExampleFile = "# Profiles\n"
                                 "1.42;68;00;b7;\n"
                                 "2.84;48;00;b7;\n"
                                 "\n"
                                 "$DOWNSTREAM\n"
                                 "3.79;54;00;4b;\n"
                                 "5.69;44;00;4b\n"
                                 "$UPSTREAM\n"
                                 "5.69;44;00;b7;\n";

const std::string kLabel250(250, 'L');

std::vector<FileCase> fileCases() {
    using namespace std::string_literals;
    return {
        {"ExampleFile",
         kExampleFile,
         {"1.42|68|00|b7", "2.84|48|00|b7", "5.69|44|00|b7"},
         {"3.79|54|00|4b", "5.69|44|00|4b\n"},
         1},
        {"EmptyFile", "", {}, {}, 1},
        {"CommentsAndEmptyLinesOnly", "# a\n\n#\n\n# b", {}, {}, 1},
        {"ProfilesBeforeAnySectionAreUpstream",
         "a;1;2;3;\n$DOWNSTREAM\nb;4;5;6;\n",
         {"a|1|2|3"},
         {"b|4|5|6"},
         1},
        {"SectionsAlternate",
         "$DOWNSTREAM\na;1;2;3;\n$UPSTREAM\nb;1;2;3;\n$DOWNSTREAM\nc;1;2;3;\n",
         {"b|1|2|3"},
         {"a|1|2|3", "c|1|2|3"},
         1},
        {"SectionInSmallLetters", "a;1;2;3;\n$upstream\nb;1;2;3;\n", {"a|1|2|3"}, {}, 0},
        {"SectionWithBlankBeforeLineFeed", "$DOWNSTREAM \na;1;2;3;\n", {}, {}, 0},
        {"SectionLastWithoutLineFeed", "a;1;2;3;\n$UPSTREAM", {"a|1|2|3"}, {}, 0},
        {"OtherDollarLine", "$\n", {}, {}, 0},
        {"RunOfSeparatorsIsOne", "a;;b;c;d\n", {"a|b|c|d\n"}, {}, 1},
        {"LeadingSeparatorSkipped", ";a;b;c;d\n", {"a|b|c|d\n"}, {}, 1},
        {"ThreeTokensIsAnError", "a;b;c\n", {}, {}, 0},
        // the line feed after the last ";" is the fourth token: fields are not validated
        {"LineFeedAloneIsTheFourthToken", "a;b;c;\n", {"a|b|c|\n"}, {}, 1},
        {"LineOfBlanksIsAnError", "   \n", {}, {}, 0},
        {"FourthTokenKeepsTheLineFeed", "1.42;68;00;b7\n", {"1.42|68|00|b7\n"}, {}, 1},
        {"SeparatorAfterFourthTokenGivesCleanField", "1.42;68;00;b7;\n", {"1.42|68|00|b7"}, {}, 1},
        {"FurtherTokensIgnored", "1.42;68;00;b7;x;y\n", {"1.42|68|00|b7"}, {}, 1},
        {"BlanksKept", " a ; 68;00 ;b7 ;\n", {" a | 68|00 |b7 "}, {}, 1},
        {"LastLineWithoutLineFeed", "a;1;2;3", {"a|1|2|3"}, {}, 1},
        {"ErrorOnThirdLineKeepsTheFirstTwo",
         "a;1;2;3;\nb;1;2;3;\nc;1;2\nd;1;2;3;\n",
         {"a|1|2|3", "b|1|2|3"},
         {},
         0},
        {"RepeatedLabelsStayDistinct", "x;1;2;3;\nx;4;5;6;\n", {"x|1|2|3", "x|4|5|6"}, {}, 1},
        // Carriage returns: only one just before a line feed is dropped.
        {"CarriageReturnBeforeLineFeedDropped", "$DOWNSTREAM\r\na;1;2;3\r\n", {}, {"a|1|2|3\n"}, 1},
        {"CommentAndEmptyLineWithCarriageReturn", "# x\r\n\r\na;1;2;3;\r\n", {"a|1|2|3"}, {}, 1},
        {"LoneCarriageReturnsKept", "a;1\r;2;3\r", {"a|1\r|2|3\r"}, {}, 1},
        {"CarriageReturnsBeforeCarriageReturnLineFeed", "a;1;2;3\r\r\n", {"a|1|2|3\r\n"}, {}, 1},
        {"SectionWithTwoCarriageReturnsIsAnError", "$UPSTREAM\r\r\n", {}, {}, 0},
        // Pieces of 259 characters, each judged as a line of its own.
        {"SecondPieceOfLongLineIsAComment",
         kLabel250 + ";68;00;b7" + "#" + std::string(40, 'x') + "\n",
         {kLabel250 + "|68|00|b7"},
         {},
         1},
        {"SecondPieceOfLongLineIsAnError",
         kLabel250 + ";68;00;b7" + std::string(40, 'x') + "\n",
         {kLabel250 + "|68|00|b7"},
         {},
         0},
        {"LineOf259AndLineFeedGivesAnEmptyPiece",
         kLabel250 + ";68;00;b7\nz;1;2;3;\n",
         {kLabel250 + "|68|00|b7", "z|1|2|3"},
         {},
         1},
        {"LineOf258AndLineFeedIsOnePiece",
         kLabel250 + ";68;00;b\n",
         {kLabel250 + "|68|00|b\n"},
         {},
         1},
        {"CarriageReturnDroppedBeforeCounting",
         kLabel250 + ";68;00;b\r\n",
         {kLabel250 + "|68|00|b\n"},
         {},
         1},
        // Register fields must fit a console command of 99 characters.
        {"RateCodeOf90Fits",
         "a;" + std::string(90, '5') + ";00;b7;\n",
         {"a|" + std::string(90, '5') + "|00|b7"},
         {},
         1},
        {"RateCodeOf91IsAnError", "a;" + std::string(91, '5') + ";00;b7;\n", {}, {}, 0},
        {"TuningHighOf91IsAnError", "a;1;" + std::string(91, '0') + ";b7;\n", {}, {}, 0},
        {"TuningLowOf90WithLineFeedFits",
         "a;1;2;" + std::string(89, 'b') + "\n",
         {"a|1|2|" + std::string(89, 'b') + "\n"},
         {},
         1},
        {"TuningLowOf91WithLineFeedIsAnError", "a;1;2;" + std::string(90, 'b') + "\n", {}, {}, 0},
        {"LongLabelKeptWhole",
         std::string(200, 'x') + ";1;2;3;\n",
         {std::string(200, 'x') + "|1|2|3"},
         {},
         1},
        // NUL bytes: a field holding one could not be sent whole.
        {"NulInFieldIsAnError", "a;1\0;2;3;\n"s, {}, {}, 0},
        {"NulInLabelIsAnError", "a\0;1;2;3;\n"s, {}, {}, 0},
        {"NulAtStartOfLineIsAnError", "\0;1;2;3;\n"s, {}, {}, 0},
        {"NulInCommentOrIgnoredTokenIsFine", "#\0\na;1;2;3;\0\n"s, {"a|1|2|3"}, {}, 1},
    };
}

class ParseSpeedProfilesTest : public ::testing::TestWithParam<FileCase> {};

TEST_P(ParseSpeedProfilesTest, GivesTheListsAndResult) {
    const FileCase& c = GetParam();
    const SpeedProfileFile file = parseSpeedProfiles(c.text);
    EXPECT_EQ(describe(file.upstream), c.upstream);
    EXPECT_EQ(describe(file.downstream), c.downstream);
    EXPECT_EQ(file.result, c.result);
    if (c.result == 1)
        EXPECT_FALSE(file.message.has_value());
    else
        EXPECT_EQ(file.message, kSyntaxErrorMessage);
}

INSTANTIATE_TEST_SUITE_P(Files, ParseSpeedProfilesTest, ::testing::ValuesIn(fileCases()),
                         [](const auto& caseInfo) { return std::string(caseInfo.param.name); });

TEST(ParseSpeedProfilesTest, LastIndexesOfTheExampleFile) {
    const SpeedProfileFile file = parseSpeedProfiles(kExampleFile);
    EXPECT_EQ(file.upLastIndex(), 2);
    EXPECT_EQ(file.downLastIndex(), 1);
    const SpeedProfileFile empty = parseSpeedProfiles("# nothing\n");
    EXPECT_EQ(empty.upLastIndex(), -1);
    EXPECT_EQ(empty.downLastIndex(), -1);
}

TEST(ParseSpeedProfilesTest, ProfilesPerDirectionAreBounded) {
    std::string text;
    for (std::size_t i = 0; i < kMaxProfilesPerDirection; ++i)
        text += "u;1;2;3;\n";
    text += "$DOWNSTREAM\nd;1;2;3;\n";
    EXPECT_EQ(parseSpeedProfiles(text).result, 1);
    text += "$UPSTREAM\nlast;1;2;3;\n";
    const SpeedProfileFile file = parseSpeedProfiles(text);
    EXPECT_EQ(file.result, 0);
    EXPECT_EQ(file.message, kSyntaxErrorMessage);
    EXPECT_EQ(file.upstream.size(), kMaxProfilesPerDirection);
    EXPECT_EQ(file.downstream.size(), 1u);
}

class ReadSpeedFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ =
            std::filesystem::temp_directory_path() / ("quillon_speed_" + std::string(info->name()) +
                                                      "_" + std::to_string(std::random_device{}()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string write(const std::string& bytes) {
        const auto path = dir_ / kSpeedFileName;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    std::filesystem::path dir_;
};

TEST_F(ReadSpeedFileTest, ReadsTheFileAsText) {
    const SpeedProfileFile file = readSpeedFile(write("# x\r\n$DOWNSTREAM\r\n3.79;54;00;4b\r\n"));
    EXPECT_EQ(file.result, 1);
    EXPECT_FALSE(file.message.has_value());
    EXPECT_EQ(describe(file.downstream), Profiles{"3.79|54|00|4b\n"});
}

TEST_F(ReadSpeedFileTest, MissingFileIsNotFound) {
    const SpeedProfileFile file = readSpeedFile((dir_ / "absent.txt").string());
    EXPECT_EQ(file.result, 0);
    EXPECT_EQ(file.message, kFileNotFoundMessage);
    EXPECT_TRUE(file.upstream.empty());
}

TEST_F(ReadSpeedFileTest, DirectoryIsNotFound) {
    std::filesystem::create_directory(dir_ / kSpeedFileName);
    const SpeedProfileFile file = readSpeedFile((dir_ / kSpeedFileName).string());
    EXPECT_EQ(file.result, 0);
    EXPECT_EQ(file.message, kFileNotFoundMessage);
}

TEST_F(ReadSpeedFileTest, SyntaxErrorInFile) {
    const SpeedProfileFile file = readSpeedFile(write("a;1;2;3;\n$up\n"));
    EXPECT_EQ(file.result, 0);
    EXPECT_EQ(file.message, kSyntaxErrorMessage);
    EXPECT_EQ(file.upstream.size(), 1u);
}

struct RateCodeCase {
    const char* text;
    std::optional<std::uint64_t> code;
};

class ParseRateCodeTest : public ::testing::TestWithParam<RateCodeCase> {};

TEST_P(ParseRateCodeTest, ReadsHexadecimal) {
    EXPECT_EQ(parseRateCode(GetParam().text), GetParam().code) << GetParam().text;
}

constexpr auto kLargest = std::numeric_limits<std::uint64_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Codes, ParseRateCodeTest,
    ::testing::Values(RateCodeCase{"54", 0x54}, RateCodeCase{"0x54", 0x54},
                      RateCodeCase{"0X54", 0x54}, RateCodeCase{" \t54", 0x54},
                      RateCodeCase{"4b\n", 0x4b}, RateCodeCase{"A0", 0xa0},
                      RateCodeCase{"154", 0x154}, // three digits: never an 8-bit value
                      RateCodeCase{"54zz", 0x54}, RateCodeCase{"0x", 0}, RateCodeCase{"0xg", 0},
                      RateCodeCase{"0x 54", 0}, RateCodeCase{"ffffffffffffffff", kLargest},
                      RateCodeCase{"123456789abcdef01", kLargest}, RateCodeCase{"", std::nullopt},
                      RateCodeCase{"zz", std::nullopt}, RateCodeCase{"-54", std::nullopt},
                      RateCodeCase{" ", std::nullopt}, RateCodeCase{"x54", std::nullopt}));

} // namespace
