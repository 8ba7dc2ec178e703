#pragma once

// Exit status when the unit answered the first register read without a value and no main
// window ran (non-zero, so scripts can tell it from a normal end).
inline constexpr int kExitNoAnswer = 2;

// The whole run of the configurator inside an existing QApplication: makes the process-wide
// objects, runs start-up and returns the process's exit status (0 after the main window closed,
// kExitNoAnswer after "No answer from device"). A fatal communication error ends the process
// inside it with status 1.
int runConfigurator();
