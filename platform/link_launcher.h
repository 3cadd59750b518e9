// Starting the web browser as a separate process.
#pragma once

#include <string>

// Starts a program with one argument (the address to open) and does not wait
// for it. The about box holds one; tests put in their own.
class LinkLauncher {
 public:
  virtual ~LinkLauncher() = default;

  // Whether the process was started. The program's argument list is
  // [program, address]; no shell takes part.
  virtual bool Start(const std::string& program, const std::string& address) = 0;

  // For when no browser program is known: whether the desktop itself took the
  // address to open it. None does by default.
  virtual bool OpenWithDesktop(const std::string& /*address*/) { return false; }
};

// The real start: a detached process that outlives the window and leaves no
// zombie behind. Only a full path is started, unchanged: a bare name would be
// looked up along PATH or in the current directory, neither of which is the
// browser that the desktop registered. On Windows the command line is quoted
// by the C runtime's rules, so that an address with blanks, quotes or
// backslashes arrives as one argument, and the desktop's own opening is the
// shell's (ShellExecuteW).
class DetachedLinkLauncher final : public LinkLauncher {
 public:
  bool Start(const std::string& program, const std::string& address) override;
  bool OpenWithDesktop(const std::string& address) override;
};
