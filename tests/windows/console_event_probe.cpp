// A program that is interrupted on purpose, for the console-event test (not
// one of the tools):
//
//   console_event_probe IMAGE
//
// starts the window console, begins replacing IMAGE through a temporary file
// beside it, leaves a drawing unfinished (the console then shows the ANSI code
// page), and sends Ctrl+C to its console; the layer's handler has to give
// back the code page and remove the temporary file before the system ends the
// process.
#include <windows.h>

#include "core.h"
#include "platform/console/console_device.h"

int main(int argc, char** argv) {
    StartProgram(argc, argv);
    static BlockFile input, output;
    ShortText image = ArgumentText(1);
    BindFile(input, image);
    OpenExisting(input, 1);
    CloseFile(input);
    CreateOutput(output, image, input, 1);
    CheckIo();
    platform::console::ScreenShape shape;
    if (platform::console::OpenScreen(&shape)) platform::console::PutCells(0, 0, "x", 1);
    GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    Sleep(INFINITE);
}
