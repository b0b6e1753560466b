#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "sweep.h"

namespace sweep {

int EndingSignal() { return SIGTERM; }

int WriteProtectedError() { return EROFS; }

void SetEnvironment(const char* name, const char* value) {
    if (value == nullptr) {
        unsetenv(name);
    } else {
        setenv(name, value, 1);
    }
}

void SettleSystem() {}  // nothing of a run outlives it but its files

}  // namespace sweep
