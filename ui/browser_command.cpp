#include "ui/browser_command.h"

std::string ReadRegistryDefaultValue(const std::string&) { return {}; }
