// A program that faults on purpose, for the tests of the processor-fault
// report on Windows (not one of the tools):
//
//   fault_probe divide   an integer division by zero
//   fault_probe memory   a write to address 0
//   fault_probe call     a call through a null function pointer
//   fault_probe stack    a recursion without end
//   fault_probe check N  a checked failure with number N, for comparison
#include "core.h"

namespace {

// Deep enough to use up any stack the system gives a program.
constexpr int kEndless = 1 << 30;

// Each level keeps a frame of its own, so the recursion is never a loop.
int Deeper(int depth) {
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    return depth < kEndless ? Deeper(depth + 1) + frame[0] : 0;
}

}  // namespace

int main(int argc, char** argv) {
    StartProgram(argc, argv);
    ShortText mode = ArgumentText(1);
    if (TextEquals(mode, "divide")) {
        // Both unknown to the compiler, so that it divides for real.
        volatile int dividend = 1000;
        volatile int zero = 0;
        volatile int quotient = dividend / zero;
        (void)quotient;
    }
    if (TextEquals(mode, "memory")) {
        int* volatile nowhere = nullptr;
        *nowhere = 1;
    }
    if (TextEquals(mode, "call")) {
        void (*volatile nowhere)() = nullptr;
        nowhere();
    }
    if (TextEquals(mode, "stack")) return Deeper(0);
    if (TextEquals(mode, "check")) {
        ShortText number = ArgumentText(2);
        std::uint16_t value = 0;
        for (char c : number.View()) value = static_cast<std::uint16_t>(value * 10 + (c - '0'));
        RaiseIoError(value);
        CheckIo();
    }
    EndProgram(0);
}
