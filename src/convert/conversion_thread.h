// The conversion worker's loop, apart from any window: it reports through ConversionHost,
// which the main dialog implements.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

class ConversionHost {
public:
    virtual ~ConversionHost() = default;

    // The conversion flags; both are set and read from either thread.
    virtual std::atomic<bool>& ConvertingFlag() = 0;
    virtual std::atomic<bool>& StopRequestedFlag() = 0;

    // The texts of the two range boxes, as read when Start was pressed.
    virtual std::string StartFrameText() = 0;
    virtual std::string EndFrameText() = 0;
    // Frames in the open stream; never 0 while a worker runs.
    virtual uint32_t FrameCount() = 0;

    // Hands the progress position to the progress control (the host does not wait for it).
    virtual void SendProgressPos(int pos) = 0;
    // Rewrites the end box after the end was clamped.
    virtual void SetEndFrameText(const std::string& text) = 0;
    // Frames first..last will be converted in order (lets the frame source read ahead).
    virtual void PrepareRange(uint32_t first, uint32_t last) = 0;
    // Converts one frame: fetch, write under its timecode name, show. False when the frame
    // could not be written, which ends the run (the host has told the user why).
    virtual bool ConvertFrame(uint32_t frame) = 0;
    // Called once after the last frame of a run that converted at least one, before the end
    // sequence: puts that frame on show and returns once it is there.
    virtual void ShowLastFrame() {}
    virtual void Beep(unsigned frequency, unsigned milliseconds) = 0;
    // Called last, after both flags were cleared.
    virtual void ConversionFinished() = 0;
};

// The worker's thread function. `param` is the ConversionHost. Returns 0.
//
// Reads the range from the two texts, sends pos(start), clamps the end to the last frame
// (rewriting the end box when it did), converts frames start..end in order while no stop is
// requested and every frame is written, then runs the end sequence: position 499, the four
// beeps, position 0, both flags cleared, ConversionFinished. With a frame count of 0 nothing
// is converted and no position is computed from the count.
unsigned ConversionThreadProc(void* param);
