// Shows an exception that escapes a command in a message box, so that the
// program goes on with the state the command left.
#pragma once

#include <exception>
#include <utility>

#include <QString>

class DialogService;

// The message shown for an exception: its own text, or a Japanese note for
// storage exhaustion and for exceptions without a text.
QString ExceptionMessage(std::exception_ptr error);

// Shows the exception's message in an error box.
void ShowException(DialogService& dialogs, std::exception_ptr error);

// Runs a command's body; an exception leaving it is shown in an error box.
template <typename Body>
void RunGuarded(DialogService& dialogs, Body&& body) {
  try {
    std::forward<Body>(body)();
  } catch (...) {
    ShowException(dialogs, std::current_exception());
  }
}
