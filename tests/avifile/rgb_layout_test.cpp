// Frames in the stills' layout (GetFrameRgb) are exactly the DIB's bytes, rows and pixel bytes
// reversed, whatever way a picture takes: RGB sources copied, YUV sources converted straight
// to RGB24 or through BGR24 (where libswscale's two outputs differ), rows written straight or
// through scratch rows (widths that are no multiple of 16); fetched one by one in any order,
// read ahead in either layout, and fetched in both layouts one after the other.
#include "avi_test_util.h"
#include "support/avi_writer.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using avitest::FromDib;
using avitest::FromRgb;
using avitest::Picture;

struct LayoutCase {
    const char* name;
    const char* args;  // ffmpeg arguments making the file; null: an 8-bit palette DIB stream
};

const LayoutCase kLayoutCases[] = {
    // name                    ffmpeg arguments
    {"bgr24_161x120",          "-f lavfi -i testsrc2=size=161x120:rate=25 -frames:v 6 -c:v rawvideo -pix_fmt bgr24"},
    {"png_rgb24_160x120",      "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 6 -c:v png -pix_fmt rgb24"},
    {"pal8_33x17",             nullptr},
    {"mpeg4_yuv420p_160x120",  "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 8 -c:v mpeg4 -q:v 2 -bf 2"},
    {"mjpeg_yuvj420p_168x96",  "-f lavfi -i testsrc2=size=168x96:rate=25 -frames:v 6 -c:v mjpeg -pix_fmt yuvj420p"},
    {"mjpeg_yuvj422p_160x120", "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 6 -c:v mjpeg -pix_fmt yuvj422p"},
    {"ffv1_yuv420p_160x120",   "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 6 -c:v ffv1 -pix_fmt yuv420p"},
    {"yuyv422_160x120",        "-f lavfi -i testsrc2=size=160x120:rate=25 -frames:v 6 -c:v rawvideo -pix_fmt yuyv422"},
};

// Six frames of an 8-bit palette stream, every palette entry and index in use.
std::string PaletteClip()
{
    avi_writer::VideoStream v;
    v.width = 33;
    v.height = 17;
    v.bitCount = 8;
    for (uint32_t i = 0; i < 256; ++i)
        v.palette.push_back((i * 0x9E3779B1u) & 0x00FFFFFF);
    std::vector<avi_writer::Chunk> chunks;
    for (uint32_t f = 0; f < 6; ++f)
        chunks.push_back({avi_writer::PackRows(v, [f](uint32_t x, uint32_t y) { return (x * 7 + y * 13 + f * 31) & 0xFF; })});
    const std::string path = fixtures::ScratchDir() + "/pal8.avi";
    return avi_writer::WriteBytes(path, avi_writer::Make(v, chunks)) ? path : "";
}

class RgbLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(RgbLayoutTest, RgbRowsAreTheDibTurnedAround)
{
    const LayoutCase& c = GetParam();
    const std::string path = c.args ? fixtures::Video(std::string("layout_") + c.name + ".avi", c.args) : PaletteClip();
    ASSERT_FALSE(path.empty());

    // The reference: every frame's DIB, fetched in order.
    std::vector<Picture> dibs;
    {
        avitest::Opened o = avitest::Open(path);
        ASSERT_TRUE(o) << c.name;
        for (uint32_t i = 0; i < o.length; ++i) {
            const uint8_t* dib = o.source->GetFrame(i);
            ASSERT_NE(dib, nullptr) << o.source->LastError();
            dibs.push_back(FromDib(dib, o.width, o.height));
        }
    }
    const uint32_t n = static_cast<uint32_t>(dibs.size());
    ASSERT_GE(n, 6u);

    struct Way {
        const char* name;
        bool readAhead;
        platform::FrameLayout aheadIn;
    };
    const Way ways[] = {
        {"one by one, backwards", false, platform::FrameLayout::Rgb},
        {"read ahead as RGB", true, platform::FrameLayout::Rgb},
        {"read ahead as DIB", true, platform::FrameLayout::Dib},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        avitest::Opened o = avitest::Open(path);
        ASSERT_TRUE(o);
        if (way.readAhead)
            o.source->ReadAhead(0, n - 1, way.aheadIn);
        for (uint32_t k = 0; k < n; ++k) {
            const uint32_t i = way.readAhead ? k : n - 1 - k;
            SCOPED_TRACE("frame " + std::to_string(i));
            const uint8_t* rgb = o.source->GetFrameRgb(i);
            ASSERT_NE(rgb, nullptr) << o.source->LastError();
            EXPECT_EQ(avitest::FirstDifference(FromRgb(rgb, o.width, o.height), dibs[i]), "");
            if (i % 3 == 1) {
                // The frame on hand in the other layout, and in this one again: both stay put.
                const uint8_t* dib = o.source->GetFrame(i);
                ASSERT_NE(dib, nullptr) << o.source->LastError();
                EXPECT_EQ(avitest::CheckDibLayout(dib, o.width, o.height), "");
                EXPECT_EQ(avitest::FirstDifference(FromDib(dib, o.width, o.height), dibs[i]), "");
                EXPECT_EQ(o.source->GetFrameRgb(i), rgb);
                EXPECT_EQ(avitest::FirstDifference(FromRgb(rgb, o.width, o.height), dibs[i]), "");
            }
        }
        EXPECT_EQ(o.source->GetFrameRgb(n), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Sources, RgbLayoutTest, ::testing::ValuesIn(kLayoutCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
