#include "platform/file_dialog.h"
#include "platform/trace.h"
#include "support/platform_fixture.h"
#include "support/work_folder.h"

#include <QWidget>
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

// The one save path of every window: a cancelled question builds and writes nothing; the chosen
// file gets the bytes exactly, replacing what it held; a place that cannot be written is reported
// in a box over the owner.
using SaveToChosenFile = testsupport::PlatformFixture;

TEST_F(SaveToChosenFile, WritesTheBytesExactlyOrReportsWhereItCouldNot) {
    const testsupport::WorkFolder dir;
    const std::string bytes("L>\r\n8c70 : 02\r\n\0\xff", 17);
    QWidget owner;
    int built = 0;
    const auto save = [&] {
        platform::saveToChosenFile(&owner, "Save Trace", "trace-1.txt", "Text files (*.txt)",
                                   "trace", [&] { return ++built, bytes; });
    };
    save();
    ASSERT_EQ(saveQuestions_.size(), 1u);
    const testsupport::RecordedSaveQuestion& question = saveQuestions_[0];
    EXPECT_EQ(question.caption + "|" + question.suggestedName + "|" + question.filter,
              "Save Trace|trace-1.txt|Text files (*.txt)");
    EXPECT_EQ(built, 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    dir.write("trace.txt", "old, longer content to be replaced");
    saveAnswer_ = dir.file("trace.txt");
    save();
    EXPECT_EQ(testsupport::readFile(*saveAnswer_), bytes);

    for (const std::string& place : {dir.file("missing/folder/x.txt"), dir.path().string()}) {
        saveAnswer_ = place;
        save();
        const auto boxes = takeBoxes();
        ASSERT_EQ(boxes.size(), 1u) << place;
        EXPECT_EQ(boxes[0].text, "The trace could not be saved to\n" + place);
        EXPECT_EQ(boxes[0].owner, &owner);
    }
}

} // namespace
