// MapPixels with both mappings, on buffers laid out as the converters use them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "formats.h"
#include "mapping.h"

namespace {

struct Sample {
    int blue, green, red;
    int highContrast, plain;
};

// Channel values as stored (blue, green, red) and the indexes each mapping gives.
const Sample kSamples[] = {
    {0, 0, 0, 0, 0},           {255, 255, 255, 254, 249}, {254, 254, 254, 254, 248}, {128, 128, 128, 128, 125},
    {100, 100, 100, 100, 98},  {255, 0, 0, 85, 140},      {0, 255, 0, 85, 249},      {0, 0, 255, 85, 198},
    {200, 120, 255, 191, 117}, {200, 50, 255, 168, 198},  {1, 2, 3, 2, 1},
};

// Buffers of the converters' size, the input holding the given triples from
// the pixel data offset on; everything else of both is a marker byte.
constexpr std::uint8_t kMarker = 0xA5;
constexpr std::size_t kBufferBytes = 850000;

struct Buffers {
    std::vector<std::uint8_t> input = std::vector<std::uint8_t>(kBufferBytes, kMarker);
    std::vector<std::uint8_t> output = std::vector<std::uint8_t>(kBufferBytes, kMarker);
};

Buffers WithTriples(std::int32_t pixelDataOffset, const std::vector<std::array<int, 3>>& triples) {
    Buffers buffers;
    std::size_t at = static_cast<std::size_t>(pixelDataOffset);
    for (const auto& triple : triples) {
        for (int channel : triple) buffers.input[at++] = static_cast<std::uint8_t>(channel);
    }
    return buffers;
}

// Maps the pixel area from the pixel data offset on into the indexes after
// the header block, as a converter does.
template <Mapping mapping>
void MapBuffers(Buffers& buffers, std::int32_t pixelDataOffset) {
    auto pixels = std::span<const std::uint8_t>(buffers.input).subspan(pixelDataOffset).first<kInputPixelBytes>();
    auto indexes = std::span<std::uint8_t>(buffers.output).subspan(kOutputPixelOffset).first<kPixelCount>();
    MapPixels<mapping>(pixels, indexes);
}

template <Mapping mapping>
std::vector<int> MapSamples(std::int32_t pixelDataOffset) {
    std::vector<std::array<int, 3>> triples;
    for (const Sample& sample : kSamples) triples.push_back({sample.blue, sample.green, sample.red});
    Buffers buffers = WithTriples(pixelDataOffset, triples);
    MapBuffers<mapping>(buffers, pixelDataOffset);
    std::vector<int> indexes;
    for (std::size_t k = 0; k < triples.size(); ++k) indexes.push_back(buffers.output[1078 + k]);
    return indexes;
}

TEST(MapPixels, MapsSampleColoursWithBothHeaderKinds) {
    for (std::int32_t offset : {54, 138}) {
        std::vector<int> highContrast = MapSamples<Mapping::HighContrast>(offset);
        std::vector<int> plain = MapSamples<Mapping::Plain>(offset);
        for (std::size_t k = 0; k < std::size(kSamples); ++k) {
            const Sample& sample = kSamples[k];
            SCOPED_TRACE(testing::Message() << "offset " << offset << ", B G R " << sample.blue << " " << sample.green
                                            << " " << sample.red);
            EXPECT_EQ(highContrast[k], sample.highContrast);
            EXPECT_EQ(plain[k], sample.plain);
        }
    }
}

TEST(MapPixels, HighContrastGivesTheTopIndexToTheFourBrightestSums) {
    // Sums 761 to 765, then 3 (mean 1) and 2 (mean 0, truncated).
    Buffers buffers = WithTriples(
        138,
        {{255, 255, 251}, {255, 255, 252}, {255, 254, 254}, {255, 255, 254}, {255, 255, 255}, {1, 1, 1}, {0, 1, 1}});
    MapBuffers<Mapping::HighContrast>(buffers, 138);
    const int expected[] = {253, 254, 254, 254, 254, 1, 0};
    for (std::size_t k = 0; k < std::size(expected); ++k) EXPECT_EQ(buffers.output[1078 + k], expected[k]) << k;
}

TEST(MapPixels, PlainTakesGreenBeforeRedAndReplacesOnlyOnStrictlyGreater) {
    Buffers buffers = WithTriples(54, {
                                          {200, 120, 255},  // green 117 beats blue 110; red 198 is not looked at
                                          {200, 112, 255},  // green 109 loses to blue 110; red 198 wins
                                          {100, 56, 0},     // green 54 below blue 55, red 0: blue stays
                                          {100, 57, 71},    // green 55 equals blue 55, red 55 too: blue stays
                                          {2, 1, 2},        // 1, 0, 1: red equals blue, blue stays
                                      });
    MapBuffers<Mapping::Plain>(buffers, 54);
    const int expected[] = {117, 198, 55, 55, 1};
    for (std::size_t k = 0; k < std::size(expected); ++k) EXPECT_EQ(buffers.output[1078 + k], expected[k]) << k;
}

TEST(MapPixels, WritesTheWholePixelAreaAndNothingElse) {
    for (auto [offset, size] : {std::pair{54, 750054}, std::pair{138, 750138}}) {
        Buffers buffers;  // every input triple is the marker, whose mean is 165
        // The last triple read ends at the last byte of an input of the expected size.
        buffers.input[static_cast<std::size_t>(size) - 3] = 255;
        buffers.input[static_cast<std::size_t>(size) - 2] = 255;
        buffers.input[static_cast<std::size_t>(size) - 1] = 255;
        // Bytes from the expected size on must not be read.
        for (std::size_t at = static_cast<std::size_t>(size); at < kBufferBytes; ++at) buffers.input[at] = 0;
        MapBuffers<Mapping::HighContrast>(buffers, offset);
        for (std::size_t at = 0; at < 1078; ++at) ASSERT_EQ(buffers.output[at], kMarker) << "header byte " << at;
        for (std::size_t at = 1078; at < 251077; ++at) ASSERT_EQ(buffers.output[at], 165) << "pixel byte " << at;
        EXPECT_EQ(buffers.output[251077], 254);
        for (std::size_t at = 251078; at < kBufferBytes; ++at) ASSERT_EQ(buffers.output[at], kMarker) << at;
    }
}

// Every colour against the mappings calculated here on their own; the top
// indexes are 254 and 249.
TEST(MapPixels, AgreesWithAnIndependentCalculationForEveryColour) {
    int highestHighContrast = 0, highestPlain = 0;
    for (int blue = 0; blue < 256; ++blue) {
        for (int green = 0; green < 256; ++green) {
            for (int red = 0; red < 256; ++red) {
                int mean = (blue + green + red) / 3;
                int highContrast = mean > 254 ? 254 : mean;
                int weightedBlue = blue * 550 / 1000, weightedGreen = green * 980 / 1000,
                    weightedRed = red * 780 / 1000;
                int plain = weightedBlue;
                if (weightedGreen > weightedBlue) {
                    plain = weightedGreen;
                } else if (weightedRed > weightedBlue) {
                    plain = weightedRed;
                }
                auto b = static_cast<std::uint8_t>(blue), g = static_cast<std::uint8_t>(green),
                     r = static_cast<std::uint8_t>(red);
                ASSERT_EQ(PixelIndex<Mapping::HighContrast>(b, g, r), highContrast)
                    << blue << " " << green << " " << red;
                ASSERT_EQ(PixelIndex<Mapping::Plain>(b, g, r), plain) << blue << " " << green << " " << red;
                highestHighContrast = std::max(highestHighContrast, highContrast);
                highestPlain = std::max(highestPlain, plain);
            }
        }
    }
    EXPECT_EQ(highestHighContrast, 254);
    EXPECT_EQ(highestPlain, 249);
}

}  // namespace
