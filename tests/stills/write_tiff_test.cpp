// The TIFF writers, WriteTiff (from a DIB) and WriteTiffRgb (from rows in the file's order):
// byte layout, rows, replacement of old files, failures that leave nothing behind, refusals,
// and an independent reader's view of the file. Both writers run every case that concerns the
// file rather than the pixel input.
#include "stills/write_tiff.h"

#include "support/fixtures.h"
#include "tiff_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <sstream>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace fs = std::filesystem;
using fixtures::ReadFile;
using tifftest::ExpectedFile;
using tifftest::PatternFrame;
using tifftest::SameBytes;

namespace {

// Restores the system calls however a test ends.
struct HookGuard {
    explicit HookGuard(TiffWriteHook hook) { SetTiffWriteHook(std::move(hook)); }
    explicit HookGuard(TiffWritevHook hook) { SetTiffWritevHook(std::move(hook)); }
    ~HookGuard() { SetTiffWriteHook({}); }
};

std::string Bytes(const std::string& file, size_t from, size_t count)
{
    return file.substr(from, count);
}

// One of the two writers, fed the picture of a bottom-up B,G,R frame in its own input layout
// (the DIB itself, or the file's pixel bytes as the layout tables give them).
struct Writer {
    const char* name;
    bool (*write)(const char* path, uint32_t w, uint32_t h, const std::vector<uint8_t>& dib);
};

bool FromDib(const char* path, uint32_t w, uint32_t h, const std::vector<uint8_t>& dib)
{
    return WriteTiff(path, w, h, dib.empty() ? nullptr : dib.data());
}

bool FromRgbRows(const char* path, uint32_t w, uint32_t h, const std::vector<uint8_t>& dib)
{
    if (dib.empty())
        return WriteTiffRgb(path, w, h, nullptr);
    const std::string rows = ExpectedFile(w, h, dib).substr(256);
    return WriteTiffRgb(path, w, h, reinterpret_cast<const uint8_t*>(rows.data()));
}

const Writer kWriters[] = {{"WriteTiff", FromDib}, {"WriteTiffRgb", FromRgbRows}};

class TiffWriter : public ::testing::TestWithParam<Writer> {
protected:
    bool Write(const std::string& path, uint32_t w, uint32_t h, const std::vector<uint8_t>& dib)
    {
        return GetParam().write(path.c_str(), w, h, dib);
    }
};

INSTANTIATE_TEST_SUITE_P(Writers, TiffWriter, ::testing::ValuesIn(kWriters),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(TiffWriter, Example320x240MatchesTheLayoutByteForByte)
{
    const auto frame = PatternFrame(320, 240);
    const std::string path = fixtures::ScratchDir() + "/a.tif";
    ASSERT_TRUE(Write(path, 320, 240, frame));
    const std::string file = ReadFile(path);
    ASSERT_EQ(file.size(), 230656u);
    EXPECT_EQ(Bytes(file, 42, 4), std::string("\x40\x01\x00\x00", 4));
    EXPECT_EQ(Bytes(file, 54, 4), std::string("\xF0\x00\x00\x00", 4));
    EXPECT_EQ(Bytes(file, 126, 4), std::string("\xF0\x00\x00\x00", 4));
    EXPECT_EQ(Bytes(file, 138, 4), std::string("\x00\x84\x03\x00", 4));
    EXPECT_EQ(Bytes(file, 210, 12), std::string("Stillcutter\0", 12));
    EXPECT_TRUE(SameBytes(ExpectedFile(320, 240, frame), file));
    EXPECT_EQ(TiffFileSize(320, 240), 230656u);
}

// Widths around the 4-pixel steps of the row conversion and strides with 1 to 3 bytes of
// padding; 321 is read at a stride of 964 and written at 963 bytes a row. Frames past 256 KB
// are written in pieces of whole rows: a short last piece (1001 x 300), one row a piece
// (65,535 wide).
TEST_P(TiffWriter, RowsAreFlippedSwappedAndUnpadded)
{
    const struct { uint32_t w, h; } sizes[] = {
        {321, 3}, {1, 1},  {2, 5},    {3, 2},     {4, 4},     {5, 3},      {6, 1},
        {7, 2},   {9, 3},  {13, 2},   {64, 48},   {640, 480}, {1001, 300}, {65535, 2},
    };
    const std::string dir = fixtures::ScratchDir();
    for (const auto& s : sizes) {
        SCOPED_TRACE(std::to_string(s.w) + "x" + std::to_string(s.h));
        const auto frame = PatternFrame(s.w, s.h);
        const std::string path = dir + "/f" + std::to_string(s.w) + ".tif";
        ASSERT_TRUE(Write(path, s.w, s.h, frame));
        const std::string file = ReadFile(path);
        EXPECT_EQ(file.size(), 256u + 3u * s.w * s.h);
        EXPECT_TRUE(SameBytes(ExpectedFile(s.w, s.h, frame), file));
    }
    EXPECT_EQ(tifftest::Stride(321), 964u);
    EXPECT_EQ(ReadFile(dir + "/f321.tif").size(), 256u + 963u * 3u);
}

TEST_P(TiffWriter, ZeroWidthOrHeightGivesTheHeaderAlone)
{
    const struct { uint32_t w, h; } sizes[] = {{0, 240}, {320, 0}, {0, 0}};
    const std::string dir = fixtures::ScratchDir();
    for (const auto& s : sizes) {
        SCOPED_TRACE(std::to_string(s.w) + "x" + std::to_string(s.h));
        const std::string path = dir + "/z.tif";
        ASSERT_TRUE(Write(path, s.w, s.h, {}));
        const std::string file = ReadFile(path);
        ASSERT_EQ(file.size(), 256u);
        EXPECT_TRUE(SameBytes(ExpectedFile(s.w, s.h, {}), file));
        EXPECT_EQ(Bytes(file, 138, 4), std::string(4, '\0'));
    }
}

TEST_P(TiffWriter, AnExistingLongerFileIsReplacedWhole)
{
    const std::string path = fixtures::ScratchDir() + "/old.tif";
    ASSERT_TRUE(fixtures::WriteFile(path, std::string(100000, 'x')));
    const auto frame = PatternFrame(8, 4);
    ASSERT_TRUE(Write(path, 8, 4, frame));
    EXPECT_TRUE(SameBytes(ExpectedFile(8, 4, frame), ReadFile(path)));
}

TEST_P(TiffWriter, APathIntoAMissingFolderFailsAndCreatesNothing)
{
    const std::string dir = fixtures::ScratchDir();
    const std::string path = dir + "/missing/a.tif";
    const auto frame = PatternFrame(4, 4);
    EXPECT_FALSE(Write(path, 4, 4, frame));
    EXPECT_FALSE(fs::exists(dir + "/missing"));
    EXPECT_TRUE(fs::is_empty(dir));
}

// Each hook fails the writing in its own way; none may leave a file behind, and an older file
// of the same name is gone too (it was truncated by the open).
TEST_P(TiffWriter, AFailedWriteLeavesNoFile)
{
    struct Case {
        const char* name;
        TiffWriteHook hook;
    };
    const Case cases[] = {
        {"no space at once", [](int, const void*, size_t) -> long { errno = ENOSPC; return -1; }},
        {"short write, then no space",
         [calls = std::make_shared<int>(0)](int fd, const void* p, size_t n) -> long {
             if ((*calls)++ == 0)
                 return ::write(fd, p, n / 2);
             errno = ENOSPC;
             return -1;
         }},
        {"no progress", [](int, const void*, size_t) -> long { return 0; }},
        {"I/O error", [](int, const void*, size_t) -> long { errno = EIO; return -1; }},
        {"no space after two pieces",
         [calls = std::make_shared<int>(0)](int fd, const void* p, size_t n) -> long {
             if ((*calls)++ < 2)
                 return ::write(fd, p, n);
             errno = ENOSPC;
             return -1;
         }},
    };
    const auto frame = PatternFrame(1280, 720);  // written in several pieces
    const std::string dir = fixtures::ScratchDir();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/x.tif";
        ASSERT_TRUE(fixtures::WriteFile(path, "older content"));
        HookGuard guard(c.hook);
        EXPECT_FALSE(Write(path, 1280, 720, frame));
        EXPECT_FALSE(fs::exists(path));
    }
}

// Interrupted and short writes are carried on until the file is whole.
TEST_P(TiffWriter, ShortAndInterruptedWritesStillGiveTheWholeFile)
{
    HookGuard guard{TiffWriteHook([calls = std::make_shared<int>(0)](int fd, const void* p, size_t n) -> long {
        if ((*calls)++ % 3 == 0) {
            errno = EINTR;
            return -1;
        }
        return ::write(fd, p, n < 10000 ? n : 10000);
    })};
    const auto frame = PatternFrame(640, 480);
    const std::string path = fixtures::ScratchDir() + "/s.tif";
    ASSERT_TRUE(Write(path, 640, 480, frame));
    EXPECT_TRUE(SameBytes(ExpectedFile(640, 480, frame), ReadFile(path)));
}

// A writev(2) may stop anywhere, also inside the header or between two of its pieces; the
// writers carry on from that byte.
TEST_P(TiffWriter, ShortVectorWritesResumeWhereTheyStopped)
{
    HookGuard guard{TiffWritevHook([calls = std::make_shared<size_t>(0)](int fd, const iovec* iov, int count) -> long {
        size_t budget = 100 + (997 * (*calls)++) % 70000;  // 100, 1097, 2094, ... bytes a call
        std::vector<iovec> part;
        for (int i = 0; i < count && budget > 0; ++i) {
            const size_t len = std::min(budget, iov[i].iov_len);
            part.push_back({iov[i].iov_base, len});
            budget -= len;
        }
        return ::writev(fd, part.data(), static_cast<int>(part.size()));
    })};
    const auto frame = PatternFrame(701, 300);  // more than one piece
    const std::string path = fixtures::ScratchDir() + "/v.tif";
    ASSERT_TRUE(Write(path, 701, 300, frame));
    EXPECT_TRUE(SameBytes(ExpectedFile(701, 300, frame), ReadFile(path)));
}

// Until its last byte is written a still is exactly as long as what reached it, so a run cut
// off at any point never leaves a file of a complete still's size (which a resumed run would
// take as done), whatever the writer reserves on the disk beforehand.
TEST_P(TiffWriter, TheFileIsNeverLongerThanWhatWasWritten)
{
    auto sizes = std::make_shared<std::vector<std::pair<off_t, off_t>>>();  // (size, written)
    auto written = std::make_shared<off_t>(0);
    HookGuard guard{TiffWritevHook([sizes, written](int fd, const iovec* iov, int count) -> long {
        struct stat st{};
        EXPECT_EQ(::fstat(fd, &st), 0);
        sizes->emplace_back(st.st_size, *written);
        const long done = static_cast<long>(::writev(fd, iov, count));
        if (done > 0)
            *written += done;
        return done;
    })};
    const auto frame = PatternFrame(1280, 720);  // several pieces
    const std::string path = fixtures::ScratchDir() + "/n.tif";
    ASSERT_TRUE(Write(path, 1280, 720, frame));
    ASSERT_GT(sizes->size(), 2u);
    for (const auto& [size, before] : *sizes)
        EXPECT_EQ(size, before);
    EXPECT_EQ(fs::file_size(path), 256u + 1280u * 720u * 3u);
}

// WriteTiff: a still up to 512 KB reaches the file in one write of header and pixels
// together; a larger one in pieces of whole rows of about 512 KB, the first starting with the
// header.
TEST(WriteTiff, WritesFewPieces)
{
    auto sizes = std::make_shared<std::vector<size_t>>();
    HookGuard guard{TiffWriteHook([sizes](int fd, const void* p, size_t n) -> long {
        sizes->push_back(n);
        return ::write(fd, p, n);
    })};
    const std::string dir = fixtures::ScratchDir();
    const auto small = PatternFrame(320, 240);
    ASSERT_TRUE(WriteTiff((dir + "/small.tif").c_str(), 320, 240, small.data()));
    EXPECT_EQ(*sizes, std::vector<size_t>{230656});
    sizes->clear();
    const auto large = PatternFrame(1280, 720);
    ASSERT_TRUE(WriteTiff((dir + "/large.tif").c_str(), 1280, 720, large.data()));
    const size_t rowsPerPiece = 512 * 1024 / 3840;
    ASSERT_EQ(sizes->size(), (720 + rowsPerPiece - 1) / rowsPerPiece);
    EXPECT_EQ(sizes->front(), 256 + rowsPerPiece * 3840);
    EXPECT_EQ(sizes->back(), 720 % rowsPerPiece * 3840);
    EXPECT_TRUE(SameBytes(ExpectedFile(1280, 720, large), ReadFile(dir + "/large.tif")));
}

// WriteTiffRgb: the header and the first 512 KB of the rows in one writev(2), the rest of the
// rows as they are in pieces of 512 KB; a still up to 512 KB of pixels in that one call.
TEST(WriteTiffRgb, WritesHeaderAndRowsInFewCalls)
{
    auto calls = std::make_shared<std::vector<std::vector<size_t>>>();
    HookGuard guard{TiffWritevHook([calls](int fd, const iovec* iov, int count) -> long {
        calls->emplace_back();
        for (int i = 0; i < count; ++i)
            calls->back().push_back(iov[i].iov_len);
        return ::writev(fd, iov, count);
    })};
    const std::string dir = fixtures::ScratchDir();
    const std::string small = ExpectedFile(320, 240, PatternFrame(320, 240));
    ASSERT_TRUE(WriteTiffRgb((dir + "/small.tif").c_str(), 320, 240,
                             reinterpret_cast<const uint8_t*>(small.data()) + 256));
    EXPECT_EQ(*calls, (std::vector<std::vector<size_t>>{{256, 230400}}));
    calls->clear();
    const std::string large = ExpectedFile(1280, 720, PatternFrame(1280, 720));
    ASSERT_TRUE(WriteTiffRgb((dir + "/large.tif").c_str(), 1280, 720,
                             reinterpret_cast<const uint8_t*>(large.data()) + 256));
    const size_t piece = 512 * 1024, pixels = 1280 * 720 * 3;
    ASSERT_EQ(calls->size(), (pixels + piece - 1) / piece);
    EXPECT_EQ(calls->front(), (std::vector<size_t>{256, piece}));
    for (size_t i = 1; i + 1 < calls->size(); ++i)
        EXPECT_EQ((*calls)[i], std::vector<size_t>{piece});
    EXPECT_EQ(calls->back(), std::vector<size_t>{pixels % piece});
    EXPECT_TRUE(SameBytes(large, ReadFile(dir + "/large.tif")));
}

// A device is never removed, also when writing to it fails (and even when the test runs as
// root, which could remove it).
TEST_P(TiffWriter, AFullDeviceFailsAndStaysInPlace)
{
    struct stat before{};
    if (::stat("/dev/full", &before) != 0 || !S_ISCHR(before.st_mode))
        GTEST_SKIP() << "no /dev/full on this machine";
    const auto frame = PatternFrame(16, 16);
    EXPECT_FALSE(Write("/dev/full", 16, 16, frame));
    struct stat after{};
    ASSERT_EQ(::stat("/dev/full", &after), 0) << "/dev/full was removed";
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_rdev, before.st_rdev);
}

// Frames that do not fit the 16-bit sizes or the 32-bit byte count are refused before
// anything is read or written (the pixel pointer is null).
TEST_P(TiffWriter, OversizedFramesAreRefusedAndNothingIsWritten)
{
    const struct { uint32_t w, h; } sizes[] = {
        {65536, 1}, {1, 65536}, {65535, 65535}, {37838, 37838}, {0xFFFFFFFFu, 0},
    };
    const std::string dir = fixtures::ScratchDir();
    for (const auto& s : sizes) {
        SCOPED_TRACE(std::to_string(s.w) + "x" + std::to_string(s.h));
        const std::string path = dir + "/big.tif";
        EXPECT_FALSE(Write(path, s.w, s.h, {}));
        EXPECT_FALSE(fs::exists(path));
    }
}

// Each thread keeps its own buffers: two threads writing frames of different sizes at once
// both get their own pictures.
TEST_P(TiffWriter, ThreadsWriteSideBySide)
{
    const std::string dir = fixtures::ScratchDir();
    std::atomic<int> failures{0};
    auto run = [&](uint32_t w, uint32_t h, const std::string& name) {
        const auto frame = PatternFrame(w, h);
        const std::string expected = ExpectedFile(w, h, frame);
        for (int i = 0; i < 20; ++i) {
            const std::string path = dir + "/" + name + std::to_string(i) + ".tif";
            if (!Write(path, w, h, frame) || ReadFile(path) != expected)
                ++failures;
        }
    };
    std::thread a(run, 64, 48, "a");
    std::thread b(run, 33, 17, "b");
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);
}

// libtiff (tiffinfo) reads the tags, and FFmpeg's own TIFF decoder the pixels: one RGB image
// of the frame's size, 8 bits a sample, 200 pixels an inch, top-left pixel taken from the
// first pixel of the last source row.
TEST_P(TiffWriter, IndependentReadersSeeTheFrame)
{
    if (fixtures::Run("command -v tiffinfo >/dev/null && command -v ffmpeg >/dev/null") != 0)
        GTEST_SKIP() << "tiffinfo or ffmpeg missing";
    const uint32_t w = 13, h = 7;
    const auto frame = PatternFrame(w, h);
    const std::string dir = fixtures::ScratchDir();
    const std::string path = dir + "/r.tif";
    ASSERT_TRUE(Write(path, w, h, frame));

    std::string info;
    ASSERT_EQ(fixtures::Run("tiffinfo '" + path + "'", &info), 0) << info;
    for (const char* line : {"Image Width: 13 Image Length: 7", "Resolution: 200, 200 pixels/inch",
                             "Bits/Sample: 8", "Compression Scheme: None",
                             "Photometric Interpretation: RGB color", "Samples/Pixel: 3",
                             "Rows/Strip: 7", "Software: Stillcutter"}) {
        EXPECT_NE(info.find(line), std::string::npos) << line << "\n" << info;
    }
    EXPECT_EQ(info.find("Warning"), std::string::npos) << info;
    EXPECT_EQ(info.find("rror"), std::string::npos) << info;
    std::string rgba;
    EXPECT_EQ(fixtures::Run("tiff2rgba '" + path + "' '" + dir + "/rgba.tif'", &rgba), 0) << rgba;

    std::string log;
    ASSERT_EQ(fixtures::Run("ffmpeg -nostdin -v error -i '" + path +
                                "' -f rawvideo -pix_fmt rgb24 -y '" + dir + "/r.rgb'",
                            &log),
              0)
        << log;
    const std::string rgb = ReadFile(dir + "/r.rgb");
    ASSERT_EQ(rgb.size(), 3u * w * h);
    const uint8_t* lastRow = frame.data() + (h - 1) * tifftest::Stride(w);
    EXPECT_EQ(static_cast<uint8_t>(rgb[0]), lastRow[2]);
    EXPECT_EQ(static_cast<uint8_t>(rgb[1]), lastRow[1]);
    EXPECT_EQ(static_cast<uint8_t>(rgb[2]), lastRow[0]);
    EXPECT_TRUE(SameBytes(ExpectedFile(w, h, frame).substr(256), rgb));
}

}  // namespace
