// Files that are not AVI files, hold no video, or are damaged or cut short: a failed open or
// null frames, never a crash, a hang or a read out of bounds (these also run under ASan).
#include "avi_test_util.h"
#include "support/avi_writer.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace {

const char* const kMpeg4 = "-f lavfi -i testsrc2=size=128x96:rate=25 -frames:v 60 -c:v mpeg4 -q:v 5 -bf 2 -g 20";
const char* const kMjpeg = "-f lavfi -i testsrc2=size=128x96:rate=25 -frames:v 30 -c:v mjpeg";

std::string Scratch(const std::string& name, const std::string& bytes)
{
    const std::string path = fixtures::ScratchDir() + "/" + name;
    EXPECT_TRUE(fixtures::WriteFile(path, bytes));
    return path;
}

TEST(DamagedFiles, WhatIsNoAviVideoDoesNotOpen)
{
    struct Row {
        const char* name;
        std::string path;
    };
    const Row rows[] = {
        {"zero bytes", Scratch("empty.avi", "")},
        {"text", Scratch("text.avi", "This is no video at all, just some text.\n")},
        {"RIFF header only", Scratch("riff.avi", std::string("RIFF\x04\0\0\0AVI ", 12))},
        {"MP4 named .avi", fixtures::Video("mp4_named.avi", "-f lavfi -i testsrc2=size=64x48:rate=25 -frames:v 5 -c:v mpeg4 -f mp4")},
        {"WAV named .avi", fixtures::Video("wav_named.avi", "-f lavfi -i sine=duration=0.2 -c:a pcm_s16le -f wav")},
        {"audio only", fixtures::Video("audio_only.avi", "-f lavfi -i sine=duration=0.5 -c:a pcm_s16le")},
        {"missing file", fixtures::ScratchDir() + "/does-not-exist.avi"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        std::string error;
        EXPECT_EQ(platform::AviStream::Open(r.path, &error), nullptr);
        EXPECT_FALSE(error.empty());
    }
}

TEST(DamagedFiles, UnknownCompressionOpensTheStreamButNoDecoder)
{
    avi_writer::VideoStream v;
    v.width = 16;
    v.height = 16;
    v.compression = 'X' | 'Y' << 8 | 'Z' << 16 | 'W' << 24;
    const std::string path = Scratch("unknown.avi", avi_writer::Make(v, {{std::string(100, '\x5A')}}));
    auto stream = platform::AviStream::Open(path);
    ASSERT_NE(stream, nullptr);
    std::string error;
    EXPECT_EQ(platform::AviFrameSource::Open(*stream, &error), nullptr);
    EXPECT_NE(error.find("XYZW"), std::string::npos) << error;
}

// Every frame of a file fetched forwards, then some backwards: each either null or a DIB of
// the stream's layout.
void FetchEverything(const std::string& path)
{
    avitest::Opened o = avitest::Open(path);
    if (!o)
        return;  // refusing the file is a right answer too
    const uint32_t n = std::min<uint32_t>(o.length, 500);
    for (uint32_t i = 0; i < n + 2; ++i) {
        const uint8_t* dib = o.source->GetFrame(i);
        if (dib) {
            ASSERT_EQ(avitest::CheckDibLayout(dib, o.width, o.height), "") << "frame " << i;
        }
    }
    for (int64_t i = int64_t{n} - 1; i >= 0; i -= 7) {
        const uint8_t* dib = o.source->GetFrame(static_cast<uint32_t>(i));
        if (dib) {
            ASSERT_EQ(avitest::CheckDibLayout(dib, o.width, o.height), "") << "frame " << i;
        }
    }
}

TEST(DamagedFiles, OverwrittenBytesGiveNullOrWholeFrames)
{
    for (const char* args : {kMpeg4, kMjpeg}) {
        const std::string intact = fixtures::ReadFile(fixtures::Video(args == kMpeg4 ? "damage_mpeg4.avi" : "damage_mjpeg.avi", args));
        ASSERT_FALSE(intact.empty());
        std::mt19937 random(7);
        // Header fields, the stream format, the middle of the data, the index; zeros, 0xFF and noise.
        for (double at : {0.0005, 0.002, 0.01, 0.3, 0.5, 0.75, 0.97, 0.995}) {
            for (int fill : {0x00, 0xFF, -1}) {
                SCOPED_TRACE(std::string(args) + " at " + std::to_string(at) + " fill " + std::to_string(fill));
                std::string bytes = intact;
                const size_t from = static_cast<size_t>(at * static_cast<double>(bytes.size()));
                for (size_t i = from; i < std::min(bytes.size(), from + 600); ++i)
                    bytes[i] = static_cast<char>(fill >= 0 ? fill : static_cast<int>(random() & 0xFF));
                FetchEverything(Scratch("damaged.avi", bytes));
            }
        }
    }
}

TEST(DamagedFiles, CutShortFilesKeepTheFramesTheyHold)
{
    for (const char* args : {kMpeg4, kMjpeg}) {
        SCOPED_TRACE(args);
        const std::string intactPath = fixtures::Video(args == kMpeg4 ? "cut_mpeg4.avi" : "cut_mjpeg.avi", args);
        avitest::Opened intact = avitest::Open(intactPath);
        ASSERT_TRUE(intact);
        const std::vector<uint64_t> sums =
            avitest::SequentialChecksums(*intact.source, intact.width, intact.height, intact.length);

        // Cut in the middle of the movi list: no index, the header still counts every frame.
        const std::string bytes = fixtures::ReadFile(intactPath);
        avitest::Opened cut = avitest::Open(Scratch("cut.avi", bytes.substr(0, bytes.size() / 2)));
        ASSERT_TRUE(cut);
        EXPECT_EQ(cut.length, intact.length);
        std::vector<uint64_t> got = avitest::SequentialChecksums(*cut.source, cut.width, cut.height, cut.length);
        uint32_t kept = 0;
        while (kept < got.size() && got[kept] != 0)
            ++kept;
        EXPECT_GT(kept, intact.length / 4);
        EXPECT_LT(kept, intact.length);
        // The frames it holds are the intact file's, after jumps too; the rest are null. The
        // last frames before the cut may show the damage (B-frames refer to the cut one).
        constexpr uint32_t kNearCut = 3;
        for (uint32_t i = 0; i + kNearCut < kept; ++i)
            EXPECT_EQ(got[i], sums[i]) << "frame " << i;
        for (uint32_t i = kept; i < cut.length; ++i)
            EXPECT_EQ(got[i], 0u) << "frame " << i;
        for (uint32_t i : {kept - 1, 0u, kept / 2, cut.length - 1, 1u, kept - kNearCut - 1, kept})
            EXPECT_EQ(avitest::DibChecksum(cut.source->GetFrame(i), cut.width, cut.height),
                      i + kNearCut < kept ? sums[i] : got[i])
                << "frame " << i;
    }
}

TEST(DamagedFiles, CutAnywhereNeverCrashes)
{
    const std::string bytes = fixtures::ReadFile(fixtures::Video("cut_anywhere.avi", kMpeg4));
    ASSERT_FALSE(bytes.empty());
    for (size_t cut : {size_t{0}, size_t{11}, size_t{100}, size_t{300}, size_t{2000}, bytes.size() / 3, bytes.size() - 20}) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        FetchEverything(Scratch("cut.avi", bytes.substr(0, cut)));
    }
}

}  // namespace
