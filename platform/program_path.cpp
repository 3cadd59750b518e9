#include "platform/program_path.h"

std::string ProgramPathFromCommand(std::string_view command) {
  if (command.starts_with('"')) {
    command.remove_prefix(1);
    return std::string(command.substr(0, command.find('"')));
  }
  return std::string(command.substr(0, command.find(' ')));
}
