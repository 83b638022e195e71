// What a run will write into its output folder, against the room the file system has left.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// True when `path` is a regular file of exactly `size` bytes (a complete still).
bool IsCompleteFile(const std::string& path, uint64_t size);

struct SpacePlan {
    uint64_t files = 0;        // files the run will write
    uint64_t newFiles = 0;     // of them, files that do not exist yet
    uint64_t bytesNeeded = 0;  // their blocks, less those of the files they replace
    bool anyToWrite = false;
    uint32_t firstToWrite = 0;  // the first frame whose file will be written
};

// Walks frames first..last: nameOf(i) is frame i's file in `folder`; with skipComplete a
// complete file is kept and needs nothing.
SpacePlan PlanOutput(const std::string& folder, uint32_t first, uint32_t last, uint64_t fileSize,
                     bool skipComplete, const std::function<std::string(uint32_t)>& nameOf);

// Checks the plan against the free space and free file slots of the file system holding
// `folder`; on a refusal prints the one-line message and returns false. A file system that
// cannot be asked passes.
bool CheckRoom(const std::string& folder, const SpacePlan& plan);
