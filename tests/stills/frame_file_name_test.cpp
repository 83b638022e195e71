// Frame file naming: the worked examples, the directory text, wide fields, frames and hours
// past the 32-bit and 60-hour limits, the rates that cannot name frames, and uniqueness.
#include "stills/frame_file_name.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <tuple>

namespace {

constexpr double kNtsc = 30000.0 / 1001.0;
constexpr double kFilm = 24000.0 / 1001.0;

TEST(MakeFrameFileName, WorkedExamples)
{
    const struct { double fps; uint32_t frame; const char* name; } rows[] = {
        {25, 0, "D/00,00,00,00.tif"},          {25, 24, "D/00,00,00,24.tif"},
        {25, 25, "D/00,00,01,00.tif"},         {25, 1800, "D/00,01,12,00.tif"},
        {25, 90000, "D/01,00,00,00.tif"},      {kNtsc, 29, "D/00,00,00,29.tif"},
        {kNtsc, 30, "D/00,00,01,01.tif"},      {kNtsc, 59, "D/00,00,01,30.tif"},
        {kNtsc, 60, "D/00,00,02,01.tif"},      {kNtsc, 1800, "D/00,01,00,02.tif"},
        {kNtsc, 107892, "D/01,00,00,05.tif"},  {kFilm, 24, "D/00,00,01,01.tif"},
        {15, 14, "D/00,00,00,14.tif"},         {15, 15, "D/00,00,01,00.tif"},
        {15, 1800, "D/00,02,00,00.tif"},       {120, 1799, "D/00,00,14,119.tif"},
        {1, 90000, "D/25,00,00,00.tif"},       {1, 215999, "D/59,59,59,00.tif"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.fps) + " fps, frame " + std::to_string(r.frame));
        ASSERT_TRUE(IsNamingRate(r.fps));
        EXPECT_EQ(MakeFrameFileName("D", r.frame, r.fps), r.name);
    }
}

TEST(MakeFrameFileName, DirectoryTextIsUsedUnchanged)
{
    EXPECT_EQ(MakeFrameFileName("C:\\", 0, 25), "C:\\/00,00,00,00.tif");
    EXPECT_EQ(MakeFrameFileName("", 0, 25), "/00,00,00,00.tif");
    EXPECT_EQ(MakeFrameFileName("/tmp/out/", 25, 25), "/tmp/out//00,00,01,00.tif");
    const std::string longDir(5000, 'd');  // far past any fixed name buffer
    EXPECT_EQ(MakeFrameFileName(longDir, 0, 25), longDir + "/00,00,00,00.tif");
}

// 120 fps: frame fields 100 to 119 print three digits; 1 fps: the frame field stays 00.
TEST(MakeFrameFileName, WideFieldsAndOneFramePerSecond)
{
    EXPECT_EQ(MakeFrameFileName("D", 99, 120), "D/00,00,00,99.tif");
    EXPECT_EQ(MakeFrameFileName("D", 100, 120), "D/00,00,00,100.tif");
    EXPECT_EQ(MakeFrameFileName("D", 119, 120), "D/00,00,00,119.tif");
    EXPECT_EQ(MakeFrameFileName("D", 120, 120), "D/00,00,01,00.tif");
    for (uint32_t f : {0u, 1u, 59u, 3599u, 3600u, 86399u}) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "D/%02u,%02u,%02u,00.tif", f / 3600, f / 60 % 60,
                      f % 60);
        EXPECT_EQ(MakeFrameFileName("D", f, 1), expected);
    }
}

// The hours field does not wrap, so a run of 60 hours or more never names a frame twice.
TEST(MakeFrameFileName, HoursPastSixtyAndFramesPastThe32BitProduct)
{
    EXPECT_EQ(MakeFrameFileName("D", 216000, 1), "D/60,00,00,00.tif");
    EXPECT_EQ(MakeFrameFileName("D", 359999, 1), "D/99,59,59,00.tif");
    EXPECT_EQ(MakeFrameFileName("D", 360000, 1), "D/100,00,00,00.tif");
    EXPECT_EQ(MakeFrameFileName("D", 0xFFFFFFFFu, 1), "D/1193046,28,15,00.tif");
    // frame x 128 leaves 32 bits from 33,554,432 on: 33,554,432 / 25 = 1,342,177 s, 7 frames.
    EXPECT_EQ(MakeFrameFileName("D", 33554432u, 25), "D/372,49,37,07.tif");
    EXPECT_EQ(MakeFrameFileName("D", 33554432u + 18u, 25), "D/372,49,38,00.tif");
    EXPECT_EQ(MakeFrameFileName("D", 90000u * 1000u, 25), "D/1000,00,00,00.tif");
}

TEST(IsNamingRate, RefusesRatesThatCannotName)
{
    const struct { double fps; bool ok; } rows[] = {
        {1.0, true},
        {25.0, true},
        {kNtsc, true},
        {33554431.99, true},  // R = 4,294,967,294
        {0.0, false},
        {0.999, false},
        {-25.0, false},
        {33554432.0, false},  // R = 2^32
        {1e300, false},
        {std::numeric_limits<double>::infinity(), false},
        {-std::numeric_limits<double>::infinity(), false},
        {std::numeric_limits<double>::quiet_NaN(), false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.fps);
        EXPECT_EQ(IsNamingRate(r.fps), r.ok);
    }
}

// Timecode fields as numbers, for the order of names.
std::tuple<unsigned long, unsigned long, unsigned long, unsigned long> Fields(const std::string& name)
{
    unsigned long h = 0, m = 0, s = 0, f = 0;
    EXPECT_EQ(std::sscanf(name.c_str(), "D/%lu,%lu,%lu,%lu.tif", &h, &m, &s, &f), 4) << name;
    return {h, m, s, f};
}

// At 30000/1001 the frame field skips 00 in 31 seconds out of 32; consecutive frames still
// get strictly rising timecodes (so names never repeat), across the first hours and across
// the 60-hour mark.
TEST(MakeFrameFileName, NamesRiseStrictlyAtNtscRate)
{
    const struct { uint32_t first, last; } spans[] = {{0, 120000}, {6473250 - 5000, 6473250 + 5000}};
    for (const auto& span : spans) {
        auto previous = Fields(MakeFrameFileName("D", span.first, kNtsc));
        for (uint32_t f = span.first + 1; f <= span.last; ++f) {
            const auto next = Fields(MakeFrameFileName("D", f, kNtsc));
            ASSERT_LT(previous, next) << "frame " << f;
            previous = next;
        }
    }
    EXPECT_EQ(MakeFrameFileName("D", 6473250, kNtsc), "D/60,00,00,00.tif");
}

}  // namespace
