// Test fixtures made at test time: videos through the ffmpeg command line, scratch folders.
#pragma once

#include <string>

namespace fixtures {

// Runs a shell command; returns its exit status. Standard output and error go to `output`
// when given, else to the test's log.
int Run(const std::string& command, std::string* output = nullptr);

// A video made by `ffmpeg -y -v error <args> <path>`, kept under the build folder's
// test-fixtures/ and reused while its arguments stay the same. `name` ends in its extension
// (e.g. "ffv1_320x240.avi"). Fails the test (and returns "") when ffmpeg fails.
std::string Video(const std::string& name, const std::string& ffmpegArgs);

// A fresh, empty scratch folder for one test, removed when the test program ends.
std::string ScratchDir();

// The whole content of a file ("" when it cannot be read).
std::string ReadFile(const std::string& path);

// Writes `content` to `path`; returns false on failure.
bool WriteFile(const std::string& path, const std::string& content);

}  // namespace fixtures
