// What a user may hand the program besides the unit: a speedconf.txt that is huge, binary or
// over its limits, and a COM1 that names something other than a free serial line.

#include "app/process_objects.h"
#include "link/console_state.h"
#include "platform/modal_runner.h"
#include "platform/port_open.h"
#include "platform/serial_port_posix.h"
#include "speed/configuration_page.h"
#include "speed/speed_profile_file.h"
#include "support/platform_fixture.h"
#include "support/work_folder.h"

#include <QComboBox>
#include <QDialog>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <pty.h>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::WorkFolder;

std::string repeat(const std::string& text, std::size_t times) {
    std::string all;
    for (std::size_t i = 0; i < times; ++i)
        all += text;
    return all;
}

struct FileCase {
    const char* name;
    std::function<std::string()> content; // null: speedconf.txt is a folder
    const char* message;                  // null: read without a box, result 1
    int upstream;                         // profiles read
    int downstream;
    qsizetype labelLength = 4; // of the first upstream profile, when there is one
};

class SpeedFileFromTheUser : public testsupport::PlatformFixture,
                             public ::testing::WithParamInterface<FileCase> {};

TEST_P(SpeedFileFromTheUser, IsReadWithinItsLimitsAndTheMessageSaysWhy) {
    const FileCase& c = GetParam();
    const WorkFolder folder(WorkFolder::Enter);
    if (c.content)
        folder.write("speedconf.txt", c.content());
    else
        fs::create_directory("speedconf.txt");
    CSet page;

    EXPECT_EQ(page.LoadSpeedFile(), c.message == nullptr ? 1 : 0);
    EXPECT_EQ(takeBoxTexts(), c.message == nullptr ? std::vector<std::string>{}
                                                   : std::vector<std::string>{c.message});
    EXPECT_EQ(page.upMaxList->count(), c.upstream);
    EXPECT_EQ(page.downMaxList->count(), c.downstream);
    if (c.upstream == 1) { // a label is kept whole, however long
        EXPECT_EQ(page.upMaxList->itemText(0).size(), c.labelLength);
    }
}

const std::string kProfile = "1.42;68;00;b7;\n";
const std::string kField90(90, 'a');
const char* const kSyntax = kSyntaxErrorMessage;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, SpeedFileFromTheUser, ::testing::Values(
    // 16 MB of comments read to the end, where one profile waits.
    FileCase{"HugeButValid", [] {
        return repeat("# " + std::string(254, '-') + "\n", 1 << 16) + kProfile; }, nullptr, 1, 0},
    // A runaway file stops at 1024 profiles a direction.
    FileCase{"HugeRunaway", [] { return repeat(kProfile, 100000); }, kSyntax,
             static_cast<int>(kMaxProfilesPerDirection), 0},
    FileCase{"Binary", [] {
        std::mt19937 generator(8);
        std::string bytes(1 << 20, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(generator() & 0xFF);
        return bytes; }, kSyntax, 0, 0},
    FileCase{"NulInAComment", [] { return std::string("# a\0b\n", 6) + kProfile; }, nullptr, 1, 0},
    FileCase{"NulInARateCode", [] {
        return kProfile + std::string("2.84;4\08;00;b7;\n", 16) + kProfile; }, kSyntax, 1, 0},
    // Each piece of 259 characters is judged as a line: a long comment goes on as profile text.
    FileCase{"CommentOf10000Characters", [] {
        return "# " + std::string(9998, 'x') + "\n" + kProfile; }, kSyntax, 0, 0},
    FileCase{"LineOf10000Hashes", [] { return std::string(10000, '#') + "\n" + kProfile; },
             nullptr, 1, 0},
    FileCase{"ProfileOf10000Characters", [] {
        return "1.42;68;00;" + std::string(9989, 'b') + "\n"; }, kSyntax, 0, 0},
    FileCase{"FieldsAtTheirLimit", [] {
        return "$DOWNSTREAM\n3.79;" + kField90 + ";" + kField90 + ";4b;\n"; }, nullptr, 0, 1},
    FileCase{"TuningFieldOverItsLimit", [] {
        return "$DOWNSTREAM\n" + kProfile + "3.79;54;00;" + kField90 + "a;\n"; }, kSyntax, 0, 1},
    // Labels longer than the search's texts were sized for are kept whole.
    FileCase{"LabelOf200Characters", [] { return std::string(200, 'L') + ";68;00;b7;\n"; },
             nullptr, 1, 0, 200},
    FileCase{"Directory", nullptr, kFileNotFoundMessage, 0, 0}),
    [](const ::testing::TestParamInfo<FileCase>& row) { return std::string(row.param.name); });
// clang-format on

struct PortCase {
    const char* name;
    const char* device; // in the working folder unless absolute; null: a terminal in use
    int errorCode;      // what OpenPort prints
};

class PortFromTheUser : public testsupport::PlatformFixture,
                        public ::testing::WithParamInterface<PortCase> {
protected:
    void TearDown() override {
        objects_.reset();
        busyPort_.reset();
        for (int fd : {master_, slave_})
            if (fd >= 0)
                ::close(fd);
        platform::setModalRunner({});
        ::unsetenv("QUILLON_COM1");
        PlatformFixture::TearDown();
    }

    // A pseudo-terminal that another program holds open.
    std::string busyTerminal() {
        char name[128] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
            return {};
        busyPort_ = platform::openPosixSerialPort(name).port;
        return name;
    }

    std::optional<ProcessObjects> objects_;
    std::unique_ptr<platform::SerialPort> busyPort_;
    int master_ = -1;
    int slave_ = -1;
};

// The port is not open, so the quiet side selection fails, then the read of 8c70 does: the
// system's reason printed, the fatal box and status 1, without waiting.
TEST_P(PortFromTheUser, PrintsTheSystemErrorThenEndsThroughTheFatalBox) {
    const PortCase& c = GetParam();
    const WorkFolder folder(WorkFolder::Enter);
    folder.write("unit", "rd 8c70\n");
    const std::string path = c.device == nullptr  ? busyTerminal()
                             : c.device[0] == '/' ? c.device
                                                  : folder.file(c.device);
    ASSERT_FALSE(path.empty());
    ::setenv("QUILLON_COM1", path.c_str(), 1);
    platform::setModalRunner([](QDialog&) { return int{QDialog::Rejected}; });
    objects_.emplace();

    ::testing::internal::CaptureStdout();
    const std::optional<int> status = testsupport::exitStatusOf([&] { objects_->app.startUp(); });
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "ERRORE n.: " + std::to_string(c.errorCode) + "\n");
    EXPECT_EQ(status, 1);
    const auto boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Fatal Error");
    EXPECT_EQ(g_portHandle, nullptr);
    EXPECT_EQ(clock_.nowMs(), 0);
    EXPECT_NE(objects_->traceWindow.traceText.find("\r\nSendCommand failed\r\n"),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Ports, PortFromTheUser,
                         ::testing::Values(PortCase{"Missing", "ttyUSB0", ENOENT},
                                           PortCase{"Directory", ".", EISDIR},
                                           PortCase{"RegularFile", "unit", ENOTTY},
                                           PortCase{"NullDevice", "/dev/null", ENOTTY},
                                           PortCase{"Busy", nullptr, EBUSY}),
                         [](const ::testing::TestParamInfo<PortCase>& row) {
                             return std::string(row.param.name);
                         });

} // namespace
