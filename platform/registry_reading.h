// The system registry, read only.
#pragma once

#include <string>

// The two roots below which the link launch looks.
enum class RegistryRoot { classesRoot, currentUser };

// The text of value `valueName` (empty: the key's default, unnamed value) of
// `key` below `root`, read without write access, as UTF-8. Environment
// references in an expandable value are expanded. A missing key, a missing
// value or one that is not text gives empty text; so does every key on
// systems without a registry.
std::string ReadRegistryText(RegistryRoot root, const std::string& key,
                             const std::string& valueName = {});
