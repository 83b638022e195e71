#include "cli_fixtures.h"

#include "platform/avifile/avifile.h"
#include "stills/frame_file_name.h"
#include "stills/write_tiff.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace clitest {

std::string ShortClip()
{
    return fixtures::Video("cli_ffv1_64x48_25.avi",
                           "-f lavfi -i testsrc=size=64x48:rate=25 -frames:v 30 -c:v ffv1");
}

std::string NtscClip()
{
    return fixtures::Video("cli_ffv1_64x48_ntsc.avi",
                           "-f lavfi -i testsrc=size=64x48:rate=30000/1001 -frames:v 40 -c:v ffv1");
}

std::string SlowClip()
{
    return fixtures::Video("cli_ffv1_64x48_half.avi",
                           "-f lavfi -i testsrc=size=64x48:rate=1/2 -frames:v 3 -c:v ffv1");
}

std::string SoundOnlyClip()
{
    return fixtures::Video("cli_sound_only.avi", "-f lavfi -i sine=duration=1 -c:a pcm_s16le");
}

std::string LongClip()
{
    return fixtures::Video("cli_mpeg4_320x240_300.avi",
                           "-f lavfi -i testsrc=size=320x240:rate=25 -frames:v 300 -c:v mpeg4 -q:v 4");
}

std::map<std::string, std::string> FolderFiles(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = fixtures::ReadFile(entry.path().string());
    return files;
}

std::string StillName(uint32_t frame, double fps)
{
    return MakeFrameFileName("", frame, fps).substr(1);
}

std::map<std::string, std::string> ReferenceStills(const std::string& clip, uint32_t first,
                                                   uint32_t last)
{
    std::map<std::string, std::string> stills;
    std::string error;
    auto stream = platform::AviStream::Open(clip, &error);
    if (!stream) {
        ADD_FAILURE() << "cannot open " << clip << ": " << error;
        return stills;
    }
    auto source = platform::AviFrameSource::Open(*stream, &error);
    if (!source) {
        ADD_FAILURE() << "cannot decode " << clip << ": " << error;
        return stills;
    }
    const platform::AviStreamInfo& info = stream->Info();
    const uint32_t width = static_cast<uint32_t>(info.right - info.left);
    const uint32_t height = static_cast<uint32_t>(info.bottom - info.top);
    const double fps = static_cast<double>(info.dwRate) / info.dwScale;
    const std::string folder = fixtures::ScratchDir();
    for (uint32_t i = first; i <= last; ++i) {
        const uint8_t* dib = source->GetFrame(i);
        if (!dib) {
            ADD_FAILURE() << "frame " << i << " of " << clip << ": " << source->LastError();
            return {};
        }
        const uint32_t headerSize = dib[0] | dib[1] << 8 | dib[2] << 16 | uint32_t{dib[3]} << 24;
        const std::string name = StillName(i, fps);
        EXPECT_TRUE(WriteTiff((folder + "/" + name).c_str(), width & 0xFFFF, height & 0xFFFF,
                              dib + headerSize));
        stills[name] = fixtures::ReadFile(folder + "/" + name);
    }
    return stills;
}

}  // namespace clitest
