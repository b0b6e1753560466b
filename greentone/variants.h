// The table from which the three greentone converters are built: they share
// one driver and differ only in the row they are compiled with.
#pragma once

#include <cstdint>
#include <string_view>

#include "formats.h"
#include "mapping.h"

struct Variant {
    std::string_view usageName;      // as the help text's usage line spells it
    std::int32_t pixelDataOffset;    // where the input's first pixel triple starts
    std::int32_t expectedInputSize;  // the only test made on an input, after the output is written
    Mapping mapping;
    std::string_view overwriteLine;  // the help text's last line
};

enum VariantRow : int { kTalmirox3Row, kTalmiro3Row, kTalmiroxRow, kVariantRows };

inline constexpr Variant kVariants[kVariantRows] = {
    {"talmirox3", kColourSpaceHeaderBytes, kColourSpaceHeaderInputBytes, Mapping::HighContrast,
     "THIS MSWINDOWS PROGRAM, TALMIROX3, OVERWRITES OUTPUT FILENAME."},
    {"talmiro3", kPlainHeaderBytes, kPlainHeaderInputBytes, Mapping::HighContrast,
     "THIS MSWINDOWS PROGRAM, TALMIRO3, OVERWRITES OUTPUT FILENAME."},
    {"talmirox", kColourSpaceHeaderBytes, kColourSpaceHeaderInputBytes, Mapping::Plain,
     "THIS MSWINDOWS PROGRAM, TALMIROX, OVERWRITES OUTPUT FILENAME."},
};
