#pragma once

#include "link/console_state.h"
#include "platform/seams.h"
#include "platform/virtual_clock.h"
#include "platform/window_seams.h"
#include "support/work_folder.h"

#include <cstdlib>
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

// What the test's exit throws. An end of the process the test did not expect escapes, and the
// test fails with this text, which names the status.
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

// Replaces the platform seams for the length of a test: a virtual clock, a trace and message-box
// recorder, save questions answered by saveAnswer_, no system ports, an exit that throws
// TestExit, settings of its own that start empty, and no port devices named in the environment.
// The whole set in force before comes back afterwards, with the initial console state and the
// environment's port devices gone. A test fails on every box it did not take with
// takeBoxes().
class PlatformFixture : public ::testing::Test {
protected:
    void SetUp() override {
        forgetPortDevices();
        resetConsoleState();
        platform::Seams seams = platform::seams(); // what is not replaced behaves as in the program
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
                                    const std::string& name, const std::string& filter) {
            saveQuestions_.push_back({caption, name, filter});
            return saveAnswer_;
        };
        seams.portLister = [] { return std::vector<platform::SystemPort>{}; };
        seams.settingsFile = settingsFolder_.file("settings.ini");
        saved_ = platform::exchangeSeams(std::move(seams));
    }
    void TearDown() override {
        for (const RecordedBox& box : takeBoxes())
            ADD_FAILURE() << "Unexpected message box \"" << box.caption << "\": " << box.text;
        forgetPortDevices();
        resetConsoleState();
        platform::exchangeSeams(std::move(saved_));
    }
    static void forgetPortDevices() {
        for (const char* name : {"QUILLON_COM1", "QUILLON_COM2"})
            ::unsetenv(name);
    }

    // The boxes shown since the last call, in order, or their texts.
    std::vector<RecordedBox> takeBoxes() { return std::exchange(boxes_, {}); }
    std::vector<std::string> takeBoxTexts() {
        std::vector<std::string> texts;
        for (const RecordedBox& box : takeBoxes())
            texts.push_back(box.text);
        return texts;
    }

    platform::VirtualClock clock_;
    std::string trace_;
    std::vector<RecordedBox> boxes_;
    std::function<void(const RecordedBox&)> whileBoxUp_; // called with each box while it is up
    std::optional<std::string> saveAnswer_;              // nothing: the user cancels
    std::vector<RecordedSaveQuestion> saveQuestions_;

private:
    const WorkFolder settingsFolder_;
    platform::Seams saved_;
};

} // namespace testsupport
