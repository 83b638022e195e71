// The video side of a command: the first video stream of a file, its facts as the dialog
// program computes them, and a decoder for it.
#pragma once

#include "platform/avifile/avifile.h"

#include <cstdint>
#include <memory>
#include <string>

struct StreamFacts {
    uint32_t width = 0;   // frame rectangle right - left
    uint32_t height = 0;  // frame rectangle bottom - top
    uint32_t frames = 0;  // length of the stream in frames
    uint32_t rate = 0;
    uint32_t scale = 0;
    double fps = 0.0;     // rate / scale in double precision
};

StreamFacts FactsOf(const platform::AviStreamInfo& info);

// "%02lu:%02lu:%02lu" of s = trunc(frames / fps) + 1 seconds, the hours not reduced; a
// quotient that is no number of seconds (rate 0, no frames) counts as 0 seconds.
std::string FormatDuration(uint32_t frames, double fps);

// "%g" of the rate.
std::string FormatFps(double fps);

struct VideoInput {
    std::unique_ptr<platform::AviStream> stream;
    std::unique_ptr<platform::AviFrameSource> frames;  // null until OpenDecoder
    StreamFacts facts;
};

// Opens the stream; on failure prints the one-line message and returns false.
bool OpenVideo(const std::string& path, VideoInput& input);
// Opens the decoder of an open stream; on failure prints the message and returns false.
bool OpenDecoder(const std::string& path, VideoInput& input);
