// Small videos for the command-line tests, and the stills the dialog program's writer makes
// of them (the frame source and WriteTiff in this process), to compare with the program's.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace clitest {

// 64 x 48, 25 frames a second, 30 frames, FFV1.
std::string ShortClip();
// 64 x 48 at 30000/1001 frames a second, 40 frames.
std::string NtscClip();
// 64 x 48 at half a frame a second (rate 1, scale 2), 3 frames.
std::string SlowClip();
// An AVI file with a sound stream and no video stream.
std::string SoundOnlyClip();
// 320 x 240, 25 frames a second, 300 frames: long enough to be interrupted.
std::string LongClip();

// The files of a folder: name -> content.
std::map<std::string, std::string> FolderFiles(const std::string& folder);

// Frames first..last of `clip` as the dialog program writes them: name in `folder` (the
// timecode name) -> content. Empty (and a test failure) when the clip cannot be read.
std::map<std::string, std::string> ReferenceStills(const std::string& clip, uint32_t first,
                                                   uint32_t last);

// The name of frame `frame` at `fps` without the folder ("00,00,01,00.tif").
std::string StillName(uint32_t frame, double fps);

}  // namespace clitest
