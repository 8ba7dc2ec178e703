#pragma once

#include "link/console_state.h"
#include "platform/clock.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/port_list.h"
#include "platform/port_open.h"
#include "platform/process_exit.h"
#include "platform/trace.h"
#include "platform/virtual_clock.h"
#include "platform/window.h"
#include "platform/window_timers.h"

#include <exception>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

struct RecordedBox {
    platform::WindowHandle owner;
    std::string text;
    std::string caption;
};

struct RecordedSaveQuestion {
    std::string caption;
    std::string suggestedName;
    std::string filter;
};

// What the test's exit throws. A test that does not expect the end of the process lets it escape,
// and the test fails with this text, which names the status.
class TestExit final : public platform::ProcessExit, public std::exception {
public:
    explicit TestExit(int exitStatus)
        : platform::ProcessExit{exitStatus},
          text_("the process ended with status " + std::to_string(exitStatus) +
                ", which the test did not expect") {}
    const char* what() const noexcept override { return text_.c_str(); }

private:
    std::string text_;
};

// The status the action ended the process with, or nothing when it returned.
inline std::optional<int> exitStatusOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const platform::ProcessExit& exit) {
        return exit.status;
    }
    return std::nullopt;
}

// Replaces every seam of the platform layer for the length of a test: a virtual clock, a trace
// recorder, a message-box recorder, a save dialog answered by saveAnswer_, a port list without
// ports and an exit that throws TestExit. Restores the real ones and the initial console state
// afterwards. A test fails on every box it did not take with takeBoxes().
class PlatformFixture : public ::testing::Test {
protected:
    void SetUp() override {
        resetConsoleState();
        platform::setClock(&clock_);
        platform::setTraceSink([this](std::string_view text) { trace_.append(text); });
        platform::setMessageBoxHandler([this](platform::WindowHandle owner, const std::string& text,
                                              const std::string& caption) {
            boxes_.push_back({owner, text, caption});
            if (whileBoxUp_)
                whileBoxUp_(boxes_.back());
        });
        platform::setExitHandler([](int status) { throw TestExit(status); });
        platform::setSaveFileNameHandler([this](platform::WindowHandle, const std::string& caption,
                                                const std::string& suggestedName,
                                                const std::string& filter) {
            saveQuestions_.push_back({caption, suggestedName, filter});
            return saveAnswer_;
        });
        // The machine's own serial ports stay out of the port dialog.
        platform::setPortLister([] { return std::vector<platform::SystemPort>{}; });
    }
    void TearDown() override {
        for (const RecordedBox& box : takeBoxes())
            ADD_FAILURE() << "Unexpected message box \"" << box.caption << "\": " << box.text;
        resetConsoleState();
        platform::setClock(nullptr);
        platform::setTraceSink({});
        platform::setMessageBoxHandler({});
        platform::setExitHandler({});
        platform::setSaveFileNameHandler({});
        platform::setPortOpener({});
        platform::setPortLister({});
        platform::setPortDevices({});
        platform::setWindowTimerBackend({});
        platform::setMainWindow(nullptr);
    }

    // The boxes shown since the last call, in order; a test takes every box it expects this way.
    std::vector<RecordedBox> takeBoxes() { return std::exchange(boxes_, {}); }
    // Their texts only.
    std::vector<std::string> takeBoxTexts() {
        std::vector<std::string> texts;
        for (const RecordedBox& box : takeBoxes())
            texts.push_back(box.text);
        return texts;
    }

    platform::VirtualClock clock_;
    std::string trace_;
    std::vector<RecordedBox> boxes_;
    // Called with each box as it is shown, while it is up.
    std::function<void(const RecordedBox&)> whileBoxUp_;
    // Every save dialog is answered with saveAnswer_ (nothing: the user cancelled).
    std::optional<std::string> saveAnswer_;
    std::vector<RecordedSaveQuestion> saveQuestions_;
};

} // namespace testsupport
