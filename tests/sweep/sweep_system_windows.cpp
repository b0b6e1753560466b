#include <windows.h>

#include <cstdlib>

#include "platform/system_calls/windows/system_calls.h"
#include "sweep.h"

namespace sweep {

int EndingSignal() { return 0; }

int WriteProtectedError() { return ERROR_WRITE_PROTECT; }

void SetEnvironment(const char* name, const char* value) { _putenv_s(name, value == nullptr ? "" : value); }

// The beep device's name lives as long as the session: a run whose removal
// of it failed leaves it defined, the next run's definition may then fail,
// and its tone would take another way, with other calls.
void SettleSystem() {
    platform::windows::CallDefineDosDevice(DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE,
                                           "DosBeep", "\\Device\\Beep");
}

}  // namespace sweep
