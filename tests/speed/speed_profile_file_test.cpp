#include "speed/speed_profile_file.h"
#include "support/data_rows.h"
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
    std::vector<std::tuple<std::string, std::string, int>> cases;
    for (const testdata::Row& f : testdata::rows(QUILLON_SPEED_DATA "/profile_files.txt"))
        cases.emplace_back(f[1], f[2], std::stoi(f[0]));
    ASSERT_EQ(cases.size(), 18u);
    const std::string example = std::get<0>(cases[0]);
    const std::string l250(250, 'L'); // with ";68;00;b7" a piece of 259 characters
    const std::string x90(90, 'x');
    const std::string p = "1.42;68;00;b7;\n";
    std::mt19937 generator(8);
    std::string binary(1 << 20, '\0');
    for (char& byte : binary)
        byte = static_cast<char>(generator() & 0xFF);
    cases.insert(
        cases.end(),
        {{binary, "/", 0},
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
         {"a;" + x90 + ";0;b;\nb;1;2;" + x90.substr(1) + "\n" + l250 +
              ";1;2;3;\n#\0\nc;1;2;3;\0\n"s,
          "a|" + x90 + "|0|b,b|1|2|" + x90.substr(1) + "\n," + l250 + "|1|2|3,c|1|2|3,/", 1},
         {"a;" + x90 + "5;00;b7;\n", "/", 0},
         {"a;1;2;" + x90 + "\n", "/", 0}});
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
    const std::vector<testdata::Row> cases = testdata::rows(QUILLON_SPEED_DATA "/label_texts.txt");
    ASSERT_EQ(cases.size(), 9u);
    for (const testdata::Row& f : cases)
        EXPECT_EQ(labelText(f[0]), f[1]) << testing::PrintToString(f[0]);
}

} // namespace
