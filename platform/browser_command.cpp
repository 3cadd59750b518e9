#include "platform/browser_command.h"

#include "platform/program_path.h"

std::string ChooseBrowserProgram(const std::string& registeredCommand,
                                 const RegistryReader& read, const FileCheck& isProgram) {
  const std::string registered = ProgramPathFromCommand(registeredCommand);
  if (isProgram(registered)) return registered;
  const std::string progId = read(RegistryRoot::currentUser, kWebLinkUserChoiceKey, "ProgId");
  if (progId.empty()) return {};
  const std::string chosen = ProgramPathFromCommand(
      read(RegistryRoot::classesRoot, progId + "\\shell\\open\\command", {}));
  return isProgram(chosen) ? chosen : std::string();
}
