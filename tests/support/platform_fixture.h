#pragma once

#include "link/console_state.h"
#include "platform/seams.h"
#include "platform/virtual_clock.h"
#include "platform/window_seams.h"

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

// Replaces the seams of the platform layer for the length of a test: a virtual clock, a trace
// recorder, a message-box recorder, a save dialog answered by saveAnswer_, a port list without
// ports and an exit that throws platform::ProcessExit. Whatever the test replaces besides, the
// whole set in force before it comes back afterwards, with the initial console state.
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
        };
        seams.exit = [](int status) { throw platform::ProcessExit{status}; };
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
        resetConsoleState();
        platform::exchangeSeams(std::move(saved_));
    }

    // The boxes shown since the last call, in order; a test takes every box it expects this way.
    std::vector<RecordedBox> takeBoxes() { return std::exchange(boxes_, {}); }

    platform::VirtualClock clock_;
    std::string trace_;
    std::vector<RecordedBox> boxes_;
    // Every save dialog is answered with saveAnswer_ (nothing: the user cancelled).
    std::optional<std::string> saveAnswer_;
    std::vector<RecordedSaveQuestion> saveQuestions_;

private:
    platform::Seams saved_;
};

} // namespace testsupport
