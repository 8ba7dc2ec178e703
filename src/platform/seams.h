#pragma once

#include "platform/message_box.h"
#include "platform/port_list.h"
#include "platform/port_open.h"
#include "platform/process_exit.h"
#include "platform/trace.h"
#include "platform/window.h"
#include "platform/window_timers.h"

#include <functional>
#include <map>
#include <optional>
#include <string>

class QDialog;

namespace platform {

class Clock;
class Journal;

// Runs a dialog modally and returns its result (see runModal).
using ModalRunner = std::function<int(QDialog& dialog)>;

// Answers a save question instead of a dialog (see askSaveFileName).
using SaveFileNameHandler = std::function<std::optional<std::string>(
    WindowHandle owner, const std::string& caption, const std::string& suggestedName,
    const std::string& filter)>;

// Every replaceable function of the platform layer, in one set. An empty entry is the machine's
// own behaviour; the message box and the window timers need the window part of the layer, which
// fills those two entries at start-up (installWindowSeams). Tests replace the whole set and put
// the previous one back afterwards, so no replacement outlives the test that made it.
struct Seams {
    Clock* clock = nullptr;       // null: the machine's steady and wall clocks
    TraceSink trace;              // empty: the trace is dropped
    MessageBoxHandler messageBox; // empty: the text goes to standard error
    ExitHandler exit;             // empty: the runtime's exit
    PortOpener portOpener;        // empty: the machine's serial transport
    PortLister portLister;        // empty: the ports the system reports
    // Devices that further port numbers stand for (the port dialog's extra ports).
    std::map<int, std::string> portDevices;
    WindowTimerBackend windowTimers;  // empty: no timer starts
    ModalRunner modalRunner;          // empty: the dialog runs modally for real
    SaveFileNameHandler saveFileName; // empty: the system's save dialog
    std::string settingsFile;         // empty: the user's own settings (see rememberedText)
    // Owner of the fatal-error box: the window start-up designated, null before that and after it
    // was destroyed (setMainWindow keeps it so).
    WindowHandle mainWindow = nullptr;
    // The journal of this run (not owned): start-up sets it; null when it is off.
    Journal* journal = nullptr;
};

// The set in force.
Seams& seams();

// Puts next in force and returns the set it replaced.
Seams exchangeSeams(Seams next);

} // namespace platform
