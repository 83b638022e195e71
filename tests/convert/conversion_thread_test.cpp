// The worker loop against a host that records every call.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "convert/conversion_thread.h"

namespace {

class RecordingHost : public ConversionHost {
public:
    std::string startText, endText;
    uint32_t frameCount = 100;
    std::function<bool(uint32_t)> onFrame;  // default: every frame is written

    std::vector<std::string> log;
    bool convertingDuringFrames = true;
    bool flagsClearAtFinish = false;

    std::atomic<bool> converting{false};
    std::atomic<bool> stopRequested{false};

    std::atomic<bool>& ConvertingFlag() override { return converting; }
    std::atomic<bool>& StopRequestedFlag() override { return stopRequested; }
    std::string StartFrameText() override { return startText; }
    std::string EndFrameText() override { return endText; }
    uint32_t FrameCount() override { return frameCount; }
    void SendProgressPos(int pos) override { log.push_back("pos " + std::to_string(pos)); }
    void SetEndFrameText(const std::string& text) override { log.push_back("end " + text); }
    void PrepareRange(uint32_t first, uint32_t last) override
    {
        log.push_back("range " + std::to_string(first) + ".." + std::to_string(last));
    }
    bool ConvertFrame(uint32_t frame) override
    {
        convertingDuringFrames = convertingDuringFrames && converting.load();
        log.push_back("frame " + std::to_string(frame));
        return onFrame ? onFrame(frame) : true;
    }
    void ShowLastFrame() override { log.push_back("last"); }
    void Beep(unsigned frequency, unsigned milliseconds) override
    {
        log.push_back("beep " + std::to_string(frequency) + "/" + std::to_string(milliseconds));
    }
    void ConversionFinished() override
    {
        flagsClearAtFinish = !converting.load() && !stopRequested.load();
        log.push_back("finished");
    }
};

using Log = std::vector<std::string>;

// What every run ends with.
Log EndSequence()
{
    return {"pos 499", "beep 440/10", "beep 480/10", "beep 520/10", "beep 540/10", "pos 0",
            "finished"};
}

Log Concat(Log head, const Log& tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

void RunWorker(RecordingHost& host)
{
    EXPECT_EQ(ConversionThreadProc(static_cast<ConversionHost*>(&host)), 0u);
    EXPECT_TRUE(host.convertingDuringFrames);
    EXPECT_TRUE(host.flagsClearAtFinish);
}

TEST(ConversionThreadProc, RunsTheRangeFromTheTwoTexts)
{
    struct Case {
        const char* name;
        const char* start;
        const char* end;
        Log body;  // everything before the end sequence
    } const cases[] = {
        {"three frames", "10", "12",
         {"pos 49", "range 10..12", "pos 49", "frame 10", "pos 54", "frame 11", "pos 59",
          "frame 12", "last"}},
        {"start equal to end", "5", "5", {"pos 24", "range 5..5", "pos 24", "frame 5", "last"}},
        {"start after end", "20", "10", {"pos 99"}},
        {"start past the stream", "150", "", {"pos 748"}},
        {"start past the stream, end clamped", "150", "1000", {"pos 748", "end 99"}},
        {"end past the stream", "98", "1000",
         {"pos 489", "end 99", "range 98..99", "pos 489", "frame 98", "pos 494", "frame 99",
          "last"}},
        {"both empty", "", "", {"pos 0", "range 0..0", "pos 0", "frame 0", "last"}},
        {"letters", "abc", "x", {"pos 0", "range 0..0", "pos 0", "frame 0", "last"}},
        {"blank, digits, letter", " 12x", " 12x",
         {"pos 59", "range 12..12", "pos 59", "frame 12", "last"}},
        {"minus one as start", "-1", "3", {"pos -23598"}},
        {"minus one as end", "98", "-1",
         {"pos 489", "end 99", "range 98..99", "pos 489", "frame 98", "pos 494", "frame 99",
          "last"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingHost host;
        host.startText = c.start;
        host.endText = c.end;
        RunWorker(host);
        EXPECT_EQ(host.log, Concat(c.body, EndSequence()));
    }
}

TEST(ConversionThreadProc, StopsBeforeTheNextFrameOnceAskedTo)
{
    struct Case {
        const char* name;
        bool stopBeforeStart;
        uint32_t stopAt;        // the frame during which Stop is pressed
        bool writeFailsAtStop;  // or: that frame cannot be written
        Log body;
    } const cases[] = {
        {"stop during frame 11", false, 11, false,
         {"pos 49", "range 10..12", "pos 49", "frame 10", "pos 54", "frame 11", "last"}},
        {"write failure at frame 11", false, 11, true,
         {"pos 49", "range 10..12", "pos 49", "frame 10", "pos 54", "frame 11", "last"}},
        {"stop before the first pass", true, 0, false, {"pos 49", "range 10..12"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingHost host;
        host.startText = "10";
        host.endText = "12";
        host.stopRequested = c.stopBeforeStart;
        host.onFrame = [&](uint32_t frame) {
            if (frame != c.stopAt)
                return true;
            if (c.writeFailsAtStop)
                return false;
            host.stopRequested = true;
            return true;
        };
        RunWorker(host);
        EXPECT_EQ(host.log, Concat(c.body, EndSequence()));
    }
}

TEST(ConversionThreadProc, ConvertsNothingFromAStreamWithoutFrames)
{
    RecordingHost host;
    host.frameCount = 0;
    host.startText = "0";
    host.endText = "10";
    RunWorker(host);
    EXPECT_EQ(host.log, EndSequence());
}

}  // namespace
