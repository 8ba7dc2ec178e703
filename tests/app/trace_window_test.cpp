#include "app/trace_window.h"
#include "platform/trace.h"
#include "support/platform_fixture.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <gtest/gtest.h>

namespace {

struct DisplayCase {
    std::vector<std::string> pieces;
    std::string shown;
};

TEST(TraceDisplayTextTest, OnlyCarriageReturnLineFeedPairsEndLines) {
    const DisplayCase cases[] = {
        {{"\r\n8c70 : 10\r\nL>"}, "\n8c70 : 10\nL>"},
        {{"rd 8c70\n"}, "rd 8c70"}, // the echoed bare line feed
        {{"a\rb\n\rc"}, "abc"},     // lone ones
        {{"x\r", "\ny"}, "x\ny"},   // a pair split over two appends
        {{"x\r", "y\n"}, "xy"},     // not a pair
        {{"\r\r\n"}, "\n"},
        {{"\x05", "\ta\x7f"}, "\ta\x7f"}, // the side switch's echo is not shown
        {{"caf\xe9"}, "caf\xe9"},
    };
    for (const DisplayCase& c : cases) {
        bool pending = false;
        std::string shown;
        for (const std::string& piece : c.pieces)
            shown += traceDisplayText(piece, pending);
        EXPECT_EQ(shown, c.shown) << testing::PrintToString(c.pieces);
    }
}

class TraceWindowTest : public testsupport::PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        trace.Create();
        edit = trace.control<QPlainTextEdit>(1009);
        ASSERT_NE(edit, nullptr);
    }

    void appendLines(int count) {
        for (int i = 0; i < count; ++i)
            trace.AppendTrace(("\r\nline " + std::to_string(i)).c_str());
    }
    bool caretAtEndWithNothingSelected() const {
        const QTextCursor caret = edit->textCursor();
        return caret.atEnd() && !caret.hasSelection();
    }
    bool viewAtEnd() const {
        return edit->verticalScrollBar()->value() == edit->verticalScrollBar()->maximum();
    }

    CDebugDlg trace;
    QPlainTextEdit* edit = nullptr;
};

TEST_F(TraceWindowTest, IsCreatedHiddenWithoutParentOrCloseBox) {
    EXPECT_FALSE(trace.isVisible());
    EXPECT_EQ(trace.parentWidget(), nullptr);
    EXPECT_EQ(trace.windowTitle(), "Debug");
    EXPECT_FALSE(trace.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(trace.windowFlags() & Qt::WindowSystemMenuHint);
}

TEST_F(TraceWindowTest, CollectsTheProcessTraceWhileHiddenAllOfItInOrder) {
    platform::appendTrace("rd 8c70\n");
    platform::appendTrace("\r\n8c70 : 00\r\nL>");
    appendLines(300);
    trace.show();
    const std::string expected = "rd 8c70\n\r\n8c70 : 00\r\nL>";
    EXPECT_EQ(trace.traceText.substr(0, expected.size()), expected);
    EXPECT_EQ(trace.traceText.size(), expected.size() + 300 * 7 + 10 * 1 + 90 * 2 + 200 * 3);
    EXPECT_EQ(edit->document()->blockCount(), 303);
    EXPECT_EQ(edit->document()->findBlockByNumber(1).text(), "8c70 : 00");
    EXPECT_EQ(edit->document()->lastBlock().text(), "line 299");
    EXPECT_TRUE(caretAtEndWithNothingSelected());
    EXPECT_TRUE(viewAtEnd());
}

TEST_F(TraceWindowTest, NullOrEmptyAppendKeepsTheTextAndMovesCaretAndViewToTheEnd) {
    trace.show();
    appendLines(200);
    const QString before = edit->toPlainText();
    for (const char* text : {static_cast<const char*>(nullptr), ""}) {
        QTextCursor start = edit->textCursor();
        start.setPosition(0);
        start.setPosition(5, QTextCursor::KeepAnchor);
        edit->setTextCursor(start);
        edit->verticalScrollBar()->setValue(0);
        trace.AppendTrace(text);
        EXPECT_EQ(edit->toPlainText(), before);
        EXPECT_TRUE(caretAtEndWithNothingSelected());
        EXPECT_TRUE(viewAtEnd());
    }
}

TEST_F(TraceWindowTest, AnAppendShowsTheLastLineAfterTheUserScrolledToTheTop) {
    trace.show();
    appendLines(200);
    edit->verticalScrollBar()->setValue(0);
    ASSERT_FALSE(viewAtEnd());
    trace.AppendTrace("\r\nnew line");
    EXPECT_TRUE(viewAtEnd());
    EXPECT_EQ(edit->document()->lastBlock().text(), "new line");
}

TEST_F(TraceWindowTest, LongLinesAreNotWrapped) {
    trace.show();
    trace.AppendTrace(std::string(2000, 'x').c_str());
    EXPECT_EQ(edit->document()->blockCount(), 1);
    EXPECT_EQ(edit->document()->firstBlock().layout()->lineCount(), 1);
}

TEST_F(TraceWindowTest, TextAfterAZeroByteIsNotPartOfTheTrace) {
    platform::appendTrace(std::string_view("ab\0cd", 5));
    EXPECT_EQ(trace.traceText, "ab");
}

TEST_F(TraceWindowTest, CancelEscapeAndEnterHideItWhileAppendsGoOn) {
    const std::function<void()> hides[] = {
        [&] { QTest::mouseClick(trace.control<QPushButton>(2), Qt::LeftButton); },
        [&] { QTest::keyClick(edit, Qt::Key_Escape); },
        [&] { QTest::keyClick(edit, Qt::Key_Return); },
        [&] { QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier); },
    };
    for (const auto& hide : hides) {
        trace.showTrace();
        ASSERT_TRUE(trace.isVisible());
        hide();
        EXPECT_FALSE(trace.isVisible());
        trace.AppendTrace("\r\nwhile hidden");
        trace.showTrace();
        EXPECT_EQ(edit->document()->lastBlock().text(), "while hidden");
        EXPECT_TRUE(caretAtEndWithNothingSelected());
        trace.hide();
    }
    EXPECT_EQ(edit->document()->blockCount(), 5);
}

TEST_F(TraceWindowTest, TextAppendedBeforeTheWindowExistsIsShownWhenItIsCreated) {
    CDebugDlg early;
    early.AppendTrace("\r\nbefore");
    early.Create();
    EXPECT_EQ(early.traceText, "\r\nbefore");
    EXPECT_EQ(early.control<QPlainTextEdit>(1009)->toPlainText(), "\nbefore");
}

} // namespace
