#include "commands.h"

#include "exit_status.h"
#include "frame_checks.h"
#include "interrupt.h"
#include "output_space.h"
#include "progress_meter.h"
#include "stills/frame_file_name.h"
#include "stills/write_tiff.h"
#include "video_input.h"

#include <cerrno>
#include <chrono>
#include <cstdio>

namespace {

struct Range {
    uint32_t first = 0;
    uint32_t last = 0;
};

// The frames asked for, the end clamped to the last frame; false (with the message) when the
// range holds no frame.
bool ResolveRange(const CliOptions& options, const std::string& file, uint32_t frames, Range& range)
{
    if (frames == 0) {
        Fail(kExitFailure, "the range holds no frame: '" + file + "' has no frames");
        return false;
    }
    const uint64_t last = frames - 1u;
    const uint64_t start = options.start.value_or(0);
    const uint64_t end = std::min(options.end.value_or(last), last);
    if (start > end) {
        Fail(kExitFailure, "the range holds no frame: start " + std::to_string(start) +
                               " lies past end " + std::to_string(end) + " (the last frame is " +
                               std::to_string(last) + ")");
        return false;
    }
    range = {static_cast<uint32_t>(start), static_cast<uint32_t>(end)};
    return true;
}

void Summarize(ProgressMeter::Style style, uint64_t written, uint64_t kept, double seconds)
{
    if (style == ProgressMeter::Style::kNone)
        return;
    std::fprintf(stderr, "wrote %llu files", static_cast<unsigned long long>(written));
    if (kept > 0)
        std::fprintf(stderr, ", kept %llu complete ones", static_cast<unsigned long long>(kept));
    std::fprintf(stderr, " in %.2f s (%.1f frames a second)\n", seconds,
                 seconds > 0 ? static_cast<double>(written) / seconds : 0.0);
}

}  // namespace

int RunConvert(const CliOptions& options)
{
    const std::string& file = options.operands[0];
    const std::string& folder = options.operands[1];
    VideoInput input;
    if (!CheckOutputFolder(folder) || !OpenVideo(file, input))
        return kExitFailure;
    const StreamFacts& facts = input.facts;
    Range range;
    if (!ResolveRange(options, file, facts.frames, range) || !CheckNamingRate(file, facts) ||
        !CheckStillSize(facts) || !OpenDecoder(file, input))
        return kExitFailure;

    const uint64_t fileSize = TiffFileSize(facts.width, facts.height);
    const auto nameOf = [&](uint32_t i) { return MakeFrameFileName(folder, i, facts.fps); };
    const SpacePlan plan =
        PlanOutput(folder, range.first, range.last, fileSize, options.skipExisting, nameOf);
    if (!CheckRoom(folder, plan))
        return kExitFailure;

    InstallInterruptHandlers();
    const auto started = std::chrono::steady_clock::now();
    const ProgressMeter::Style style = ProgressMeter::StyleFor(options.quiet, options.progressLines);
    const uint64_t total = uint64_t{range.last} - range.first + 1;
    uint64_t done = plan.anyToWrite ? plan.firstToWrite - range.first : total;
    uint64_t written = 0;
    {
        ProgressMeter meter(style, total);
        if (plan.anyToWrite) {
            // Frames before the first missing one are kept as they are and never decoded. The
            // source decodes ahead on its own thread, straight into the stills' pixel order,
            // so that this thread only writes.
            input.frames->ReadAhead(plan.firstToWrite, range.last, platform::FrameLayout::Rgb);
            for (uint32_t i = plan.firstToWrite;; ++i) {
                if (InterruptSignal() != 0)
                    break;
                const uint8_t* rgb = input.frames->GetFrameRgb(i);
                if (!rgb)
                    return Fail(kExitFailure, "cannot decode frame " + std::to_string(i) + " of '" +
                                                  file + "': " + input.frames->LastError());
                const std::string name = nameOf(i);
                if (!options.skipExisting || !IsCompleteFile(name, fileSize)) {
                    errno = 0;
                    if (!WriteTiffRgb(name.c_str(), facts.width, facts.height, rgb))
                        return Fail(kExitFailure, "cannot write '" + name + "': " + SystemReason());
                    ++written;
                }
                meter.Update(++done);
                if (i == range.last)
                    break;
            }
        }
        meter.Finish(done);
    }
    if (const int signal = InterruptSignal(); signal != 0) {
        Fail(kExitInterrupted, "interrupted after " + std::to_string(done) + " of " +
                                   std::to_string(total) + " frames; every file written is complete");
        return 128 + signal;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    Summarize(style, written, total - written, seconds);
    return kExitOk;
}
