// Keys typed ahead into a file or a pipe: when standard input is no
// keyboard, each of its bytes is one key press. The same on every system,
// so both console backends share it.
#pragma once

#include "console_device.h"

namespace platform::console {

// The next typed byte as a key press; never waits when wait is false.
ReadResult ReadTypedKey(KeyEvent* event, bool wait);

// Forgets what was read ahead (a new start of the console).
void ResetTypedKeys();

}  // namespace platform::console
