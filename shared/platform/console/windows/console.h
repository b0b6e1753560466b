// What the parts of the Windows console backend need from one another.
#pragma once

namespace platform::windows {

// Puts back the output code page that a drawing switched from, if it is
// still switched (after a fault in the middle of a drawing, say).
void RestoreCodePage();

// Stops the tone, closes the beep device and removes its name, when the
// device was opened.
void ReleaseBeeper();

}  // namespace platform::windows
