#include <windows.h>

#include <cstdlib>

#include "sweep.h"

namespace sweep {

int WriteProtectedError() { return ERROR_WRITE_PROTECT; }

void SetEnvironment(const char* name, const char* value) { _putenv_s(name, value == nullptr ? "" : value); }

}  // namespace sweep
