// The in-memory console: the console device's operations over a grid.
#include "memory_console.h"

#include <cstdlib>
#include <cstring>

namespace memory_console {
namespace {

namespace device = platform::console;

// More scripted events than any test types.
constexpr int kMostEvents = 1024;

Setup setup;
char cells[kMostRows][kMostColumns];
int shownColumn = 0;
int shownRow = 0;
int scrolls = 0;
int strayRuns = 0;

device::KeyEvent script[kMostEvents];
int scriptLength = 0;
int scriptNext = 0;

int toneHz = 0;
int starts = 0;
int ends = 0;

void BlankRow(int row) { std::memset(cells[row], ' ', kMostColumns); }

device::KeyEvent Event(device::EventKind kind, std::uint8_t character = 0, std::uint8_t scanCode = 0) {
    device::KeyEvent event;
    event.kind = kind;
    event.character = character;
    event.scanCode = scanCode;
    return event;
}

}  // namespace

void Reset(const Setup& newSetup) {
    setup = newSetup;
    if (setup.columns > kMostColumns) setup.columns = kMostColumns;
    if (setup.rows > kMostRows) setup.rows = kMostRows;
    for (int row = 0; row < kMostRows; ++row) BlankRow(row);
    shownColumn = setup.cursorColumn;
    shownRow = setup.cursorRow;
    scrolls = 0;
    strayRuns = 0;
    scriptLength = scriptNext = 0;
    toneHz = 0;
    starts = ends = 0;
}

std::string_view Row(int row) { return {cells[row], static_cast<std::size_t>(setup.columns)}; }
int CursorColumn() { return shownColumn; }
int CursorRow() { return shownRow; }
int ScrollCount() { return scrolls; }
int StrayRunCount() { return strayRuns; }

void Queue(const device::KeyEvent& event) {
    if (scriptLength < kMostEvents) script[scriptLength++] = event;
}

void Type(std::string_view characters) {
    for (char c : characters) Queue(Event(device::EventKind::Press, static_cast<std::uint8_t>(c)));
}

void PressSpecial(std::uint8_t scanCode) { Queue(Event(device::EventKind::Press, 0, scanCode)); }

void PressModifier() { Queue(Event(device::EventKind::Modifier)); }

void ReleaseKey() { Queue(Event(device::EventKind::Other)); }

void PressKeypadDigit(std::uint8_t digit, bool altDown, bool leftAlt) {
    // With Alt held the key has no character: its digit is composed.
    device::KeyEvent event = Event(device::EventKind::Press, altDown ? 0 : static_cast<std::uint8_t>('0' + digit));
    event.altDown = altDown;
    event.leftAltDown = altDown && leftAlt;
    event.keypadDigit = digit;
    Queue(event);
}

void ReleaseAlt() { Queue(Event(device::EventKind::AltReleased)); }

void Play(const std::vector<Keystroke>& script) {
    for (const Keystroke& step : script) {
        if (step.typed.empty()) {
            PressSpecial(step.special);
        } else {
            Type(step.typed);
        }
    }
}

int ToneHz() { return toneHz; }
int StartCount() { return starts; }
int EndCount() { return ends; }

}  // namespace memory_console

namespace platform::console {

using namespace memory_console;

void StartDevice() { ++starts; }

void EndDevice() {
    ++ends;
    toneHz = 0;
}

bool OpenScreen(ScreenShape* shape) {
    if (!setup.screenAttached) return false;
    shape->columns = setup.columns;
    shape->rows = setup.rows;
    shape->cursorColumn = setup.cursorColumn;
    shape->cursorRow = setup.cursorRow;
    return true;
}

// Like a terminal: the drawing keeps its own account of the cursor.
bool RereadScreen(ScreenShape*) { return false; }

void PutCells(int column, int row, const char* bytes, std::size_t count) {
    // A run that leaves its row is a fault of the drawing; the test sees it.
    if (row < 0 || row >= setup.rows || column < 0 || column + static_cast<int>(count) > setup.columns) {
        std::memset(cells[0], '!', static_cast<std::size_t>(setup.columns));
        ++strayRuns;
        return;
    }
    std::memcpy(&cells[row][column], bytes, count);
}

void ScrollUp() {
    for (int row = 1; row < setup.rows; ++row) std::memcpy(cells[row - 1], cells[row], kMostColumns);
    BlankRow(setup.rows - 1);
    ++scrolls;
}

void ClearScreen() {
    for (int row = 0; row < kMostRows; ++row) BlankRow(row);
}

void ShowCursor(int column, int row) {
    shownColumn = column;
    shownRow = row;
}

KeySource Source() { return setup.typedBytes ? KeySource::TypedBytes : KeySource::Keyboard; }

ReadResult ReadEvent(KeyEvent* event, bool wait) {
    if (wait && toneHz != 0 && setup.exitWhenWaitingWithTone != 0) std::_Exit(setup.exitWhenWaitingWithTone);
    if (scriptNext == scriptLength) return wait ? ReadResult::Ended : ReadResult::NothingWaiting;
    *event = script[scriptNext++];
    return ReadResult::Event;
}

void StartTone(std::uint16_t hz) { toneHz = hz; }

void StopTone() { toneHz = 0; }

}  // namespace platform::console
