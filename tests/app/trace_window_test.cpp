#include "app/trace_view.h"
#include "app/trace_window.h"
#include "platform/trace.h"
#include "support/platform_fixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
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
        view = trace.control<TraceView>(1009);
        ASSERT_NE(view, nullptr);
    }

    void appendLines(int count) {
        for (int i = 0; i < count; ++i)
            trace.AppendTrace(("\r\nline " + std::to_string(i)).c_str());
    }
    bool caretAtEndWithNothingSelected() const {
        return view->caretAtEnd() && !view->hasSelection();
    }
    bool viewAtEnd() const {
        return view->verticalScrollBar()->value() == view->verticalScrollBar()->maximum();
    }
    QString lastLine() const { return view->line(view->lineCount() - 1); }

    CDebugDlg trace;
    TraceView* view = nullptr;
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
    EXPECT_EQ(view->lineCount(), 303);
    EXPECT_EQ(view->line(0), "rd 8c70");
    EXPECT_EQ(view->line(1), "8c70 : 00");
    EXPECT_EQ(view->line(2), "L>");
    EXPECT_EQ(lastLine(), "line 299");
    EXPECT_TRUE(caretAtEndWithNothingSelected());
    EXPECT_TRUE(viewAtEnd());
}

TEST_F(TraceWindowTest, NullOrEmptyAppendKeepsTheTextAndMovesCaretAndViewToTheEnd) {
    trace.show();
    appendLines(200);
    const QString before = view->text();
    for (const char* text : {static_cast<const char*>(nullptr), ""}) {
        QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
        ASSERT_TRUE(view->hasSelection());
        view->verticalScrollBar()->setValue(0);
        trace.AppendTrace(text);
        EXPECT_EQ(view->text(), before);
        EXPECT_TRUE(caretAtEndWithNothingSelected());
        EXPECT_TRUE(viewAtEnd());
    }
}

TEST_F(TraceWindowTest, AnAppendShowsTheLastLineAfterTheUserScrolledToTheTop) {
    trace.show();
    appendLines(200);
    view->verticalScrollBar()->setValue(0);
    ASSERT_FALSE(viewAtEnd());
    trace.AppendTrace("\r\nnew line");
    EXPECT_TRUE(viewAtEnd());
    EXPECT_EQ(lastLine(), "new line");
}

TEST_F(TraceWindowTest, LongLinesAreNotWrapped) {
    trace.show();
    trace.AppendTrace(std::string(2000, 'x').c_str());
    EXPECT_EQ(view->lineCount(), 1);
    // The view follows the caret to the end of the line.
    EXPECT_GT(view->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(view->horizontalScrollBar()->value(), view->horizontalScrollBar()->maximum());
}

TEST_F(TraceWindowTest, TextAfterAZeroByteIsNotPartOfTheTrace) {
    platform::appendTrace(std::string_view("ab\0cd", 5));
    EXPECT_EQ(trace.traceText, "ab");
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
        ASSERT_TRUE(trace.isVisible());
        hide();
        EXPECT_FALSE(trace.isVisible());
        trace.AppendTrace("\r\nwhile hidden");
        trace.showTrace();
        EXPECT_EQ(lastLine(), "while hidden");
        EXPECT_TRUE(caretAtEndWithNothingSelected());
        trace.hide();
    }
    EXPECT_EQ(view->lineCount(), 5);
}

TEST_F(TraceWindowTest, TextAppendedBeforeTheWindowExistsIsShownWhenItIsCreated) {
    CDebugDlg early;
    early.AppendTrace("\r\nbefore");
    early.Create();
    EXPECT_EQ(early.traceText, "\r\nbefore");
    EXPECT_EQ(early.control<TraceView>(1009)->text(), "\nbefore");
}

struct SelectionCase {
    const char* name;
    std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys;
    const char* selected;
};

TEST_F(TraceWindowTest, TheUserSelectsWithTheKeyboardAndCopies) {
    trace.AppendTrace("first line\r\nsecond\r\nthird");
    const SelectionCase cases[] = {
        {"line",
         {{Qt::Key_Home, Qt::ControlModifier}, {Qt::Key_End, Qt::ShiftModifier}},
         "first line"},
        {"across lines",
         {{Qt::Key_Home, Qt::ControlModifier},
          {Qt::Key_Right, Qt::NoModifier},
          {Qt::Key_Down, Qt::ShiftModifier},
          {Qt::Key_Down, Qt::ShiftModifier}},
         "irst line\nsecond\nt"},
        {"back from the end",
         {{Qt::Key_End, Qt::ControlModifier},
          {Qt::Key_Left, Qt::ShiftModifier},
          {Qt::Key_Left, Qt::ShiftModifier}},
         "rd"},
        {"all", {{Qt::Key_A, Qt::ControlModifier}}, "first line\nsecond\nthird"},
    };
    for (const SelectionCase& c : cases) {
        for (const auto& [key, modifiers] : c.keys)
            QTest::keyClick(view, key, modifiers);
        EXPECT_EQ(view->selectedText(), c.selected) << c.name;
        QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), c.selected) << c.name;
    }
}

TEST_F(TraceWindowTest, TheUserSelectsWithTheMouse) {
    trace.show();
    trace.AppendTrace("first line\r\nsecond");
    const int lineHeight = view->fontMetrics().height();
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(1, lineHeight / 2));
    QMouseEvent drag(QEvent::MouseMove, QPointF(200, lineHeight * 1.5), QPointF(), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view->viewport(), &drag);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton);
    EXPECT_EQ(view->selectedText(), "first line\nsecond");
}

} // namespace
