// Decoding ahead for an announced run gives the frames that plain fetching gives; a fetch out
// of the run ends it; the frame handed out stays put while the thread decodes on.
#include "avi_test_util.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

struct Source {
    const char* name;
    const char* args;
};

const Source kSources[] = {
    {"mpeg4", "-f lavfi -i testsrc2=size=128x96:rate=25 -frames:v 120 -c:v mpeg4 -q:v 5 -bf 2 -g 30"},
    {"mjpeg_nulls", "-f lavfi -i testsrc2=size=96x64:rate=25 -frames:v 40 -vf \"select='not(between(n\\,5\\,7))'\" "
                    "-fps_mode passthrough -c:v mjpeg"},
};

class ReadAheadTest : public ::testing::TestWithParam<Source> {
protected:
    void SetUp() override
    {
        m_path = fixtures::Video(std::string("readahead_") + GetParam().name + ".avi", GetParam().args);
        avitest::Opened plain = avitest::Open(m_path);
        ASSERT_TRUE(plain);
        m_sums = avitest::SequentialChecksums(*plain.source, plain.width, plain.height, plain.length);
    }
    std::string m_path;
    std::vector<uint64_t> m_sums;
};

TEST_P(ReadAheadTest, AnnouncedRunGivesThePlainFrames)
{
    avitest::Opened o = avitest::Open(m_path);
    ASSERT_TRUE(o);
    o.source->ReadAhead(0, o.length - 1);
    for (uint32_t i = 0; i < o.length; ++i)
        ASSERT_EQ(avitest::DibChecksum(o.source->GetFrame(i), o.width, o.height), m_sums[i]) << "frame " << i;
    EXPECT_EQ(o.source->GetFrame(o.length), nullptr);
}

TEST_P(ReadAheadTest, FetchOutOfTheRunEndsIt)
{
    avitest::Opened o = avitest::Open(m_path);
    ASSERT_TRUE(o);
    const uint32_t n = o.length;
    auto check = [&](uint32_t i) {
        EXPECT_EQ(avitest::DibChecksum(o.source->GetFrame(i), o.width, o.height), m_sums[i]) << "frame " << i;
    };
    o.source->ReadAhead(5, n - 1);
    for (uint32_t i = 5; i < 15; ++i)
        check(i);
    check(14);        // the frame on hand again: the run goes on
    check(15);
    check(n * 3 / 4);  // a jump ahead: plain fetching from here
    check(n * 3 / 4 + 1);
    check(2);          // and back
    // A new run from the middle, broken off by a jump back at once.
    o.source->ReadAhead(n / 2, n - 1);
    check(n / 2);
    check(n / 2 + 1);
    check(1);
    // A run past the end is cut at the last frame.
    o.source->ReadAhead(n - 3, n + 50);
    for (uint32_t i = n - 3; i < n; ++i)
        check(i);
    EXPECT_EQ(o.source->GetFrame(n), nullptr);
}

TEST_P(ReadAheadTest, FrameHandedOutStaysUntilTheNextFetch)
{
    avitest::Opened o = avitest::Open(m_path);
    ASSERT_TRUE(o);
    o.source->ReadAhead(0, o.length - 1);
    for (uint32_t i = 0; i < 4; ++i) {
        const uint8_t* dib = o.source->GetFrame(i);
        ASSERT_NE(dib, nullptr);
        // Meanwhile the thread fills every buffer it may use.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        EXPECT_EQ(avitest::DibChecksum(dib, o.width, o.height), m_sums[i]) << "frame " << i;
    }
}

TEST_P(ReadAheadTest, DestroyedWhileReadingAhead)
{
    for (uint32_t fetched : {0u, 1u, 3u}) {
        avitest::Opened o = avitest::Open(m_path);
        ASSERT_TRUE(o);
        o.source->ReadAhead(0, o.length - 1);
        for (uint32_t i = 0; i < fetched; ++i)
            ASSERT_NE(o.source->GetFrame(i), nullptr);
        o.source.reset();  // joins the thread
        o.stream.reset();
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, ReadAheadTest, ::testing::ValuesIn(kSources),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
