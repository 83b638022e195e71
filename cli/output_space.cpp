#include "output_space.h"

#include "exit_status.h"

#include <cstdio>

#include <sys/stat.h>
#include <sys/statvfs.h>

namespace {

uint64_t RoundUp(uint64_t bytes, uint64_t block)
{
    return block == 0 ? bytes : (bytes + block - 1) / block * block;
}

std::string Megabytes(uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

// The block size in which files take up room; 4096 where the file system does not say.
uint64_t BlockSize(const std::string& folder)
{
    struct statvfs fs{};
    if (::statvfs(folder.c_str(), &fs) != 0 || fs.f_bsize == 0)
        return 4096;
    return fs.f_bsize;
}

}  // namespace

bool IsCompleteFile(const std::string& path, uint64_t size)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           static_cast<uint64_t>(st.st_size) == size;
}

SpacePlan PlanOutput(const std::string& folder, uint32_t first, uint32_t last, uint64_t fileSize,
                     bool skipComplete, const std::function<std::string(uint32_t)>& nameOf)
{
    SpacePlan plan;
    if (first > last)
        return plan;
    const uint64_t block = BlockSize(folder);
    uint64_t needed = 0;
    uint64_t freed = 0;
    for (uint32_t i = first;; ++i) {
        struct stat st{};
        const bool exists = ::stat(nameOf(i).c_str(), &st) == 0 && S_ISREG(st.st_mode);
        const bool keep = skipComplete && exists && static_cast<uint64_t>(st.st_size) == fileSize;
        if (!keep) {
            if (!plan.anyToWrite) {
                plan.anyToWrite = true;
                plan.firstToWrite = i;
            }
            ++plan.files;
            needed += RoundUp(fileSize, block);
            if (exists)  // replaced: its blocks come free when it is truncated
                freed += static_cast<uint64_t>(st.st_blocks) * 512u;
            else
                ++plan.newFiles;
        }
        if (i == last)
            break;
    }
    plan.bytesNeeded = needed > freed ? needed - freed : 0;
    return plan;
}

bool CheckRoom(const std::string& folder, const SpacePlan& plan)
{
    struct statvfs fs{};
    if (::statvfs(folder.c_str(), &fs) != 0)
        return true;
    const uint64_t available = static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
    if (plan.bytesNeeded > available) {
        Fail(kExitFailure, "not enough free space in '" + folder + "': the run needs " +
                               Megabytes(plan.bytesNeeded) + " for " + std::to_string(plan.files) +
                               " files, " + Megabytes(available) + " are free");
        return false;
    }
    // File systems without a fixed number of files report 0 slots in all.
    if (fs.f_files != 0 && plan.newFiles > fs.f_favail) {
        Fail(kExitFailure, "no room for " + std::to_string(plan.newFiles) + " more files in '" + folder +
                               "': the file system has " + std::to_string(fs.f_favail) + " left");
        return false;
    }
    return true;
}
