#include "speed/speed_profile_file.h"
#include "support/work_folder.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>

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

std::string repeat(const std::string& text, std::size_t times) {
    std::string all;
    while (times-- > 0)
        all += text;
    return all;
}

// Each file as bytes and as speedconf.txt read from the disk, which must agree.
TEST(ParseSpeedProfiles, GivesTheListsAndResult) {
    const std::string example = "# Profiles\n1.42;68;00;b7;\n2.84;48;00;b7;\n\n$DOWNSTREAM\n"
                                "3.79;54;00;4b;\n5.69;44;00;4b\n$UPSTREAM\n5.69;44;00;b7;\n";
    const std::string l250(250, 'L'); // with ";68;00;b7" a piece of 259 characters
    const std::string x90(90, 'x');
    const std::string p = "1.42;68;00;b7;\n";
    std::mt19937 generator(8);
    std::string binary(1 << 20, '\0');
    for (char& byte : binary)
        byte = static_cast<char>(generator() & 0xFF);
    const std::vector<std::tuple<std::string, std::string, int>> cases = {
        {example, "1.42|68|00|b7,2.84|48|00|b7,5.69|44|00|b7,/3.79|54|00|4b,5.69|44|00|4b\n,", 1},
        {"# a\n\n#\n\n# b", "/", 1},
        // Section lines are exact; a syntax error keeps the profiles read before it.
        {"a;1;2;3;\n$upstream\nb;1;2;3;\n", "a|1|2|3,/", 0},
        {"$DOWNSTREAM \na;1;2;3;\n", "/", 0},
        {"a;1;2;3;\n$UPSTREAM", "a|1|2|3,/", 0},
        {"a;1;2;3;\nb;1;2;3;\nc;1;2\nd;1;2;3;\n", "a|1|2|3,b|1|2|3,/", 0},
        {"   \n", "/", 0},
        {binary, "/", 0},
        // Tokens: runs of ";" are one, blanks and the line feed are ordinary characters.
        {"a;;b;c;d\n;a;b;c;d\n", "a|b|c|d\n,a|b|c|d\n,/", 1},
        {"1.42;68;00;b7\n1.42;68;00;b7;\n1.42;68;00;b7;x;y\n a ; 68;00 ;b7 ;\na;1;2;3",
         "1.42|68|00|b7\n,1.42|68|00|b7,1.42|68|00|b7, a | 68|00 |b7 ,a|1|2|3,/", 1},
        // Only a carriage return just before a line feed is dropped; a lone one is refused.
        {"# x\r\n\r\n$DOWNSTREAM\r\na;1;2;3\r\nb;1;2;3\r\r\n", "/a|1|2|3\n,", 0},
        {"a;1\r;2;3;\n", "/", 0},
        {"a;1;2;3\r", "/", 0},
        // Pieces of 259 characters, each judged by its own first character: a long comment goes
        // on as profile text, a long profile is cut. Labels are kept whole.
        {l250 + ";68;00;b7#x\n" + l250 + ";68;00;b\r\n" + l250 + ";68;00;b7\nz;1;2;3;\n",
         l250 + "|68|00|b7," + l250 + "|68|00|b\n," + l250 + "|68|00|b7,z|1|2|3,/", 1},
        {l250 + ";68;00;b7xx\n", l250 + "|68|00|b7,/", 0},
        {"# " + std::string(9998, 'x') + "\n" + p, "/", 0},
        {std::string(10000, '#') + "\n" + p, "1.42|68|00|b7,/", 1},
        {"1.42;68;00;" + std::string(9989, 'b') + "\n", "/", 0},
        // 16 MB of comments are read to the end; a runaway file stops at 1024 profiles.
        {repeat("# " + std::string(254, '-') + "\n", 1 << 16) + p, "1.42|68|00|b7,/", 1},
        {repeat(p, 100000), repeat("1.42|68|00|b7,", kMaxProfilesPerDirection) + "/", 0},
        // A register field must fit a console command of 99 characters and hold no NUL.
        {"a;" + x90 + ";0;b;\nb;1;2;" + x90.substr(1) + "\n" + l250 + ";1;2;3;\n#\0\nc;1;2;3;\0\n"s,
         "a|" + x90 + "|0|b,b|1|2|" + x90.substr(1) + "\n," + l250 + "|1|2|3,c|1|2|3,/", 1},
        {"a;" + x90 + "5;00;b7;\n", "/", 0},
        {"a;1;2;" + x90 + "\n", "/", 0},
        {"a;1\0;2;3;\n"s, "/", 0},
        {"a\0;1;2;3;\n"s, "/", 0},
        // Nor a byte the console acts on; the tab is text, and a label may hold anything else.
        {"a;54\x05;00;4b;\n", "/", 0},
        {"a;54;0\x7f;4b;\n", "/", 0},
        {"a;54;00;4\x1b\n", "/", 0},
        {"\x05\x7f;5\t4;\t00;4b\t\n", "\x05\x7f|5\t4|\t00|4b\t\n,/", 1}};
    const testsupport::WorkFolder folder;
    for (const auto& [text, profiles, result] : cases) {
        SCOPED_TRACE(text.substr(0, 80));
        folder.write(kSpeedFileName, text);
        for (const SpeedProfileFile& file :
             {parseSpeedProfiles(text), readSpeedFile(folder.file(kSpeedFileName))}) {
            EXPECT_EQ(describe(file), profiles);
            EXPECT_EQ(file.result, result);
            EXPECT_EQ(file.message.value_or(""), result == 1 ? "" : kSyntaxErrorMessage);
        }
    }
    EXPECT_EQ(parseSpeedProfiles(example).upLastIndex(), 2);
    EXPECT_EQ(parseSpeedProfiles(example).downLastIndex(), 1);
    // A file that cannot be opened, or not read to its end, is not found.
    std::filesystem::create_directory(folder.path() / "folder");
    for (const std::string& path : {folder.file("none"), folder.file("folder")}) {
        const SpeedProfileFile file = readSpeedFile(path);
        EXPECT_EQ(describe(file) + std::string(file.message.value_or("")),
                  "/"s + kFileNotFoundMessage);
        EXPECT_EQ(file.result, 0);
    }
#ifdef __GLIBC__ // a stream that fails part-way needs glibc's fopencookie
    // Nor is one whose reading fails part-way: what was read before the failure is dropped.
    cookie_io_functions_t failing{};
    failing.read = [](void* cookie, char* buffer, std::size_t) -> ssize_t {
        if ((*static_cast<int*>(cookie))++ > 0)
            return -1;
        return static_cast<ssize_t>(std::strlen(std::strcpy(buffer, "1.42;68;00;b7;\n")));
    };
    int reads = 0;
    std::FILE* stream = fopencookie(&reads, "rb", failing);
    const SpeedProfileFile file = readSpeedFile(stream);
    std::fclose(stream);
    EXPECT_EQ(describe(file) + std::string(file.message.value_or("")), "/"s + kFileNotFoundMessage);
#endif
}

// Valid UTF-8 is kept; anything else, overlong forms and surrogates included, is Latin-1.
TEST(LabelText, IsUtf8WhenValidElseLatin1) {
    for (const auto& [label, text] : std::vector<std::pair<std::string, std::string>>{
             {"5.69", "5.69"},
             {"7.6 \xc2\xb5s", "7.6 \xc2\xb5s"},
             {"\xf0\x9f\x93\xb6", "\xf0\x9f\x93\xb6"},
             {"7.6 \xb5s", "7.6 \xc2\xb5s"},
             {"\xc2\xb5\xb5", "\xc3\x82\xc2\xb5\xc2\xb5"},
             {"\xc0\x80", "\xc3\x80\xc2\x80"},
             {"\xed\xa0\x80", "\xc3\xad\xc2\xa0\xc2\x80"},
             {"\xf4\x90\x80\x80", "\xc3\xb4\xc2\x90\xc2\x80\xc2\x80"},
             {"\xe2\x82", "\xc3\xa2\xc2\x82"}})
        EXPECT_EQ(labelText(label), text) << testing::PrintToString(label);
}

} // namespace
