// The table from which the two print converters are built: they share one
// driver and differ only in the row they are compiled with.
#pragma once

#include <string_view>

#include "palette_rule.h"

// What tells the two converters apart: the palette rule and three lines of
// the help text.
struct Variant {
    PaletteRule rule;
    std::string_view aboutLine;    // which converter this is
    std::string_view siblingLine;  // when the other one serves better
    std::string_view usageLine;
};

enum VariantRow : int { kDuskarRow, kDuskariRow, kVariantRows };

inline constexpr Variant kVariants[kVariantRows] = {
    {PaletteRule::Straight, "For printing with black-and-white on paper. This is DUSKAR.",
     "DUSKARI does inversion, suitable eg for calendar & text prt.", "Usage:   DUSKAR infile.bmp outfile.bmp"},
    {PaletteRule::Inverted, "For printing with black-and-white on paper. This is DUSKARI,",
     "inverts suitable for text prt. For photoprint, use DUSKAR.", "Usage:   DUSKARI infile.bmp outfile.bmp"},
};
