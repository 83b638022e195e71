// The benchmarks' fixtures: AVI files made with the ffmpeg command line from its testsrc2
// pattern, kept in the work folder and reused by later runs.
#pragma once

#include <string>

namespace bench {

struct Fixture {
    const char* name;
    const char* size;    // "WIDTHxHEIGHT"
    const char* encode;  // ffmpeg options after the lavfi source
};

// Makes `frames` frames of `f` at 25 fps into `path` unless a non-empty file is there
// already; written under a temporary name and renamed, so a cut-off run leaves no fixture
// that looks whole. False when ffmpeg fails.
bool MakeFixture(const Fixture& f, const std::string& path, int frames);

}  // namespace bench
