// Shared set-up of the window console's unit tests: a fresh in-memory
// console, the flavour started on it, the standard streams ready.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core.h"
#include "core/console_flavour.h"
#include "memory_console.h"
#include "window.h"

class WindowTest : public ::testing::Test {
protected:
    void Start(const memory_console::Setup& setup = {}) {
        memory_console::Reset(setup);
        FetchIoResult();
        OpenStandardStreams();
        ConsoleStart();
    }
    void SetUp() override { Start(); }
    void TearDown() override { FetchIoResult(); }

    static void Show(std::string_view bytes) { EXPECT_EQ(ConsoleWrite(bytes.data(), bytes.size()), 0); }

    // A row without its trailing blanks.
    static std::string RowText(int row) {
        std::string text(memory_console::Row(row));
        text.erase(text.find_last_not_of(' ') + 1);
        return text;
    }

    static void ExpectCursor(int column, int row) {
        EXPECT_EQ(memory_console::CursorColumn(), column);
        EXPECT_EQ(memory_console::CursorRow(), row);
    }
};
