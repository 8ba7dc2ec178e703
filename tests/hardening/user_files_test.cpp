// What a user may hand the program besides the unit: a speedconf.txt that is huge, binary or
// over its limits, and a COM1 that names something other than a free serial line.

#include "app/process_objects.h"
#include "link/console_state.h"
#include "platform/modal_runner.h"
#include "platform/port_open.h"
#include "platform/process_exit.h"
#include "platform/serial_port_posix.h"
#include "speed/configuration_page.h"
#include "speed/speed_profile_file.h"
#include "support/platform_fixture.h"

#include <QComboBox>
#include <QDialog>
#include <cerrno>
#include <cstdio>
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

// A fresh folder under /tmp, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/quillon-files-XXXXXX";
        path_ = ::mkdtemp(pattern) != nullptr ? pattern : "";
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string repeat(const std::string& text, std::size_t times) {
    std::string all;
    all.reserve(text.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        all += text;
    return all;
}

std::string randomBytes(std::size_t count) {
    std::mt19937 generator(8);
    std::string bytes(count, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

// --- speedconf.txt ------------------------------------------------------------------------

struct FileCase {
    const char* name;
    std::function<void(std::ofstream&)> write; // null: speedconf.txt is a folder
    int result;
    const char* message; // null when the file reads without one
    std::size_t upstream;
    std::size_t downstream;
    qsizetype labelLength = 4; // of the first upstream profile, when there is one
};

void PrintTo(const FileCase& c, std::ostream* out) {
    *out << c.name;
}

// The Configuration page reads the file from the working folder, as the program does.
class SpeedFileFromTheUser : public testsupport::PlatformFixture,
                             public ::testing::WithParamInterface<FileCase> {
protected:
    void TearDown() override {
        std::filesystem::current_path(startFolder_);
        PlatformFixture::TearDown();
    }
    std::filesystem::path startFolder_ = std::filesystem::current_path();
};

TEST_P(SpeedFileFromTheUser, IsReadWithinItsLimitsAndTheMessageSaysWhy) {
    const FileCase& c = GetParam();
    const TempFolder folder;
    const std::string path = folder.path() + "/speedconf.txt";
    if (c.write) {
        std::ofstream file(path, std::ios::binary);
        c.write(file);
    } else {
        fs::create_directory(path);
    }
    fs::current_path(folder.path());
    CSet page;

    EXPECT_EQ(page.LoadSpeedFile(), c.result);

    std::vector<std::string> expectedBoxes;
    if (c.message != nullptr)
        expectedBoxes.push_back(c.message);
    std::vector<std::string> shown;
    for (const testsupport::RecordedBox& box : boxes_)
        shown.push_back(box.text);
    EXPECT_EQ(shown, expectedBoxes);
    EXPECT_EQ(page.upMaxList->count(), static_cast<int>(c.upstream));
    EXPECT_EQ(page.downMaxList->count(), static_cast<int>(c.downstream));
    if (c.upstream == 1) { // a label is kept whole, however long
        EXPECT_EQ(page.upMaxList->itemText(0).size(), c.labelLength);
    }
}

const std::string kProfile = "1.42;68;00;b7;\n";
const std::string kField90(90, 'a');
const std::string kField91(91, 'a');

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, SpeedFileFromTheUser, ::testing::Values(
    // 16 MB of comments read to the end, where one profile waits.
    FileCase{"HugeButValid", [](std::ofstream& f) {
        f << repeat("# " + std::string(254, '-') + "\n", 1 << 16) << kProfile;
    }, 1, nullptr, 1, 0},
    // A runaway file stops at 1024 profiles a direction.
    FileCase{"HugeRunaway", [](std::ofstream& f) {
        f << repeat(kProfile, 100000);
    }, 0, kSyntaxErrorMessage, kMaxProfilesPerDirection, 0},
    FileCase{"Binary", [](std::ofstream& f) { f << randomBytes(1 << 20); },
             0, kSyntaxErrorMessage, 0, 0},
    FileCase{"NulInAComment", [](std::ofstream& f) {
        f << std::string("# a\0b\n", 6) << kProfile;
    }, 1, nullptr, 1, 0},
    FileCase{"NulInARateCode", [](std::ofstream& f) {
        f << kProfile << std::string("2.84;4\08;00;b7;\n", 16) << kProfile;
    }, 0, kSyntaxErrorMessage, 1, 0},
    FileCase{"NulInALabel", [](std::ofstream& f) {
        f << std::string("2.\084;48;00;b7;\n", 16);
    }, 0, kSyntaxErrorMessage, 0, 0},
    // Each piece of 259 characters is judged as a line: a long comment goes on as profile text.
    FileCase{"CommentOf10000Characters", [](std::ofstream& f) {
        f << "# " << std::string(9998, 'x') << "\n" << kProfile;
    }, 0, kSyntaxErrorMessage, 0, 0},
    FileCase{"LineOf10000Hashes", [](std::ofstream& f) {
        f << std::string(10000, '#') << "\n" << kProfile;
    }, 1, nullptr, 1, 0},
    FileCase{"ProfileOf10000Characters", [](std::ofstream& f) {
        f << "1.42;68;00;" << std::string(9989, 'b') << "\n";
    }, 0, kSyntaxErrorMessage, 0, 0},
    FileCase{"FieldsAtTheirLimit", [](std::ofstream& f) {
        f << "$DOWNSTREAM\n" << "3.79;" << kField90 << ";" << kField90 << ";4b;\n";
    }, 1, nullptr, 0, 1},
    FileCase{"TuningFieldOverItsLimit", [](std::ofstream& f) {
        f << "$DOWNSTREAM\n" << kProfile << "3.79;54;00;" << kField91 << ";\n";
    }, 0, kSyntaxErrorMessage, 0, 1},
    // A pair's labels may exceed what the search's texts were sized for: they are kept whole.
    FileCase{"LabelOf200Characters", [](std::ofstream& f) {
        f << std::string(200, 'L') << ";68;00;b7;\n";
    }, 1, nullptr, 1, 0, 200},
    FileCase{"Directory", nullptr, 0, kFileNotFoundMessage, 0, 0}),
    [](const ::testing::TestParamInfo<FileCase>& row) { return std::string(row.param.name); });
// clang-format on

// --- The port that QUILLON_COM1 names ------------------------------------------------------

enum class PortKind { Missing, Directory, RegularFile, NullDevice, Busy };

struct PortCase {
    const char* name;
    PortKind kind;
    int errorCode; // what OpenPort prints
};

void PrintTo(const PortCase& c, std::ostream* out) {
    *out << c.name;
}

class PortFromTheUser : public testsupport::PlatformFixture,
                        public ::testing::WithParamInterface<PortCase> {
protected:
    void TearDown() override {
        objects_.reset();
        busyPort_.reset();
        if (master_ >= 0)
            ::close(master_);
        if (slave_ >= 0)
            ::close(slave_);
        platform::setModalRunner({});
        ::unsetenv("QUILLON_COM1");
        PlatformFixture::TearDown();
    }

    // The device path for the case, made in folder.
    std::string device(PortKind kind, const std::string& folder) {
        switch (kind) {
        case PortKind::Missing:
            return folder + "/ttyUSB0";
        case PortKind::Directory:
            return folder;
        case PortKind::RegularFile:
            std::ofstream(folder + "/unit") << "rd 8c70\n";
            return folder + "/unit";
        case PortKind::NullDevice:
            return "/dev/null";
        case PortKind::Busy: {
            char name[128] = {};
            if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
                return {};
            busyPort_ = platform::openPosixSerialPort(name).port; // another program holds it
            return name;
        }
        }
        return {};
    }

    std::optional<ProcessObjects> objects_;
    std::unique_ptr<platform::SerialPort> busyPort_;
    int master_ = -1;
    int slave_ = -1;
};

// The port is not open, so the quiet side selection fails, then the read of 8c70 does: the
// fatal box and status 1. The system's reason is printed first.
TEST_P(PortFromTheUser, PrintsTheSystemErrorThenEndsThroughTheFatalBox) {
    const PortCase& c = GetParam();
    const TempFolder folder;
    const std::string path = device(c.kind, folder.path());
    ASSERT_FALSE(path.empty());
    ::setenv("QUILLON_COM1", path.c_str(), 1);
    platform::setModalRunner([](QDialog&) { return int{QDialog::Rejected}; });
    objects_.emplace();

    ::testing::internal::CaptureStdout();
    std::optional<int> status;
    try {
        objects_->app.startUp();
    } catch (const platform::ProcessExit& exit) {
        status = exit.status;
    }
    const std::string printed = ::testing::internal::GetCapturedStdout();

    EXPECT_EQ(printed, "ERRORE n.: " + std::to_string(c.errorCode) + "\n");
    EXPECT_EQ(status, 1);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, "Fatal Error");
    EXPECT_EQ(g_portHandle, nullptr);
    EXPECT_EQ(clock_.nowMs(), 0) << "nothing waits on a port that is not open";
    EXPECT_NE(objects_->traceWindow.traceText.find("\r\nSendCommand failed\r\n"),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Ports, PortFromTheUser,
                         ::testing::Values(PortCase{"Missing", PortKind::Missing, ENOENT},
                                           PortCase{"Directory", PortKind::Directory, EISDIR},
                                           PortCase{"RegularFile", PortKind::RegularFile, ENOTTY},
                                           PortCase{"NullDevice", PortKind::NullDevice, ENOTTY},
                                           PortCase{"Busy", PortKind::Busy, EBUSY}),
                         [](const ::testing::TestParamInfo<PortCase>& row) {
                             return std::string(row.param.name);
                         });

} // namespace
