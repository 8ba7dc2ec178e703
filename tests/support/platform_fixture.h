#pragma once

#include "link/console_state.h"
#include "platform/seams.h"
#include "platform/virtual_clock.h"
#include "platform/window_seams.h"

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

// Replaces the seams of the platform layer for the length of a test: a virtual clock, a trace
// recorder, a message-box recorder, a save dialog answered by saveAnswer_, a port list without
// ports and an exit that throws TestExit. Whatever the test replaces besides, the whole set in
// force before it comes back afterwards, with the initial console state. A test fails on every
// box it did not take with takeBoxes().
class PlatformFixture : public ::testing::Test {
protected:
    void SetUp() override {
        resetConsoleState();
        // Starts from the set in force (the real window part), so what a test does not replace
        // behaves as in the program.
        platform::Seams seams = platform::seams();
        seams.clock = &clock_;
        seams.trace = [this](std::string_view text) { trace_.append(text); };
        seams.messageBox = [this](platform::WindowHandle owner, const std::string& text,
                                  const std::string& caption) {
            boxes_.push_back({owner, text, caption});
            if (whileBoxUp_)
                whileBoxUp_(boxes_.back());
        };
        seams.exit = [](int status) { throw TestExit(status); };
        seams.saveFileName = [this](platform::WindowHandle, const std::string& caption,
                                    const std::string& suggestedName, const std::string& filter) {
            saveQuestions_.push_back({caption, suggestedName, filter});
            return saveAnswer_;
        };
        // The machine's own serial ports stay out of the port dialog.
        seams.portLister = [] { return std::vector<platform::SystemPort>{}; };
        saved_ = platform::exchangeSeams(std::move(seams));
    }
    void TearDown() override {
        for (const RecordedBox& box : takeBoxes())
            ADD_FAILURE() << "Unexpected message box \"" << box.caption << "\": " << box.text;
        resetConsoleState();
        platform::exchangeSeams(std::move(saved_));
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

private:
    platform::Seams saved_;
};

} // namespace testsupport
