// The link launch below the about box: which browser is chosen and, on
// Windows, the registry it is read from and the process it is started as.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/browser_command.h"
#include "platform/link_launcher.h"
#include "platform/program_path.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "platform/utf16_text.h"
#include "platform/utf8_path.h"
#include "platform/windows_command_line.h"
#include "tests/support/temp_dir.h"
#endif

namespace {

namespace fs = std::filesystem;

TEST(BrowserChoice, RegisteredCommandFirstThenTheUsersChoice) {
  using Key = std::tuple<RegistryRoot, std::string, std::string>;
  const std::string choiceCommand = "HTML_of_the_users_choice\\shell\\open\\command";
  const std::set<std::string> programs = {"C:\\Browser\\registered.exe",
                                          "C:\\Other Browser\\chosen.exe"};
  struct Case {
    const char* what;
    std::string registeredCommand;
    std::map<Key, std::string> registry;
    std::string expected;
  };
  const std::map<Key, std::string> usersChoice = {
      {{RegistryRoot::currentUser, kWebLinkUserChoiceKey, "ProgId"}, "HTML_of_the_users_choice"},
      {{RegistryRoot::classesRoot, choiceCommand, ""},
       "\"C:\\Other Browser\\chosen.exe\" --single-argument %1"}};
  const std::vector<Case> cases = {
      {"registered program exists", "C:\\Browser\\registered.exe -url %1", usersChoice,
       "C:\\Browser\\registered.exe"},
      {"registered program left behind", "\"C:\\Gone\\old.exe\" \"%1\"", usersChoice,
       "C:\\Other Browser\\chosen.exe"},
      {"nothing registered", "", usersChoice, "C:\\Other Browser\\chosen.exe"},
      {"left behind, no choice made", "\"C:\\Gone\\old.exe\" \"%1\"", {}, ""},
      {"choice without a command", "",
       {{{RegistryRoot::currentUser, kWebLinkUserChoiceKey, "ProgId"}, "HTML_of_the_users_choice"}},
       ""},
      {"choice left behind too", "",
       {{{RegistryRoot::currentUser, kWebLinkUserChoiceKey, "ProgId"}, "HTML_of_the_users_choice"},
        {{RegistryRoot::classesRoot, choiceCommand, ""}, "\"C:\\Gone\\chosen.exe\" %1"}},
       ""},
  };
  for (const Case& c : cases) {
    const RegistryReader read = [&](RegistryRoot root, const std::string& key,
                                    const std::string& value) {
      const auto found = c.registry.find({root, key, value});
      return found == c.registry.end() ? std::string() : found->second;
    };
    const FileCheck isProgram = [&](const std::string& path) { return programs.count(path) > 0; };
    EXPECT_EQ(ChooseBrowserProgram(c.registeredCommand, read, isProgram), c.expected) << c.what;
  }
}

#ifdef _WIN32

bool IsFile(const std::string& path) {
  std::error_code ignored;
  return !path.empty() && fs::is_regular_file(kelvara::PathFromUtf8(path), ignored);
}

// Wine, like Windows with a browser installed, registers one for web links
// under both keys.
TEST(WindowsRegistry, TheSystemsBrowserForWebLinks) {
  const std::string command = ReadRegistryDefaultValue(kWebLinkCommandKey);
  ASSERT_FALSE(command.empty());
  const std::string registered = ProgramPathFromCommand(command);
  EXPECT_TRUE(IsFile(registered)) << command;
  EXPECT_EQ(BrowserProgram(command), registered);

  const std::string progId =
      ReadRegistryText(RegistryRoot::currentUser, kWebLinkUserChoiceKey, "ProgId");
  ASSERT_FALSE(progId.empty());
  const std::string chosen = ProgramPathFromCommand(
      ReadRegistryText(RegistryRoot::classesRoot, progId + "\\shell\\open\\command"));
  EXPECT_TRUE(IsFile(chosen)) << progId;
  // A registered command left behind by an uninstalled browser gives way to
  // the user's choice.
  EXPECT_EQ(BrowserProgram("\"C:\\Program Files\\Gone\\browser.exe\" \"%1\""), chosen);

  EXPECT_EQ(ReadRegistryDefaultValue("kelvara-no-such-protocol\\shell\\open\\command"), "");
  EXPECT_EQ(ReadRegistryText(RegistryRoot::currentUser, kWebLinkUserChoiceKey, "NoSuchValue"), "");
}

// The C runtime's splitting, as CommandLineToArgvW does it, gives every
// argument back whole.
TEST(WindowsCommandLine, EveryArgumentComesBackWhole) {
  const std::vector<std::wstring> arguments = {
      L"", L"plain", L"two words", L"tab\there", L"\"quoted\"", L"say \"hi\" now",
      L"C:\\Program Files\\", L"ends in two\\\\", L"back\\\\\"quote", L"\\\\server\\share",
      L"a\\b\\c", L"\\\"", L"ダウンロード 2024", L"%1 & | < > ^"};
  const std::wstring line = kelvara::WindowsCommandLine(L"C:\\Programs\\x.exe", arguments);
  int count = 0;
  LPWSTR* split = CommandLineToArgvW(line.c_str(), &count);
  ASSERT_NE(split, nullptr);
  ASSERT_EQ(count, static_cast<int>(arguments.size()) + 1) << kelvara::Utf8FromUtf16(line);
  EXPECT_EQ(std::wstring(split[0]), L"C:\\Programs\\x.exe");
  for (size_t i = 0; i < arguments.size(); ++i) {
    EXPECT_EQ(std::wstring(split[i + 1]), arguments[i]) << kelvara::Utf8FromUtf16(arguments[i]);
  }
  LocalFree(split);
}

// The stand-in browser, in a folder with a blank and Japanese in its name,
// receives the address with its blanks, quotes, backslashes and Japanese as
// its one argument; a path that is not a full one is not started.
TEST(WindowsStart, TheAddressArrivesAsOneArgument) {
  const kelvara::testing::TempDir dir;
  const fs::path folder = dir.path() / u8"閲覧 ソフト";
  ASSERT_TRUE(fs::create_directory(folder));
  const fs::path browser = folder / "browser.exe";
  fs::copy_file(ARGUMENT_RECORDER, browser);
  const std::string address =
      "https://kelvara.example/download/?q=a b&x=\"quoted\" \\\"back\\slash\\\" ダウンロード\\";

  DetachedLinkLauncher launcher;
  EXPECT_FALSE(launcher.Start("browser.exe", address));
  ASSERT_TRUE(launcher.Start(kelvara::Utf8FromPath(browser), address));
  const fs::path recorded = folder / "arguments.txt";
  for (int waited = 0; waited < 200 && !fs::exists(recorded); ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(kelvara::testing::ReadBytes(recorded), "1\n" + address + "\n");
  // Let the stand-in end before its folder goes.
  for (int waited = 0; waited < 40 && fs::exists(folder / "arguments.part"); ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

// A URL protocol of a test's own, registered for as long as the test runs,
// whose command is `command`. Windows shows the user's own classes
// (HKEY_CURRENT_USER\Software\Classes) below HKEY_CLASSES_ROOT; Wine 8 does
// not, and there the protocol goes below HKEY_CLASSES_ROOT itself.
class TestProtocol {
 public:
  TestProtocol(const std::wstring& name, const std::wstring& command) {
    for (const auto& [root, key] : {std::pair{HKEY_CURRENT_USER, L"Software\\Classes\\" + name},
                                    std::pair{HKEY_CLASSES_ROOT, name}}) {
      root_ = root;
      key_ = key;
      RegSetKeyValueW(root_, key_.c_str(), L"URL Protocol", REG_SZ, L"", sizeof(wchar_t));
      RegSetKeyValueW(root_, (key_ + L"\\shell\\open\\command").c_str(), nullptr, REG_SZ,
                      command.c_str(), static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
      HKEY seen = nullptr;
      if (RegOpenKeyExW(HKEY_CLASSES_ROOT, name.c_str(), 0, KEY_READ, &seen) == ERROR_SUCCESS) {
        RegCloseKey(seen);
        return;
      }
      RegDeleteTreeW(root_, key_.c_str());
    }
    root_ = nullptr;
  }
  ~TestProtocol() {
    if (root_ != nullptr) RegDeleteTreeW(root_, key_.c_str());
  }
  bool registered() const { return root_ != nullptr; }

 private:
  HKEY root_ = nullptr;
  std::wstring key_;
};

// With no browser program known, the desktop opens the address: here through
// a protocol whose command is the stand-in browser.
TEST(WindowsStart, TheDesktopOpensTheAddressWhenNoBrowserIsKnown) {
  const kelvara::testing::TempDir dir;
  const fs::path browser = dir.path() / L"browser.exe";
  fs::copy_file(ARGUMENT_RECORDER, browser);
  const std::string address = "kelvara-link-launch-test:download/ダウンロード?q=1";
  bool opened = false;
  {
    const TestProtocol protocol(L"kelvara-link-launch-test",
                                L"\"" + browser.native() + L"\" \"%1\"");
    ASSERT_TRUE(protocol.registered());
    opened = DetachedLinkLauncher().OpenWithDesktop(address);
  }
  EXPECT_TRUE(opened);
  const fs::path recorded = dir.path() / "arguments.txt";
  for (int waited = 0; opened && waited < 200 && !fs::exists(recorded); ++waited) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(kelvara::testing::ReadBytes(recorded), "1\n" + address + "\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

#endif

}  // namespace
