// The bookkeeping of injected faults, shared by every backend: which calls
// of which kind are to fail or come up short.
#include "seam.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace platform::fault {
namespace {

struct Plan {
    Call call = Call::Count;  // Count: the slot is free
    unsigned first = 0;       // the calls of this kind to disturb, by number
    unsigned last = 0;
    int error = 0;
    std::size_t takeAtMost = 0;
    int signal = 0;  // raised before the call instead of disturbing it
};

// A test arms a handful of faults at most.
constexpr int kPlanSlots = 8;
Plan plans[kPlanSlots];
unsigned seen[static_cast<int>(Call::Count)];  // calls of each kind since the last Clear
std::FILE* record = nullptr;

// A slot whose calls have all gone by may take a new plan.
bool Free(const Plan& plan) { return plan.call == Call::Count || plan.last < seen[static_cast<int>(plan.call)]; }

// Takes a free slot for the plan; a test that arms more faults at once than
// the seam holds would pass without running the path it names: the test
// program ends, failed.
void Arm(const Plan& wanted) {
    for (Plan& plan : plans) {
        if (!Free(plan)) continue;
        plan = wanted;
        return;
    }
    static const char kFull[] = "fault injection: no free slot for another fault\n";
    std::fwrite(kFull, 1, sizeof kFull - 1, stderr);
    std::abort();
}

}  // namespace

void Inject(Call call, unsigned nth, int error, std::size_t takeAtMost, unsigned times) {
    unsigned counted = seen[static_cast<int>(call)];
    Arm(Plan{call, counted + nth, counted + nth + times - 1, error, takeAtMost});
}

void RaiseBefore(Call call, unsigned nth, int signal) {
    unsigned counted = seen[static_cast<int>(call)];
    Arm(Plan{call, counted + nth, counted + nth, 0, 0, signal});
}

void Clear() {
    for (Plan& plan : plans) plan = Plan{};
    for (unsigned& count : seen) count = 0;
}

void Record(std::FILE* log) { record = log; }

bool Disturb(Call call, Disturbance* how) {
    unsigned number = ++seen[static_cast<int>(call)];
    bool disturbed = false;
    for (const Plan& plan : plans) {
        if (plan.call == call && number >= plan.first && number <= plan.last && plan.signal != 0) {
            std::raise(plan.signal);
        } else if (plan.call == call && number >= plan.first && number <= plan.last) {
            how->error = plan.error;
            how->takeAtMost = plan.takeAtMost;
            disturbed = true;
            break;
        }
    }
    if (record != nullptr) {
        std::fprintf(record, "%d%s\n", static_cast<int>(call), disturbed ? "!" : "");
        std::fflush(record);
    }
    return disturbed;
}

}  // namespace platform::fault
