#include "app/trace_view.h"
#include "app/trace_window.h"
#include "platform/trace.h"
#include "support/platform_fixture.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

TEST(TraceDisplayTextTest, OnlyCarriageReturnLineFeedPairsEndLines) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"\r\n8c70 : 10\r\nL>"}, "\n8c70 : 10\nL>"},
        {{"rd 8c70\n"}, "rd 8c70"}, // the echoed bare line feed
        {{"a\rb\n\rc"}, "abc"},     // lone ones
        {{"x\r", "\ny"}, "x\ny"},   // a pair split over two appends
        {{"x\r", "y\n"}, "xy"},     // not a pair
        {{"\r\r\n"}, "\n"},
        {{"\x05", "\ta\x7f"}, "\ta\x7f"}, // the side switch's echo is not shown
        {{"caf\xe9"}, "caf\xe9"},
    };
    for (const auto& [pieces, expected] : cases) {
        bool pending = false;
        std::string shown;
        for (const std::string& piece : pieces)
            shown += traceDisplayText(piece, pending);
        EXPECT_EQ(shown, expected) << testing::PrintToString(pieces);
    }
}

class TraceWindowTest : public testsupport::PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        trace.Create();
        view = trace.control<TraceView>(1009);
        ASSERT_NE(view, nullptr);
    }
    // Caret at the end, nothing selected, and the last line in view.
    bool showsTheEnd() const {
        const QScrollBar* lines = view->verticalScrollBar();
        return view->caretAtEnd() && !view->hasSelection() && lines->value() == lines->maximum();
    }
    QString lastLine() const { return view->line(view->lineCount() - 1); }

    CDebugDlg trace;
    TraceView* view = nullptr;
};

TEST_F(TraceWindowTest, IsCreatedHiddenAndOwnerlessAndCollectsTheWholeTraceInOrder) {
    EXPECT_FALSE(trace.isVisible());
    EXPECT_EQ(trace.parentWidget(), nullptr);
    EXPECT_EQ(trace.windowTitle(), "Debug");
    EXPECT_FALSE(trace.windowFlags() & Qt::WindowCloseButtonHint);
    platform::appendTrace("rd 8c70\n");
    platform::appendTrace(std::string_view("\r\n8c70 : 00\r\nL>\0cd", 18)); // ends at the zero
    for (int i = 0; i < 300; ++i)
        trace.AppendTrace(("\r\nline " + std::to_string(i)).c_str());
    trace.show();
    const std::string start = "rd 8c70\n\r\n8c70 : 00\r\nL>\r\nline 0\r\nline 1";
    EXPECT_EQ(trace.traceText.substr(0, start.size()), start);
    EXPECT_EQ(view->lineCount(), 303);
    EXPECT_EQ(lastLine(), "line 299");
    EXPECT_TRUE(showsTheEnd());
}

// However the user left the view (scrolled to the top, a selection made), an append, even of
// nothing, shows the end again; long lines are not wrapped and the view follows the caret.
TEST_F(TraceWindowTest, AnAppendShowsTheEndOfTheTrace) {
    trace.show();
    for (int i = 0; i < 200; ++i)
        trace.AppendTrace("\r\nline");
    for (const char* text : {static_cast<const char*>(nullptr), "", "\r\nnew line"}) {
        QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
        ASSERT_FALSE(showsTheEnd());
        trace.AppendTrace(text);
        EXPECT_TRUE(showsTheEnd());
    }
    EXPECT_EQ(view->lineCount(), 202);
    EXPECT_EQ(lastLine(), "new line");
    // The view stays usable while the program runs: the user selects and copies.
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_Up, Qt::NoModifier}, std::pair{Qt::Key_Left, Qt::NoModifier},
          std::pair{Qt::Key_Right, Qt::ShiftModifier}, std::pair{Qt::Key_Right, Qt::ShiftModifier},
          std::pair{Qt::Key_Right, Qt::ShiftModifier}, std::pair{Qt::Key_C, Qt::ControlModifier}})
        QTest::keyClick(view, key, modifiers);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "e\nn");
    trace.AppendTrace(std::string(2000, 'x').c_str());
    EXPECT_EQ(view->lineCount(), 202);
    const QScrollBar* columns = view->horizontalScrollBar();
    EXPECT_GT(columns->value(), 0);
    EXPECT_EQ(columns->value(), columns->maximum());
}

TEST_F(TraceWindowTest, CancelEscapeAndEnterHideItWhileAppendsGoOn) {
    const std::function<void()> hides[] = {
        [&] { QTest::mouseClick(trace.control<QPushButton>(2), Qt::LeftButton); },
        [&] { QTest::keyClick(view, Qt::Key_Escape); },
        [&] { QTest::keyClick(view, Qt::Key_Return); },
        [&] { QTest::keyClick(view, Qt::Key_Enter, Qt::KeypadModifier); },
    };
    for (const auto& hide : hides) {
        trace.showTrace();
        hide();
        EXPECT_FALSE(trace.isVisible());
        trace.AppendTrace("\r\nwhile hidden");
        trace.showTrace();
        EXPECT_EQ(lastLine(), "while hidden");
        trace.hide();
    }
}

// Save... writes the trace byte for byte (echoed bare line feeds, the side switch's 0x05 and
// all); a cancelled question writes nothing, and a file that cannot be written is reported.
TEST_F(TraceWindowTest, SaveWritesTheWholeTraceExactlyAsReceived) {
    QTemporaryDir dir;
    const std::string pieces[] = {"rd 8c70\n", "\r\n8c70 : 02\r\nL>", "\x05", "\r\nR>",
                                  "\r\nLink UP\r\n"};
    std::string expected;
    for (const std::string& piece : pieces) {
        platform::appendTrace(piece);
        expected += piece;
    }
    auto* save = trace.control<QPushButton>(1010);
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->text(), "Save...");

    QTest::mouseClick(save, Qt::LeftButton); // cancelled
    ASSERT_EQ(saveQuestions_.size(), 1u);
    EXPECT_THAT(saveQuestions_[0].suggestedName,
                testing::MatchesRegex("trace-2026-0[23]-[0-9][0-9]-[0-9]{6}\\.txt"));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());

    saveAnswer_ = dir.filePath("site.txt").toStdString();
    QTest::mouseClick(save, Qt::LeftButton);
    QFile file(dir.filePath("site.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), expected);
    EXPECT_TRUE(boxes_.empty());

    saveAnswer_ = dir.filePath("no/such/folder.txt").toStdString();
    QTest::mouseClick(save, Qt::LeftButton);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "The trace could not be saved to\n" + *saveAnswer_);
    EXPECT_EQ(boxes_[0].owner, &trace);
}

} // namespace
