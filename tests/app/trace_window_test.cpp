#include "app/trace_view.h"
#include "app/trace_window.h"
#include "platform/trace.h"
#include "res/control_ids.h"
#include "support/platform_fixture.h"
#include "support/work_folder.h"

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

TEST(TraceDisplayTextTest, OnlyCarriageReturnLineFeedPairsEndLines) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"\r\n8c70 : 10\r\nL>"}, "\n8c70 : 10\nL>"},
        {{"rd 8c70\n"}, "rd 8c70"}, // the echoed bare line feed
        {{"a\rb\n\rc"}, "abc"},
        {{"x\r", "\ny"}, "x\ny"}, // a pair split over two appends
        {{"x\r", "y\n"}, "xy"},
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
        view = trace.control<TraceView>(res::ids::trace::kText);
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

// Hidden and ownerless until shown; however the user left the view (scrolled to the top, a
// selection made), an append, even of nothing, shows the end again. Long lines are not wrapped.
// Save... offers a dated name and writes the trace byte for byte (echoed bare line feeds, the
// side switch's 0x05 and all).
TEST_F(TraceWindowTest, CollectsTheWholeTraceAndEveryAppendShowsTheEnd) {
    EXPECT_FALSE(trace.isVisible());
    EXPECT_EQ(trace.parentWidget(), nullptr);
    EXPECT_FALSE(trace.windowFlags() & Qt::WindowCloseButtonHint);
    platform::appendTrace("rd 8c70\n\x05");
    platform::appendTrace(std::string_view("\r\n8c70 : 00\r\nL>\0cd", 18)); // ends at the zero
    for (int i = 0; i < 200; ++i)
        trace.AppendTrace("\r\nline");
    trace.show();
    EXPECT_TRUE(trace.traceText.starts_with("rd 8c70\n\x05\r\n8c70 : 00\r\nL>\r\nline\r\n"));
    EXPECT_TRUE(showsTheEnd());
    for (const char* text : {static_cast<const char*>(nullptr), "", "\r\nnew line"}) {
        QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
        ASSERT_FALSE(showsTheEnd());
        trace.AppendTrace(text);
        EXPECT_TRUE(showsTheEnd());
    }
    EXPECT_EQ(view->lineCount(), 204);
    EXPECT_EQ(lastLine(), "new line");
    trace.AppendTrace(std::string(2000, 'x').c_str());
    EXPECT_EQ(view->lineCount(), 204);
    const QScrollBar* columns = view->horizontalScrollBar();
    EXPECT_GT(columns->value(), 0);
    EXPECT_EQ(columns->value(), columns->maximum());
    const testsupport::WorkFolder dir;
    saveAnswer_ = dir.file("site.txt");
    QTest::mouseClick(trace.control<QPushButton>(res::ids::trace::kSave), Qt::LeftButton);
    ASSERT_EQ(saveQuestions_.size(), 1u);
    EXPECT_THAT(saveQuestions_[0].suggestedName,
                testing::MatchesRegex("trace-2026-0[23]-[0-9][0-9]-[0-9]{6}\\.txt"));
    EXPECT_EQ(testsupport::readFile(*saveAnswer_), trace.traceText);
    EXPECT_EQ(trace.traceText.size(), 24u + 200 * 6 + 10 + 2000); // every append whole
}

TEST_F(TraceWindowTest, CancelEscapeAndEnterHideItWhileAppendsGoOn) {
    for (const Qt::Key key : {Qt::Key_Cancel, Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        trace.showTrace();
        if (key == Qt::Key_Cancel)
            QTest::mouseClick(trace.control<QPushButton>(res::ids::trace::kCancel), Qt::LeftButton);
        else
            QTest::keyClick(view, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_FALSE(trace.isVisible()) << key;
        trace.AppendTrace("\r\nwhile hidden");
        trace.showTrace();
        EXPECT_EQ(lastLine(), "while hidden");
        trace.hide();
    }
}

TEST_F(TraceWindowTest, TabGoesFromCancelToTheTextToSave) {
    auto* cancel = trace.control<QPushButton>(res::ids::trace::kCancel);
    trace.showTrace();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&trace));
    cancel->setFocus();
    for (QWidget* next : std::initializer_list<QWidget*>{
             view, trace.control<QPushButton>(res::ids::trace::kSave), cancel}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
}

} // namespace
