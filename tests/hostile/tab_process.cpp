#include "tests/hostile/tab_process.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/temp_dir.h"

namespace kelvara::hostile {

TabOutcome RunTab(const std::vector<std::string>& args, unsigned long addressSpaceLimit) {
  const testing::TempDir dir;
  const std::string outPath = dir.PathOf("stdout");
  const std::string errPath = dir.PathOf("stderr");
  const std::string program = KELVARA_TAB;
  std::vector<char*> argv = {const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  TabOutcome outcome;
  const pid_t child = fork();
  if (child == 0) {
    // Only async-signal-safe calls between fork and exec.
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0) {
      _exit(127);
    }
    if (addressSpaceLimit != 0) {
      const rlimit limit = {addressSpaceLimit, addressSpaceLimit};
      if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(127);
    }
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  if (child < 0) return outcome;
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return outcome;
  }
  if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  outcome.out = testing::ReadBytes(outPath);
  outcome.err = testing::ReadBytes(errPath);
  return outcome;
}

}  // namespace kelvara::hostile
