#include "frame_checks.h"

#include "exit_status.h"
#include "stills/frame_file_name.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

bool CheckStillSize(const StreamFacts& facts)
{
    if (facts.width <= 0xFFFFu && facts.height <= 0xFFFFu &&
        3ull * facts.width * facts.height <= 0xFFFFFFFFull)
        return true;
    Fail(kExitFailure, "frames of " + std::to_string(facts.width) + " x " +
                           std::to_string(facts.height) +
                           " pixels do not fit a TIFF still (at most 65535 pixels each way and "
                           "4 GB of pixels)");
    return false;
}

namespace {

// "25 frames a second (rate 25, scale 1)"
std::string DescribeRate(const StreamFacts& facts)
{
    return FormatFps(facts.fps) + " frames a second (rate " + std::to_string(facts.rate) +
           ", scale " + std::to_string(facts.scale) + ")";
}

}  // namespace

bool CheckNamingRate(const std::string& file, const StreamFacts& facts)
{
    if (IsNamingRate(facts.fps))
        return true;
    const bool tooLow = !(facts.fps >= 1.0);  // also NaN
    Fail(kExitFailure, "the frame rate of '" + file + "', " + DescribeRate(facts) +
                           ", cannot name frames: " +
                           (tooLow ? "it is below 1 frame a second"
                                   : "it is 33554432 frames a second or more"));
    return false;
}

bool CheckSavingRate(const std::string& file, const StreamFacts& facts)
{
    if (facts.fps >= 1.0)  // false for NaN
        return true;
    Fail(kExitFailure, "no frame of '" + file + "' is saved: its frame rate, " +
                           DescribeRate(facts) + ", is below 1 frame a second");
    return false;
}

bool CheckOutputFolder(const std::string& folder)
{
    struct stat st{};
    if (::stat(folder.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            Fail(kExitFailure, "output folder '" + folder + "' does not exist");
        else
            Fail(kExitFailure, "output folder '" + folder + "' cannot be reached: " + SystemReason());
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        Fail(kExitFailure, "output folder '" + folder + "' is not a folder");
        return false;
    }
    return true;
}

std::string SystemReason()
{
    return errno != 0 ? std::strerror(errno) : "unknown error";
}
