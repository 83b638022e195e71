// Every kind of stream comes out as the 24-bit bottom-up DIB of the picture it was made from:
// byte for byte what the ffmpeg command line decodes from the same file, and the pattern itself
// for uncompressed RGB and lossless RGB codecs, within a PSNR bar for lossy and YUV ones.
#include "avi_test_util.h"
#include "support/avi_writer.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using avitest::Picture;

struct CodecCase {
    const char* name;
    uint32_t width, height, frames;
    const char* pattern;  // the pixel format the pattern is drawn in
    const char* encode;   // ffmpeg output options
    double minPsnr;       // 0: exact
};

// The lavfi pattern drawn in `format`, as an AVI file and as raw BGR24 pictures.
std::string Pattern(const CodecCase& c)
{
    return "-f lavfi -i testsrc2=size=" + std::to_string(c.width) + "x" + std::to_string(c.height) +
           ":rate=25,format=" + c.pattern + " -frames:v " + std::to_string(c.frames);
}

// YUV patterns are compared with the ffmpeg command line's own conversion of them; RGB
// patterns are the reference themselves. The bars of YUV cases drawn in RGB (mjpeg, h264 with
// BT.709) fail when the colour matrix or range is misread.
const CodecCase kCodecCases[] = {
    // name              width height frames pattern     encoder options                                  min PSNR
    {"rawvideo_bgr24",    161,  120,   4, "rgb24",    "-c:v rawvideo -pix_fmt bgr24",                         0},
    {"ffv1_bgr0",         160,  120,   4, "rgb24",    "-c:v ffv1 -pix_fmt bgr0",                              0},
    {"huffyuv_rgb24",     160,  120,   4, "rgb24",    "-c:v huffyuv -pix_fmt rgb24",                          0},
    {"utvideo_gbrp",      160,  120,   4, "rgb24",    "-c:v utvideo -pix_fmt gbrp",                           0},
    {"zlib_bgr24",        161,  121,   4, "rgb24",    "-c:v zlib -pix_fmt bgr24",                             0},
    {"png_rgb24",         160,  120,   4, "rgb24",    "-c:v png -pix_fmt rgb24",                              0},
    {"ffv1_yuv444p",      160,  120,   4, "yuv444p",  "-c:v ffv1 -pix_fmt yuv444p",                          45},
    {"ffv1_yuv422p",      160,  120,   4, "yuv422p",  "-c:v ffv1 -pix_fmt yuv422p",                          45},
    {"ffv1_yuv420p",      160,  120,   4, "yuv420p",  "-c:v ffv1 -pix_fmt yuv420p",                          45},
    {"rawvideo_yuyv422",  160,  120,   4, "yuv422p",  "-c:v rawvideo -pix_fmt yuyv422",                      45},
    {"huffyuv_yuv422p",   160,  120,   4, "yuv422p",  "-c:v huffyuv -pix_fmt yuv422p",                       45},
    {"mjpeg_444",         160,  120,   4, "rgb24",    "-c:v mjpeg -q:v 2 -pix_fmt yuvj444p",                 39},
    {"mjpeg_420",         160,  120,   4, "yuv420p",  "-c:v mjpeg -q:v 2 -pix_fmt yuvj420p",                 38},
    {"mpeg4",             160,  120,   8, "yuv420p",  "-c:v mpeg4 -q:v 2 -bf 2",                             33},
    {"h264",              160,  120,   8, "yuv420p",  "-c:v libx264 -preset veryfast -crf 10",               38},
    {"h264_bt709",        160,  120,   8, "rgb24",    "-vf scale=out_color_matrix=bt709:out_range=tv -c:v libx264 -preset veryfast "
                                                      "-crf 10 -pix_fmt yuv444p -colorspace bt709 -color_primaries bt709 "
                                                      "-color_trc bt709",                                    35},
    {"dvvideo",           720,  576,   2, "yuv420p",  "-c:v dvvideo -pix_fmt yuv420p",                       30},
    {"cinepak",           160,  120,   4, "rgb24",    "-c:v cinepak",                                        18},
    {"msvideo1",          160,  120,   4, "rgb24",    "-c:v msvideo1",                                       18},
};

class CodecTest : public ::testing::TestWithParam<CodecCase> {};

TEST_P(CodecTest, MatchesThePatternItWasMadeFrom)
{
    const CodecCase& c = GetParam();
    const std::string pattern = Pattern(c);
    const std::string avi = fixtures::Video(std::string(c.name) + ".avi", pattern + " " + c.encode);
    const std::string raw = fixtures::ReadFile(fixtures::Video(
        std::string("pattern_") + c.pattern + ".bgr", pattern + " -f rawvideo -pix_fmt bgr24"));
    ASSERT_FALSE(avi.empty());
    // The ffmpeg command line's own straight decode of the same file.
    const std::string decoded = fixtures::ReadFile(fixtures::Video(
        std::string("decoded_") + c.name + ".bgr", "-i " + avi + " -fps_mode passthrough -f rawvideo -pix_fmt bgr24"));

    avitest::Opened o = avitest::Open(avi);
    ASSERT_TRUE(o) << c.name;
    EXPECT_EQ(o.width, c.width);
    EXPECT_EQ(o.height, c.height);
    EXPECT_EQ(o.length, c.frames);
    // Backwards, so that every case also decodes after a seek.
    for (uint32_t i = c.frames; i-- > 0;) {
        SCOPED_TRACE("frame " + std::to_string(i));
        const uint8_t* dib = o.source->GetFrame(i);
        ASSERT_NE(dib, nullptr) << o.source->LastError();
        EXPECT_EQ(avitest::CheckDibLayout(dib, c.width, c.height), "");
        const Picture got = avitest::FromDib(dib, c.width, c.height);
        const Picture want = avitest::RawFrame(raw, c.width, c.height, i);
        ASSERT_FALSE(want.bgr.empty());
        EXPECT_EQ(avitest::FirstDifference(got, avitest::RawFrame(decoded, c.width, c.height, i)), "")
            << "differs from the ffmpeg command line's decode";
        if (c.minPsnr == 0) {
            EXPECT_EQ(avitest::FirstDifference(got, want), "");
        } else {
            const double psnr = avitest::Psnr(got, want);
            RecordProperty(std::string("psnr_") + std::to_string(i), std::to_string(psnr));
            EXPECT_GE(psnr, c.minPsnr);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Codecs, CodecTest, ::testing::ValuesIn(kCodecCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Uncompressed DIB streams that ffmpeg does not write: each pixel value has one exact B,G,R.
struct DibCase {
    const char* name;
    uint16_t bitCount;
    uint32_t compression;
    bool topDown;
    std::function<uint32_t(uint32_t x, uint32_t y, uint32_t frame)> value;  // stored pixel value
    std::function<uint32_t(uint32_t value)> bgr;                           // expected 0x00RRGGBB
};

uint32_t Expand(uint32_t v, int bits) { return bits == 5 ? (v << 3 | v >> 2) : (v << 2 | v >> 4); }

uint32_t PaletteColour(uint32_t i) { return (i * 0x9E3779B1u) & 0x00FFFFFF; }

const DibCase kDibCases[] = {
    {"pal8", 8, 0, false,
     [](uint32_t x, uint32_t y, uint32_t f) { return (x * 7 + y * 13 + f * 31) & 0xFF; },
     [](uint32_t v) { return PaletteColour(v); }},
    {"rgb555", 16, 0, false,
     [](uint32_t x, uint32_t y, uint32_t f) { return (x * 1021 + y * 331 + f * 97) & 0x7FFF; },
     [](uint32_t v) { return Expand(v >> 10 & 31, 5) << 16 | Expand(v >> 5 & 31, 5) << 8 | Expand(v & 31, 5); }},
    {"rgb565_bitfields", 16, 3, false,
     [](uint32_t x, uint32_t y, uint32_t f) { return (x * 1021 + y * 331 + f * 97) & 0xFFFF; },
     [](uint32_t v) { return Expand(v >> 11 & 31, 5) << 16 | Expand(v >> 5 & 63, 6) << 8 | Expand(v & 31, 5); }},
    {"bgr24_bottom_up", 24, 0, false,
     [](uint32_t x, uint32_t y, uint32_t f) { return (x * 5 + f) << 16 | (y * 7) << 8 | ((x ^ y) & 0xFF); },
     [](uint32_t v) { return v & 0xFFFFFF; }},
    {"bgr24_top_down", 24, 0, true,
     [](uint32_t x, uint32_t y, uint32_t f) { return (x * 5 + f) << 16 | (y * 7) << 8 | ((x ^ y) & 0xFF); },
     [](uint32_t v) { return v & 0xFFFFFF; }},
    {"bgra32", 32, 0, false,
     [](uint32_t x, uint32_t y, uint32_t f) { return 0x80000000u | (x * 5 + f) << 16 | (y * 7) << 8 | ((x + y) & 0xFF); },
     [](uint32_t v) { return v & 0xFFFFFF; }},
};

class DibTest : public ::testing::TestWithParam<DibCase> {};

TEST_P(DibTest, EveryPixelValueComesOutExactly)
{
    const DibCase& c = GetParam();
    avi_writer::VideoStream v;
    v.width = 33;  // odd: rows of every depth carry padding
    v.height = 17;
    v.bitCount = c.bitCount;
    v.compression = c.compression;
    v.topDown = c.topDown;
    if (c.compression == 3)
        v.masks = {0xF800, 0x07E0, 0x001F};
    if (c.bitCount == 8)
        for (uint32_t i = 0; i < 256; ++i)
            v.palette.push_back(PaletteColour(i));
    constexpr uint32_t kFrames = 3;
    std::vector<avi_writer::Chunk> chunks;
    for (uint32_t f = 0; f < kFrames; ++f)
        chunks.push_back({avi_writer::PackRows(v, [&](uint32_t x, uint32_t y) { return c.value(x, y, f); })});
    const std::string path = fixtures::ScratchDir() + "/dib.avi";
    ASSERT_TRUE(avi_writer::WriteBytes(path, avi_writer::Make(v, chunks)));

    avitest::Opened o = avitest::Open(path);
    ASSERT_TRUE(o);
    for (uint32_t f : {2u, 0u, 1u}) {
        SCOPED_TRACE("frame " + std::to_string(f));
        const uint8_t* dib = o.source->GetFrame(f);
        ASSERT_NE(dib, nullptr) << o.source->LastError();
        EXPECT_EQ(avitest::CheckDibLayout(dib, v.width, v.height), "");
        Picture want;
        want.width = v.width;
        want.height = v.height;
        for (uint32_t y = 0; y < v.height; ++y)
            for (uint32_t x = 0; x < v.width; ++x) {
                const uint32_t rgb = c.bgr(c.value(x, y, f));
                want.bgr.push_back(rgb & 0xFF);
                want.bgr.push_back(rgb >> 8 & 0xFF);
                want.bgr.push_back(rgb >> 16 & 0xFF);
            }
        EXPECT_EQ(avitest::FirstDifference(avitest::FromDib(dib, v.width, v.height), want), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Uncompressed, DibTest, ::testing::ValuesIn(kDibCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
