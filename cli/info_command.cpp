#include "commands.h"

#include "exit_status.h"
#include "video_input.h"

#include <cstdio>

int RunInfo(const CliOptions& options)
{
    const std::string& file = options.operands[0];
    VideoInput input;
    if (!OpenVideo(file, input))
        return kExitFailure;
    const StreamFacts& f = input.facts;
    std::printf("file: %s\n", file.c_str());
    std::printf("width: %lu\n", static_cast<unsigned long>(f.width));
    std::printf("height: %lu\n", static_cast<unsigned long>(f.height));
    std::printf("frames: %lu\n", static_cast<unsigned long>(f.frames));
    if (f.frames > 0)
        std::printf("last_frame: %lu\n", static_cast<unsigned long>(f.frames - 1));
    else
        std::printf("last_frame: none\n");
    std::printf("fps: %s\n", FormatFps(f.fps).c_str());
    std::printf("rate: %lu\n", static_cast<unsigned long>(f.rate));
    std::printf("scale: %lu\n", static_cast<unsigned long>(f.scale));
    std::printf("duration: %s\n", FormatDuration(f.frames, f.fps).c_str());
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return Fail(kExitFailure, "cannot write to standard output");
    return kExitOk;
}
