// Start-up and shut-down of the program around the event loop.
#pragma once

#include <functional>

class DialogService;

// Creates the windows, shows the main window and runs the event loop until
// it closes. An exception that escapes any of it is shown by `failureDisplay`
// and the program still ends normally. Returns the exit code, always 0.
int RunKelvara(const std::function<void()>& createWindows, DialogService& failureDisplay);

// The three windows, in their order: MainForm, AboutBox, FormProgress.
void CreateWindows();
void DestroyWindows();
