// Affixes of strings, for every part of the tool.
#ifndef DRAV_PLATFORM_STRINGS_H_
#define DRAV_PLATFORM_STRINGS_H_

#include <string>

bool startsWith(const std::string& text, const std::string& prefix);
bool endsWith(const std::string& text, const std::string& suffix);

#endif  // DRAV_PLATFORM_STRINGS_H_
