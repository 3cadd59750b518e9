#include "tests/support/program_run.h"

#include <cstdlib>

#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/utf16_text.h"
#include "platform/windows_command_line.h"
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace kelvara::testing {

#ifdef _WIN32

namespace {

HANDLE InheritableFile(const std::filesystem::path& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ProgramOutcome RunProgram(const std::filesystem::path& program,
                          const std::vector<std::string>& args,
                          [[maybe_unused]] unsigned long addressSpaceLimit) {
  const TempDir dir;
  ProgramOutcome outcome;
  std::vector<std::wstring> wideArgs;
  for (const std::string& arg : args) wideArgs.push_back(Utf16FromUtf8(arg));
  std::wstring commandLine = WindowsCommandLine(program.native(), wideArgs);

  const HANDLE in = InheritableFile(L"NUL", GENERIC_READ, OPEN_EXISTING);
  const HANDLE out = InheritableFile(dir.path() / "stdout", GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE err = InheritableFile(dir.path() / "stderr", GENERIC_WRITE, CREATE_ALWAYS);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process = {};
  // Wine's CreateProcess now and then fails with ERROR_INTERNAL_ERROR while
  // its server is busy (seen once in three runs of the Windows tests);
  // the program has not run then, so starting it again is safe.
  bool started = false;
  DWORD startError = 0;
  for (int attempt = 0; attempt < 3 && !started; ++attempt) {
    if (attempt > 0) Sleep(200);
    started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                             nullptr, nullptr, &startup, &process);
    startError = started ? 0 : GetLastError();
    if (startError != ERROR_INTERNAL_ERROR) break;
  }
  for (HANDLE handle : {in, out, err}) CloseHandle(handle);
  if (!started) {
    outcome.err = "the program did not start: system error " + std::to_string(startError);
    return outcome;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  if (GetExitCodeProcess(process.hProcess, &status)) outcome.status = static_cast<int>(status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  outcome.out = ReadBytes(dir.path() / "stdout");
  outcome.err = ReadBytes(dir.path() / "stderr");
  return outcome;
}

namespace {

// An empty value removes the variable on Windows.
void SetVariable(const std::string& name, const std::string* value) {
  _putenv_s(name.c_str(), value != nullptr ? value->c_str() : "");
}

}  // namespace

#else

ProgramOutcome RunProgram(const std::filesystem::path& program,
                          const std::vector<std::string>& args, unsigned long addressSpaceLimit) {
  const TempDir dir;
  const std::string outPath = dir.PathOf("stdout");
  const std::string errPath = dir.PathOf("stderr");
  std::vector<char*> argv = {const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  ProgramOutcome outcome;
  const pid_t child = fork();
  if (child == 0) {
    // Only async-signal-safe calls between fork and exec.
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || dup2(in, STDIN_FILENO) < 0 ||
        dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0) {
      _exit(127);
    }
    if (addressSpaceLimit != 0) {
      const rlimit limit = {addressSpaceLimit, addressSpaceLimit};
      if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(127);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (child < 0) return outcome;
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return outcome;
  }
  if (WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  outcome.out = ReadBytes(outPath);
  outcome.err = ReadBytes(errPath);
  return outcome;
}

namespace {

void SetVariable(const std::string& name, const std::string* value) {
  if (value != nullptr) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
}

}  // namespace

#endif

ScopedEnvironment::ScopedEnvironment(std::string name, const std::string& value)
    : name_(std::move(name)) {
  if (const char* old = std::getenv(name_.c_str())) {
    hadValue_ = true;
    oldValue_ = old;
  }
  SetVariable(name_, &value);
}

ScopedEnvironment::~ScopedEnvironment() { SetVariable(name_, hadValue_ ? &oldValue_ : nullptr); }

}  // namespace kelvara::testing
