#include "platform/link_launcher.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

bool DetachedLinkLauncher::Start(const std::string& program, const std::string& address) {
  if (!std::filesystem::path(program).is_absolute()) return false;
  std::vector<char*> argv = {const_cast<char*>(program.c_str()),
                             const_cast<char*>(address.c_str()), nullptr};
  // The start is reported through a pipe that closes on a successful exec.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return false;
  // Forked twice and the intermediate process reaped at once, so the browser
  // is no child of ours and nothing waits for it. Only async-signal-safe
  // calls between fork and exec.
  const pid_t intermediate = fork();
  if (intermediate == 0) {
    setsid();
    const pid_t browser = fork();
    if (browser == 0) {
      execv(argv[0], argv.data());
      const int error = errno;
      [[maybe_unused]] const ssize_t ignored = write(report[1], &error, sizeof error);
      _exit(127);
    }
    _exit(browser < 0 ? 1 : 0);
  }
  close(report[1]);
  bool started = false;
  if (intermediate > 0) {
    int status = 0;
    while (waitpid(intermediate, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    started = WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
  }
  close(report[0]);
  return started;
}

bool DetachedLinkLauncher::OpenWithDesktop(const std::string&) { return false; }
