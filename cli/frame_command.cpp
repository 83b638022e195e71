#include "commands.h"

#include "exit_status.h"
#include "frame_checks.h"
#include "interrupt.h"
#include "output_space.h"
#include "stills/write_tiff.h"
#include "video_input.h"

#include <cerrno>

namespace {

// The folder that holds `path` ("." for a bare name).
std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

int RunFrame(const CliOptions& options)
{
    const std::string& file = options.operands[0];
    const uint64_t index = ParsePlainNumber(options.operands[1]).value_or(0);
    const std::string& out = options.operands[2];
    VideoInput input;
    if (!OpenVideo(file, input))
        return kExitFailure;
    const StreamFacts& facts = input.facts;
    if (index >= facts.frames) {
        const std::string has = facts.frames == 0 ? "it has no frames"
                                                  : "its frames are 0 to " + std::to_string(facts.frames - 1);
        return Fail(kExitFailure, std::to_string(index) + " is not a frame of '" + file + "': " + has);
    }
    if (!CheckSavingRate(file, facts) || !CheckStillSize(facts) || !OpenDecoder(file, input))
        return kExitFailure;
    const uint64_t fileSize = TiffFileSize(facts.width, facts.height);
    const SpacePlan plan = PlanOutput(FolderOf(out), 0, 0, fileSize, false,
                                      [&](uint32_t) { return out; });
    if (!CheckRoom(FolderOf(out), plan))
        return kExitFailure;

    InstallInterruptHandlers();
    const uint32_t frame = static_cast<uint32_t>(index);
    const uint8_t* rgb = input.frames->GetFrameRgb(frame);
    if (!rgb)
        return Fail(kExitFailure, "cannot decode frame " + std::to_string(frame) + " of '" + file +
                                      "': " + input.frames->LastError());
    errno = 0;
    if (!WriteTiffRgb(out.c_str(), facts.width, facts.height, rgb))
        return Fail(kExitFailure, "cannot write '" + out + "': " + SystemReason());
    if (const int signal = InterruptSignal(); signal != 0)
        return 128 + signal;  // the file was finished first
    return kExitOk;
}
