#include "platform/registry_reading.h"

std::string ReadRegistryText(RegistryRoot, const std::string&, const std::string&) { return {}; }
