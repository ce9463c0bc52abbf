#include "platform/process.h"

#include <stdlib.h>

bool environmentValue(const char* name, std::string* value) {
  const char* found = getenv(name);
  if (!found)
    return false;
  *value = found;
  return true;
}
