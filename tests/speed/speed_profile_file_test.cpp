#include "speed/speed_profile_file.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

// "label|rateCode|tuningHigh|tuningLow," per profile, upstream then downstream after a "/".
std::string describe(const SpeedProfileFile& file) {
    std::string out;
    for (const auto* list : {&file.upstream, &file.downstream}) {
        out += list == &file.downstream ? "/" : "";
        for (const CSpeedEntry& e : *list)
            out += e.label + "|" + e.rateCode + "|" + e.tuningHigh + "|" + e.tuningLow + ",";
    }
    return out;
}

TEST(ParseSpeedProfiles, GivesTheListsAndResult) {
    const std::string example = "# Profiles\n1.42;68;00;b7;\n2.84;48;00;b7;\n\n$DOWNSTREAM\n"
                                "3.79;54;00;4b;\n5.69;44;00;4b\n$UPSTREAM\n5.69;44;00;b7;\n";
    const std::string l250(250, 'L'); // with ";68;00;b7" a piece of 259 characters
    const std::string x90(90, 'x');
    const std::vector<std::tuple<std::string, std::string, int>> cases = {
        {example, "1.42|68|00|b7,2.84|48|00|b7,5.69|44|00|b7,/3.79|54|00|4b,5.69|44|00|4b\n,", 1},
        {"# a\n\n#\n\n# b", "/", 1},
        // Section lines are exact; a syntax error keeps the profiles read before it.
        {"a;1;2;3;\n$upstream\nb;1;2;3;\n", "a|1|2|3,/", 0},
        {"$DOWNSTREAM \na;1;2;3;\n", "/", 0},
        {"a;1;2;3;\n$UPSTREAM", "a|1|2|3,/", 0},
        {"a;1;2;3;\nb;1;2;3;\nc;1;2\nd;1;2;3;\n", "a|1|2|3,b|1|2|3,/", 0},
        {"   \n", "/", 0},
        // Tokens: runs of ";" are one, blanks and the line feed are ordinary characters.
        {"a;;b;c;d\n;a;b;c;d\n", "a|b|c|d\n,a|b|c|d\n,/", 1},
        {"1.42;68;00;b7\n1.42;68;00;b7;\n1.42;68;00;b7;x;y\n a ; 68;00 ;b7 ;\na;1;2;3",
         "1.42|68|00|b7\n,1.42|68|00|b7,1.42|68|00|b7, a | 68|00 |b7 ,a|1|2|3,/", 1},
        // Only a carriage return just before a line feed is dropped.
        {"# x\r\n\r\n$DOWNSTREAM\r\na;1\r;2;3\r\nb;1;2;3\r\r\nc;1;2;3\r",
         "/a|1\r|2|3\n,b|1|2|3\r\n,c|1|2|3\r,", 1},
        // Pieces of 259 characters, each judged by its own first character.
        {l250 + ";68;00;b7#x\n" + l250 + ";68;00;b\r\n" + l250 + ";68;00;b7\nz;1;2;3;\n",
         l250 + "|68|00|b7," + l250 + "|68|00|b\n," + l250 + "|68|00|b7,z|1|2|3,/", 1},
        {l250 + ";68;00;b7xx\n", l250 + "|68|00|b7,/", 0},
        // A register field must fit a console command of 99 characters and hold no NUL.
        {"a;" + x90 + ";0;b;\nb;1;2;" + x90.substr(1) + "\n" + l250 + ";1;2;3;\n#\0\nc;1;2;3;\0\n"s,
         "a|" + x90 + "|0|b,b|1|2|" + x90.substr(1) + "\n," + l250 + "|1|2|3,c|1|2|3,/", 1},
        {"a;" + x90 + "5;00;b7;\n", "/", 0},
        {"a;1;2;" + x90 + "\n", "/", 0},
        {"a;1\0;2;3;\n"s, "/", 0},
        {"a\0;1;2;3;\n"s, "/", 0}};
    for (const auto& [text, profiles, result] : cases) {
        SCOPED_TRACE(text);
        const SpeedProfileFile file = parseSpeedProfiles(text);
        EXPECT_EQ(describe(file), profiles);
        EXPECT_EQ(file.result, result);
        EXPECT_EQ(file.message.value_or(""), result == 1 ? "" : kSyntaxErrorMessage);
    }
    EXPECT_EQ(parseSpeedProfiles(example).upLastIndex(), 2);
    EXPECT_EQ(parseSpeedProfiles(example).downLastIndex(), 1);
}

} // namespace
