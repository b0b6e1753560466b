// The drawing of standard output into the window: control bytes move the
// cursor, runs of other bytes are drawn as characters, the cursor wraps at
// the last column and the window scrolls below the last row.
#include "../platform/console/console_device.h"
#include "../platform/platform.h"
#include "../window.h"
#include "window_console.h"
#include "../platform/ascii.h"

namespace window {
namespace {

namespace device = platform::console;

using ascii::kBell;
using ascii::kBackspace;
using ascii::kLineFeed;
using ascii::kCarriageReturn;

enum class ScreenState : std::uint8_t { NotOpened, Open, Absent };

ScreenState screenState = ScreenState::NotOpened;

// Without a screen, what a tool draws before it first asks for a key (a
// converter's messages, a help text) is kept, and written to standard error
// when the tool ends without having asked, so that a log shows it. The
// messages of the longest help text fit several times.
constexpr std::size_t kKeptTextBytes = 4096;
char keptText[kKeptTextBytes];
std::size_t keptCount = 0;
bool keyAsked = false;

void WriteToErrors(const char* bytes, std::size_t count) {
    std::size_t done = 0;
    platform::WriteAll(platform::StandardHandle(platform::StandardStream::Error), bytes, count, &done);
}

// More than the room holds goes to standard error at once, the kept text first.
void Keep(const char* bytes, std::size_t count) {
    if (keyAsked) return;
    if (keptCount + count <= kKeptTextBytes) {
        for (std::size_t i = 0; i < count; ++i) keptText[keptCount++] = bytes[i];
        return;
    }
    WriteToErrors(keptText, keptCount);
    keptCount = 0;
    WriteToErrors(bytes, count);
}
int columns = 0;
int rows = 0;
int cursorColumn = 0;
int cursorRow = 0;

// A shape the device reported becomes the drawing's; one without a cell
// is no screen to draw on.
bool Take(const device::ScreenShape& shape) {
    if (shape.columns <= 0 || shape.rows <= 0) return false;
    columns = shape.columns;
    rows = shape.rows;
    cursorColumn = shape.cursorColumn < columns ? shape.cursorColumn : columns - 1;
    cursorRow = shape.cursorRow < rows ? shape.cursorRow : rows - 1;
    return true;
}

bool ScreenReady() {
    if (screenState == ScreenState::NotOpened) {
        device::ScreenShape shape;
        bool opened = device::OpenScreen(&shape) && Take(shape);
        screenState = opened ? ScreenState::Open : ScreenState::Absent;
    }
    return screenState == ScreenState::Open;
}

bool Drawable(char c) { return c != kBell && c != kBackspace && c != kLineFeed && c != kCarriageReturn; }

// A cursor right of the last column goes on in the next row; one below the
// last row scrolls the window.
void KeepCursorInside() {
    if (cursorColumn >= columns) {
        cursorColumn = 0;
        ++cursorRow;
    }
    while (cursorRow >= rows) {
        device::ScrollUp();
        --cursorRow;
    }
}

}  // namespace

void Draw(const char* bytes, std::size_t count) {
    if (count == 0) return;
    if (!ScreenReady()) {
        Keep(bytes, count);
        return;
    }
    device::ScreenShape now;
    if (device::RereadScreen(&now)) Take(now);
    std::size_t at = 0;
    while (at < count) {
        char c = bytes[at];
        if (Drawable(c)) {
            // A run ends at a control byte or at the last column.
            std::size_t room = static_cast<std::size_t>(columns - cursorColumn);
            std::size_t run = 1;
            while (run < room && at + run < count && Drawable(bytes[at + run])) ++run;
            device::PutCells(cursorColumn, cursorRow, bytes + at, run);
            cursorColumn += static_cast<int>(run);
            at += run;
        } else {
            if (c == kBackspace && cursorColumn > 0) --cursorColumn;
            if (c == kLineFeed) ++cursorRow;
            if (c == kCarriageReturn) cursorColumn = 0;
            ++at;
        }
        KeepCursorInside();
    }
    device::ShowCursor(cursorColumn, cursorRow);
}

void ResetDrawing() {
    screenState = ScreenState::NotOpened;
    columns = rows = cursorColumn = cursorRow = 0;
    keptCount = 0;
    keyAsked = false;
}

void NoteKeyAsked() {
    keyAsked = true;
    keptCount = 0;
}

void WriteKeptText() {
    WriteToErrors(keptText, keptCount);
    keptCount = 0;
}

}  // namespace window

void ClearWindow() {
    if (!window::ScreenReady()) return;
    platform::console::ClearScreen();
    window::cursorColumn = 0;
    window::cursorRow = 0;
    platform::console::ShowCursor(0, 0);
}
