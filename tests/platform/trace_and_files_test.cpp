#include "platform/file_dialog.h"
#include "platform/trace.h"
#include "support/work_folder.h"

#include <gtest/gtest.h>

namespace {

// Captures nest, keep zero bytes, and work with no sink; the sink still gets everything.
TEST(TraceCapture, KeepsWhatIsAppendedWhileItLivesWhateverTheSink) {
    std::string sink;
    platform::setTraceSink([&](std::string_view text) { sink.append(text); });
    platform::appendTrace("before ");
    std::string outerText;
    {
        platform::TraceCapture outer;
        platform::appendTrace("8c70\r\n");
        {
            platform::TraceCapture inner;
            platform::appendTrace(static_cast<const char*>(nullptr));
            platform::appendTrace(std::string_view("\0x", 2));
            EXPECT_EQ(inner.text(), std::string("\0x", 2));
        }
        platform::setTraceSink({});
        platform::appendTrace("no sink");
        outerText = outer.text();
    }
    platform::appendTrace("after");
    EXPECT_EQ(outerText, std::string("8c70\r\n\0xno sink", 15));
    EXPECT_EQ(sink, std::string("before 8c70\r\n\0x", 15));
}

TEST(WriteWholeFile, WritesBytesExactlyAndRefusesAnUnwritablePlace) {
    const testsupport::WorkFolder dir;
    const std::string path = dir.file("trace.txt");
    const std::string bytes("L>\r\n8c70 : 02\r\n\0\xff", 17);
    ASSERT_TRUE(platform::writeWholeFile(path, "old, longer content to be replaced"));
    ASSERT_TRUE(platform::writeWholeFile(path, bytes));
    EXPECT_EQ(testsupport::readFile(path), bytes);
    EXPECT_FALSE(platform::writeWholeFile(dir.file("missing/folder/x.txt"), "x"));
    EXPECT_FALSE(platform::writeWholeFile(dir.path().string(), "x"));
}

} // namespace
