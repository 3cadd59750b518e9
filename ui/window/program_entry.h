// Start-up and shut-down of the program around the event loop.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class DialogService;
class TAboutBox;
class TFormProgress;
class TMainForm;

// The program's three windows, created at start-up in this order and kept
// until it ends.
extern TMainForm* MainForm;
extern TAboutBox* AboutBox;
extern TFormProgress* FormProgress;

// Creates the windows, shows the main window and runs the event loop until
// it closes. A survey data file named in `arguments` (the program's command
// line, its own name first) is opened as soon as the window is up: Windows
// passes a file so for "Open with" and for a file dropped on the program's
// icon. An exception that escapes any of it is shown by `failureDisplay` and
// the program still ends normally. Returns the exit code, always 0.
int RunKelvara(const std::function<void()>& createWindows, DialogService& failureDisplay,
               const QStringList& arguments = {});

// The three windows, in their order: MainForm, AboutBox, FormProgress. The
// main window keeps its settings in `settingsFile` (an INI file), or where
// the system keeps a user's program settings when it is empty.
void CreateWindows(const QString& settingsFile = QString());
void DestroyWindows();
