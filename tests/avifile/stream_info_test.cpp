// Rate, scale, length and frame rectangle as the AVI headers give them, and the frames of
// streams whose chunks are laid out in unusual ways (null chunks, no index, a start offset).
#include "avi_test_util.h"
#include "support/avi_writer.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kW = 8, kH = 6;

// Chunk c holds a 24-bit picture whose top-left pixel has blue = c + 1.
avi_writer::Chunk ChunkFor(const avi_writer::VideoStream& v, uint32_t c)
{
    return {avi_writer::PackRows(v, [c](uint32_t x, uint32_t y) { return (y * 20) << 16 | (x * 20) << 8 | (c + 1); })};
}

// Which chunk a frame shows: 0 for none (a null frame), else chunk + 1.
int ChunkShown(const uint8_t* dib, uint32_t width, uint32_t height)
{
    if (!dib)
        return 0;
    return avitest::FromDib(dib, width, height).bgr[0];
}

struct InfoCase {
    const char* name;
    avi_writer::VideoStream stream;
    std::vector<int> chunks;  // per chunk: 1 data, 0 null
    bool withAudio;
    uint32_t rate, scale, length;
    int32_t left, top, right, bottom;
    std::vector<int> frames;  // expected ChunkShown for frames 0 ... length - 1
};

avi_writer::VideoStream Stream(uint32_t rate = 25, uint32_t scale = 1)
{
    avi_writer::VideoStream v;
    v.width = kW;
    v.height = kH;
    v.rate = rate;
    v.scale = scale;
    return v;
}

template <typename F>
avi_writer::VideoStream With(F change)
{
    avi_writer::VideoStream v = Stream();
    change(v);
    return v;
}

const std::vector<InfoCase>& Cases()
{
    using V = avi_writer::VideoStream;
    static const std::vector<InfoCase> cases = {
        // name               stream                                                   chunks         audio  rate   scale  length  rectangle        frames
        {"pal_25",            Stream(25, 1),                                           {1, 1, 1},      false, 25,    1,     3,  0, 0, 8, 6,  {1, 2, 3}},
        {"ntsc_30000_1001",   Stream(30000, 1001),                                     {1, 1},         false, 30000, 1001,  2,  0, 0, 8, 6,  {1, 2}},
        {"rate_zero",         Stream(0, 1),                                            {1, 1},         false, 0,     1,     2,  0, 0, 8, 6,  {1, 2}},
        {"no_frames",         Stream(),                                                {},             false, 25,    1,     0,  0, 0, 8, 6,  {}},
        {"length_past_data",  With([](V& v) { v.length = 5; }),                        {1, 1},         false, 25,    1,     5,  0, 0, 8, 6,  {1, 2, 0, 0, 0}},
        {"length_short",      With([](V& v) { v.length = 2; }),                        {1, 1, 1, 1},   false, 25,    1,     2,  0, 0, 8, 6,  {1, 2}},
        {"empty_rectangle",   With([](V& v) { v.frame = avi_writer::Rect{0, 0, 0, 0}; }), {1},         false, 25,    1,     1,  0, 0, 8, 6,  {1}},
        {"offset_rectangle",  With([](V& v) { v.frame = avi_writer::Rect{2, 1, 10, 7}; }), {1},        false, 25,    1,     1,  2, 1, 10, 7, {1}},
        {"start_offset",      With([](V& v) { v.start = 5; }),                         {1, 1, 1},      false, 25,    1,     3,  0, 0, 8, 6,  {1, 2, 3}},
        {"opendml_total",     With([](V& v) { v.odmlTotalFrames = 4; }),               {1, 1, 1, 1},   false, 25,    1,     4,  0, 0, 8, 6,  {1, 2, 3, 4}},
        {"audio_stream_first", Stream(),                                               {1, 1},         true,  25,    1,     2,  0, 0, 8, 6,  {1, 2}},
        {"null_chunks",       Stream(),                                                {1, 0, 1, 1, 0, 0, 1}, false, 25, 1,  7,  0, 0, 8, 6,  {1, 1, 3, 4, 4, 4, 7}},
        {"null_chunks_first", Stream(),                                                {0, 0, 1, 1},   false, 25,    1,     4,  0, 0, 8, 6,  {0, 0, 3, 4}},
        {"null_chunks_no_index", With([](V& v) { v.index = false; }),                  {1, 0, 1, 0, 0, 1}, false, 25, 1,    6,  0, 0, 8, 6,  {1, 1, 3, 3, 3, 6}},
        {"null_chunks_last",  Stream(),                                                {1, 1, 0, 0},   false, 25,    1,     4,  0, 0, 8, 6,  {1, 2, 2, 2}},
        // Without an index nothing tells of null chunks after the last chunk with data.
        {"null_chunks_last_no_index", With([](V& v) { v.index = false; }),             {1, 1, 0, 0},   false, 25,    1,     4,  0, 0, 8, 6,  {1, 2, 0, 0}},
        {"no_index",          With([](V& v) { v.index = false; }),                     {1, 1, 1, 1},   false, 25,    1,     4,  0, 0, 8, 6,  {1, 2, 3, 4}},
        {"top_down",          With([](V& v) { v.topDown = true; }),                    {1, 1},         false, 25,    1,     2,  0, 0, 8, 6,  {1, 2}},
    };
    return cases;
}

class InfoTest : public ::testing::TestWithParam<InfoCase> {};

TEST_P(InfoTest, HeaderFieldsAndFrames)
{
    const InfoCase& c = GetParam();
    std::vector<avi_writer::Chunk> chunks;
    for (size_t i = 0; i < c.chunks.size(); ++i)
        chunks.push_back(c.chunks[i] ? ChunkFor(c.stream, static_cast<uint32_t>(i)) : avi_writer::Chunk{});
    const std::string path = fixtures::ScratchDir() + "/" + c.name + ".avi";
    ASSERT_TRUE(avi_writer::WriteBytes(path, avi_writer::Make(c.stream, chunks, c.withAudio)));

    avitest::Opened o = avitest::Open(path);
    ASSERT_TRUE(o.stream);
    const platform::AviStreamInfo& info = o.stream->Info();
    EXPECT_EQ(info.dwRate, c.rate);
    EXPECT_EQ(info.dwScale, c.scale);
    EXPECT_EQ(info.dwLength, c.length);
    EXPECT_EQ(info.left, c.left);
    EXPECT_EQ(info.top, c.top);
    EXPECT_EQ(info.right, c.right);
    EXPECT_EQ(info.bottom, c.bottom);
    ASSERT_TRUE(o.source);

    std::vector<int> forward, backward(c.length);
    for (uint32_t i = 0; i < c.length; ++i)
        forward.push_back(ChunkShown(o.source->GetFrame(i), o.width, o.height));
    EXPECT_EQ(forward, c.frames);
    for (uint32_t i = c.length; i-- > 0;)
        backward[i] = ChunkShown(o.source->GetFrame(i), o.width, o.height);
    EXPECT_EQ(backward, c.frames);
    EXPECT_EQ(o.source->GetFrame(c.length), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Headers, InfoTest, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// A frame rectangle of another size than the pictures: the picture's top-left part, or the
// whole picture with black beyond it.
TEST(StreamInfo, FramesTakeTheRectanglesSize)
{
    struct Row {
        int16_t right, bottom;
    };
    for (const Row& r : {Row{5, 4}, Row{11, 9}}) {
        avi_writer::VideoStream v = Stream();
        v.frame = avi_writer::Rect{0, 0, r.right, r.bottom};
        const std::string path = fixtures::ScratchDir() + "/rect.avi";
        ASSERT_TRUE(avi_writer::WriteBytes(path, avi_writer::Make(v, {ChunkFor(v, 0)})));
        avitest::Opened o = avitest::Open(path);
        ASSERT_TRUE(o);
        ASSERT_EQ(o.width, static_cast<uint32_t>(r.right));
        ASSERT_EQ(o.height, static_cast<uint32_t>(r.bottom));
        const uint8_t* dib = o.source->GetFrame(0);
        ASSERT_NE(dib, nullptr);
        EXPECT_EQ(avitest::CheckDibLayout(dib, o.width, o.height), "");
        const avitest::Picture p = avitest::FromDib(dib, o.width, o.height);
        for (uint32_t y = 0; y < o.height; ++y)
            for (uint32_t x = 0; x < o.width; ++x) {
                const uint8_t* px = p.Row(y) + 3 * x;
                const bool inside = x < kW && y < kH;
                EXPECT_EQ(px[0], inside ? 1 : 0) << x << "," << y;
                EXPECT_EQ(px[1], inside ? x * 20 : 0) << x << "," << y;
                EXPECT_EQ(px[2], inside ? y * 20 : 0) << x << "," << y;
            }
    }
}

// The rate and scale that ffmpeg writes for the usual frame rates.
TEST(StreamInfo, RatesWrittenByFfmpeg)
{
    struct Row {
        const char* rate;
        uint32_t dwRate, dwScale;
    };
    for (const Row& r : {Row{"25", 25, 1}, Row{"30000/1001", 30000, 1001}}) {
        const std::string path = fixtures::Video(std::string("rate_") + (r.dwScale == 1 ? "25" : "ntsc") + ".avi",
                                                 std::string("-f lavfi -i testsrc2=size=64x48:rate=") + r.rate +
                                                     " -frames:v 5 -c:v mjpeg");
        avitest::Opened o = avitest::Open(path);
        ASSERT_TRUE(o);
        EXPECT_EQ(o.stream->Info().dwRate, r.dwRate);
        EXPECT_EQ(o.stream->Info().dwScale, r.dwScale);
        EXPECT_EQ(o.stream->Info().dwLength, 5u);
        EXPECT_EQ(o.width, 64u);
        EXPECT_EQ(o.height, 48u);
    }
}

}  // namespace
