// Frame-source benchmark: sequential fetching (with and without read-ahead, as DIBs and as the
// stills' R,G,B rows, bare and writing every frame as a still the way the dialog program's
// batch and stillcutter-cli do), the latency of random fetches, and, side by side in the same
// run, the ffmpeg command line decoding the same file to raw BGR24. Makes its own fixtures with the ffmpeg command line.
//
//     bench_frames [--work DIR] [--rounds N] [--random N] [--only NAME]
//
// A benchmark, not a test: it measures and reports; a missed goal is marked, not failed.
#include "bench_fixture.h"
#include "platform/avifile/avifile.h"
#include "stills/write_tiff.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

using bench::Fixture;

const Fixture kFixtures[] = {
    {"mjpeg_1280x720", "1280x720", "-c:v mjpeg -q:v 3 -pix_fmt yuvj420p"},
    {"mpeg4_1920x1080_g250_bf2", "1920x1080", "-c:v mpeg4 -q:v 4 -g 250 -bf 2 -pix_fmt yuv420p"},
};
constexpr int kFrames = 300;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

struct Source {
    std::unique_ptr<platform::AviStream> stream;
    std::unique_ptr<platform::AviFrameSource> frames;
    uint32_t width = 0, height = 0, length = 0;
};

Source Open(const std::string& path)
{
    Source s;
    s.stream = platform::AviStream::Open(path);
    if (!s.stream)
        return s;
    const auto& info = s.stream->Info();
    s.width = static_cast<uint32_t>(info.right - info.left);
    s.height = static_cast<uint32_t>(info.bottom - info.top);
    s.length = info.dwLength;
    s.frames = platform::AviFrameSource::Open(*s.stream);
    return s;
}

// How a sequential pass fetches frames and what it does with each.
enum class Pass {
    Dib,             // GetFrame, nothing else
    DibAhead,        // GetFrame with ReadAhead
    RgbAhead,        // GetFrameRgb with ReadAhead in the Rgb layout
    DibAheadStills,  // ... and WriteTiff of each DIB (the dialog program's batch today)
    RgbAheadStills,  // ... and WriteTiffRgb of each frame's rows (stillcutter-cli convert)
};

// Frames per second of fetching every frame in order; 0 when a frame fails. Stills go into
// the folder `stills`, one new file a frame as in a batch, and are removed after the pass.
double Sequential(const std::string& path, Pass pass, const std::string& stills)
{
    Source s = Open(path);
    if (!s.frames)
        return 0;
    const bool rgb = pass == Pass::RgbAhead || pass == Pass::RgbAheadStills;
    const auto start = Clock::now();
    if (pass != Pass::Dib)
        s.frames->ReadAhead(0, s.length - 1, rgb ? platform::FrameLayout::Rgb : platform::FrameLayout::Dib);
    for (uint32_t i = 0; i < s.length; ++i) {
        const uint8_t* frame = rgb ? s.frames->GetFrameRgb(i) : s.frames->GetFrame(i);
        if (!frame) {
            std::fprintf(stderr, "frame %u failed: %s\n", i, s.frames->LastError().c_str());
            return 0;
        }
        bool written = true;
        const std::string still = stills + "/" + std::to_string(i) + ".tif";
        if (pass == Pass::DibAheadStills)
            written = WriteTiff(still.c_str(), s.width, s.height, frame + platform::kDibHeaderSize);
        else if (pass == Pass::RgbAheadStills)
            written = WriteTiffRgb(still.c_str(), s.width, s.height, frame);
        if (!written) {
            std::fprintf(stderr, "cannot write %s\n", still.c_str());
            return 0;
        }
    }
    const double fps = s.length / Seconds(start);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(stills, ec))
        fs::remove(entry.path(), ec);
    return fps;
}

struct Latency {
    double median = 0, p95 = 0;
};

// Latencies of random fetches on a fresh source (cold) or after one pass in order (warm).
Latency Random(const std::string& path, int count, bool warm)
{
    Source s = Open(path);
    if (!s.frames)
        return {};
    if (warm)
        for (uint32_t i = 0; i < s.length; ++i)
            s.frames->GetFrame(i);
    std::mt19937 random(42);
    std::vector<double> ms;
    for (int k = 0; k < count; ++k) {
        const uint32_t i = static_cast<uint32_t>(random() % s.length);
        const auto start = Clock::now();
        s.frames->GetFrame(i);
        ms.push_back(Seconds(start) * 1000);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 95 / 100)]};
}

double CommandLine(const std::string& path)
{
    const std::string cmd = "ffmpeg -nostdin -v error -i '" + path + "' -f rawvideo -pix_fmt bgr24 -y /dev/null";
    const auto start = Clock::now();
    if (std::system(cmd.c_str()) != 0)
        return 0;
    return kFrames / Seconds(start);
}

template <typename F>
double Best(int rounds, F run)
{
    double best = 0;
    for (int r = 0; r < rounds; ++r)
        best = std::max(best, run());
    return best;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string work = (fs::temp_directory_path() / "stillcutter-bench-frames").string();
    int rounds = 3, randomCount = 40;
    std::string only;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--work")
            work = argv[i + 1];
        else if (a == "--rounds")
            rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (a == "--random")
            randomCount = std::max(1, std::atoi(argv[i + 1]));
        else if (a == "--only")
            only = argv[i + 1];
    }
    fs::create_directories(work);
    const std::string out = work + "/stills";
    fs::create_directories(out);

    for (const Fixture& f : kFixtures) {
        if (!only.empty() && only != f.name)
            continue;
        const std::string path = work + "/" + f.name + ".avi";
        if (!bench::MakeFixture(f, path, kFrames)) {
            std::fprintf(stderr, "ffmpeg could not make %s\n", path.c_str());
            return 1;
        }
        // Interleaved rounds, best of each, so that all measurements see the same machine.
        double cli = 0, plain = 0, ahead = 0, aheadRgb = 0, dibStills = 0, rgbStills = 0;
        for (int r = 0; r < rounds; ++r) {
            cli = std::max(cli, CommandLine(path));
            plain = std::max(plain, Sequential(path, Pass::Dib, out));
            ahead = std::max(ahead, Sequential(path, Pass::DibAhead, out));
            aheadRgb = std::max(aheadRgb, Sequential(path, Pass::RgbAhead, out));
            dibStills = std::max(dibStills, Sequential(path, Pass::DibAheadStills, out));
            rgbStills = std::max(rgbStills, Sequential(path, Pass::RgbAheadStills, out));
        }
        const Latency cold = Random(path, randomCount, false);
        const Latency warm = Random(path, randomCount, true);
        std::printf("\n%s (%d frames, best of %d rounds)\n", f.name, kFrames, rounds);
        std::printf("  ffmpeg -f rawvideo -pix_fmt bgr24 /dev/null   %7.1f frames/s\n", cli);
        std::printf("  sequential GetFrame                           %7.1f frames/s  %s\n", plain,
                    plain >= cli ? "(goal met: >= ffmpeg)" : "(GOAL MISSED: slower than ffmpeg)");
        std::printf("  sequential GetFrame with ReadAhead            %7.1f frames/s  %s\n", ahead,
                    ahead >= cli ? "(goal met: >= ffmpeg)" : "(GOAL MISSED: slower than ffmpeg)");
        std::printf("  sequential GetFrameRgb with ReadAhead (Rgb)   %7.1f frames/s\n", aheadRgb);
        std::printf("  ... GetFrame, ReadAhead, WriteTiff each       %7.1f frames/s\n", dibStills);
        std::printf("  ... GetFrameRgb, ReadAhead, WriteTiffRgb each %7.1f frames/s\n", rgbStills);
        std::printf("  random GetFrame, fresh source   median %7.1f ms   95th percentile %7.1f ms\n", cold.median, cold.p95);
        std::printf("  random GetFrame, after a pass   median %7.1f ms   95th percentile %7.1f ms\n", warm.median, warm.p95);
    }
    std::error_code ec;
    fs::remove_all(out, ec);
    return 0;
}
