// Frame i is the i-th picture of a straight decode, whatever the order of fetches: checked the
// way FFmpeg's seek test does it, by decoding straight through with a checksum per frame and
// then jumping around. The straight decode itself is checked against the ffmpeg command line's.
#include "avi_test_util.h"
#include "platform/avifile/frame_engine.h"
#include "platform/avifile/riff_header.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using avitest::Picture;

constexpr uint32_t kWidth = 128, kHeight = 96;

struct AccuracyCase {
    const char* name;
    uint32_t frames;     // pictures given to the encoder
    const char* encode;  // ffmpeg options after the pattern
};

std::string Pattern(uint32_t frames)
{
    return "-f lavfi -i testsrc2=size=" + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
           ":rate=25 -frames:v " + std::to_string(frames);
}

// "select" drops pictures but keeps the others' timestamps; the AVI muxer fills the gaps with
// null chunks.
#define DROP(expr) " -vf \"select='not(" expr ")'\" -fps_mode passthrough "

const AccuracyCase kCases[] = {
    // name                    frames  encoder options
    {"mpeg4_open_gop",           200, "-c:v mpeg4 -q:v 5 -bf 2 -g 50"},
    {"mpeg4_closed_gop",         200, "-c:v mpeg4 -q:v 5 -bf 2 -g 50 -flags +cgop -sc_threshold 1000000000"},
    {"mpeg4_bf3_long_gop",       150, "-c:v mpeg4 -q:v 5 -bf 3 -g 120"},
    {"h264_open_gop",            200, "-c:v libx264 -preset veryfast -bf 3 -x264-params open-gop=1:keyint=30:min-keyint=30:scenecut=0"},
    {"h264_pyramid",             200, "-c:v libx264 -preset veryfast -bf 3 -b-pyramid normal -g 40"},
    {"msmpeg4_no_reorder",       120, "-c:v msmpeg4 -q:v 5 -g 25"},
    {"cinepak_keyframes",         40, "-c:v cinepak -g 10"},
    {"mjpeg_null_chunks",         60, DROP("between(n\\,10\\,12)+eq(n\\,30)") "-c:v mjpeg"},
    {"mpeg4_null_chunks",         80, DROP("between(n\\,20\\,21)+eq(n\\,45)") "-c:v mpeg4 -q:v 5 -bf 2 -g 12"},
};

class AccuracyTest : public ::testing::TestWithParam<AccuracyCase> {
protected:
    void SetUp() override
    {
        const AccuracyCase& c = GetParam();
        m_avi = fixtures::Video(std::string(c.name) + ".avi", Pattern(c.frames) + " " + c.encode);
        ASSERT_FALSE(m_avi.empty());
        m_cli = fixtures::ReadFile(fixtures::Video(std::string("decoded_") + c.name + ".bgr",
                                                    "-i " + m_avi + " -fps_mode passthrough -f rawvideo -pix_fmt bgr24"));
    }
    std::string m_avi;
    std::string m_cli;  // the ffmpeg command line's straight decode: no null chunks in it
};

TEST_P(AccuracyTest, StraightDecodeIsTheCommandLinesWithNullChunksRepeated)
{
    avitest::Opened o = avitest::Open(m_avi);
    ASSERT_TRUE(o);
    const uint32_t cliFrames = static_cast<uint32_t>(m_cli.size() / (kWidth * kHeight * 3));
    ASSERT_GE(o.length, cliFrames);
    // Every chunk is a frame: the count is the header's length, and a null chunk shows the
    // picture before it again.
    uint32_t matched = 0, repeats = 0;
    Picture previous;
    for (uint32_t i = 0; i < o.length; ++i) {
        const uint8_t* dib = o.source->GetFrame(i);
        ASSERT_NE(dib, nullptr) << "frame " << i << ": " << o.source->LastError();
        const Picture got = avitest::FromDib(dib, kWidth, kHeight);
        if (matched < cliFrames && got.bgr == avitest::RawFrame(m_cli, kWidth, kHeight, matched).bgr)
            ++matched;
        else if (i > 0 && got.bgr == previous.bgr)
            ++repeats;
        else
            FAIL() << "frame " << i << " is neither the next decoded picture (" << matched << ") nor a repeat";
        previous = got;
    }
    EXPECT_EQ(matched, cliFrames);
    EXPECT_EQ(repeats, o.length - cliFrames);
    EXPECT_EQ(o.source->GetFrame(o.length), nullptr);
}

TEST_P(AccuracyTest, FramesAfterJumpsEqualTheStraightDecode)
{
    avitest::Opened straight = avitest::Open(m_avi);
    ASSERT_TRUE(straight);
    const uint32_t n = straight.length;
    const std::vector<uint64_t> sums = avitest::SequentialChecksums(*straight.source, kWidth, kHeight, n);

    // The last frame, frame 0, both sides of keyframe positions, runs backwards and random jumps.
    std::vector<uint32_t> order = {n - 1, 0, n / 2, n / 2 - 1, n / 2 + 1, 1, n - 2};
    for (uint32_t k : {10u, 12u, 25u, 30u, 40u, 50u, 100u, 120u, 150u})
        if (k + 1 < n)
            order.insert(order.end(), {k, k - 1, k + 1, k - 2});
    for (uint32_t i = n - 1; i + 10 > n && i > 0; --i)
        order.push_back(i - 1);
    std::mt19937 random(12345);
    for (int i = 0; i < 40; ++i)
        order.push_back(static_cast<uint32_t>(random() % n));

    for (bool fresh : {true, false}) {
        // A fresh source, and the one that has just decoded everything.
        avitest::Opened jumping = fresh ? avitest::Open(m_avi) : std::move(straight);
        ASSERT_TRUE(jumping);
        for (uint32_t i : order) {
            EXPECT_EQ(avitest::DibChecksum(jumping.source->GetFrame(i), kWidth, kHeight), sums[i])
                << "frame " << i << (fresh ? " (fresh source)" : "") << ": " << jumping.source->LastError();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, AccuracyTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The engine itself: how much it reads and when it seeks.
std::unique_ptr<platform::avi::FrameEngine> OpenEngine(const std::string& path)
{
    avitest::Opened o = avitest::Open(path);
    if (!o)
        return nullptr;
    platform::avi::EngineSetup setup;
    setup.path = path;
    setup.header = platform::avi::ReadRiffHeader(path);
    setup.length = o.length;
    setup.width = o.width;
    setup.height = o.height;
    std::string error;
    return platform::avi::FrameEngine::Open(setup, error);
}

std::string Fixture(const char* name)
{
    for (const AccuracyCase& c : kCases)
        if (std::string(c.name) == name)
            return fixtures::Video(std::string(c.name) + ".avi", Pattern(c.frames) + " " + c.encode);
    return "";
}

TEST(FrameEngine, ReadingInOrderAndShortJumpsForwardNeverSeek)
{
    auto engine = OpenEngine(Fixture("mpeg4_open_gop"));
    ASSERT_TRUE(engine);
    platform::avi::FrameImage dib(platform::FrameLayout::Dib, kWidth, kHeight);
    for (uint32_t i = 0; i < 120; ++i)
        ASSERT_TRUE(engine->Fetch(i, dib)) << i;
    // Forward within the region of keyframe 100, then across keyframe 150 from inside the
    // region before it: a seek would start no later than the chunks already read.
    for (uint32_t i : {125u, 140u, 149u, 151u, 160u, 199u})
        ASSERT_TRUE(engine->Fetch(i, dib)) << i;
    EXPECT_EQ(engine->Stats().seeks, 1u);  // the one positioning before frame 0
    EXPECT_EQ(engine->Stats().packets, 200u);
}

TEST(FrameEngine, JumpsIntoClosedGopsSeekStraightToTheirKeyframe)
{
    struct Row {
        const char* fixture;
        bool closed;
    };
    for (const Row& row : {Row{"mpeg4_closed_gop", true}, Row{"mpeg4_open_gop", false}}) {
        SCOPED_TRACE(row.fixture);
        auto engine = OpenEngine(Fixture(row.fixture));
        ASSERT_TRUE(engine);
        platform::avi::FrameImage dib(platform::FrameLayout::Dib, kWidth, kHeight);
        // A first visit decodes from the keyframe before (100) and learns how region 150 opens.
        ASSERT_TRUE(engine->Fetch(160, dib));
        ASSERT_TRUE(engine->Fetch(20, dib));
        const uint64_t before = engine->Stats().packets;
        ASSERT_TRUE(engine->Fetch(165, dib));
        const uint64_t read = engine->Stats().packets - before;
        if (row.closed)
            EXPECT_LT(read, 40u) << "should start at keyframe 150";
        else
            EXPECT_GT(read, 60u) << "must start at keyframe 100 for the open GOP's leading pictures";
    }
}

}  // namespace
