// The one idiom of both backends' wrappers: each asks the fault seam before
// it makes its system call, and fails, moves fewer bytes or runs as told.
//
// The wrappers of the shipped programs are compiled without SUITE_FAULT_SEAM:
// Disturb is then a constant "no", and the compiler leaves nothing of the
// seam in them.
#pragma once

#include <cstddef>

#include "fault_injection.h"

namespace platform::fault {

// What the seam asks of one disturbed call: the system error to fail with
// (0: none), else the most bytes it may move.
struct Disturbance {
    int error = 0;
    std::size_t takeAtMost = 0;
};

#ifdef SUITE_FAULT_SEAM
// Counts one call of the kind and gives true when it is to be disturbed,
// with what to do in *how.
bool Disturb(Call call, Disturbance* how);
#else
constexpr bool Disturb(Call, Disturbance*) { return false; }
#endif

}  // namespace platform::fault

namespace platform::wrapper {

using fault::Call;
using fault::Disturb;
using fault::Disturbance;

// Defined by each backend: reports a failure the way its system does (errno,
// the thread's last error), and tells whether the failure just reported was
// a signal cutting the call short, after which the call is made again.
void SetSystemError(int error);
bool InterruptedBySignal();

// The call, unless the seam fails it: then `failed`, with the injected error
// reported.
template <typename Result, typename SystemCall>
Result RunOnceUnlessInjected(Call kind, Result failed, SystemCall call) {
    if (Disturbance how; Disturb(kind, &how) && how.error != 0) {
        SetSystemError(how.error);
        return failed;
    }
    return call();
}

// The same, made again while a signal cuts it short, so that no caller sees
// an interrupted call.
template <typename Result, typename SystemCall>
Result RunUnlessInjected(Call kind, Result failed, SystemCall call) {
    for (;;) {
        Result result = RunOnceUnlessInjected(kind, failed, call);
        if (result != failed || !InterruptedBySignal()) return result;
    }
}

// One request that moves at most count bytes: request(allowed) is made with
// as many as the seam allows, or fails as it asks; made again while a signal
// cuts it short.
template <typename Result, typename Request>
Result TransferAsAllowed(Call kind, std::size_t count, Result failed, Request request) {
    for (;;) {
        Result result;
        if (Disturbance how; !Disturb(kind, &how)) {
            result = request(count);
        } else if (how.error != 0) {
            SetSystemError(how.error);
            result = failed;
        } else {
            result = request(how.takeAtMost < count ? how.takeAtMost : count);
        }
        if (result != failed || !InterruptedBySignal()) return result;
    }
}

// A close the seam may fail: the handle is closed either way, as after a
// real failed close, and never closed twice.
template <typename Result, typename Close>
Result CloseEvenIfInjected(Call kind, Result failed, Close close) {
    if (Disturbance how; Disturb(kind, &how) && how.error != 0) {
        close();
        SetSystemError(how.error);
        return failed;
    }
    return close();
}

}  // namespace platform::wrapper
