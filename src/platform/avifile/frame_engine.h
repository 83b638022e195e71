// The decoding core of a frame source: demuxer, decoder and colour conversion, and the logic
// that makes frame access exact for every codec.
//
// Frame i is the i-th picture of a straight decode from the start, in display order (see
// display_order.h for how pictures get their indices). Fetching i, i + 1, ... decodes forward
// and never seeks; so does a jump forward that a seek would not shorten. Otherwise the engine
// seeks back to a keyframe and decodes forward from there:
//  - streams without reordering (intra-only codecs, or codecs without B-frames such as Cinepak)
//    seek to the keyframe at or before frame i (for intra-only codecs, the chunk at or before i);
//  - streams with reordering seek to the keyframe before the one that starts i's region, so
//    that pictures of that region which are displayed before its keyframe picture (an open GOP)
//    decode from their real references. Where straight decoding has shown that a region opens
//    with its keyframe picture, the engine seeks to that keyframe directly, and checks that it
//    does. While it runs up to the region, pictures no other picture refers to are skipped
//    (AVDISCARD_NONREF), unless the stream has null chunks, which could repeat one of them.
// A seek that lands past its target, or a direct seek whose region does not open with the
// keyframe picture, is retried further back, and finally from the start of the file.
//
// Not thread-safe: one thread at a time (the read-ahead hands it over with a join).
#pragma once

#include "platform/avifile/demuxer.h"
#include "platform/avifile/frame_converter.h"
#include "platform/avifile/frame_image.h"
#include "platform/avifile/display_order.h"
#include "platform/avifile/ffmpeg_util.h"
#include "platform/avifile/riff_header.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::avi {

struct EngineSetup {
    std::string path;
    std::optional<RiffHeader> header;
    uint32_t length = 0;  // frames that may be asked for: 0 ... length - 1
    uint32_t width = 0;   // size of the frames handed out (the frame rectangle)
    uint32_t height = 0;
};

// Counters for tests and benchmarks.
struct EngineStats {
    uint64_t seeks = 0;
    uint64_t packets = 0;
    uint64_t pictures = 0;
};

class FrameEngine {
public:
    static std::unique_ptr<FrameEngine> Open(const EngineSetup& setup, std::string& error);
    ~FrameEngine();
    FrameEngine(const FrameEngine&) = delete;
    FrameEngine& operator=(const FrameEngine&) = delete;

    // Decodes frame `index` into `out` (of the setup's size), in `out`'s layout. False when the
    // frame cannot be produced; LastError() then says why.
    bool Fetch(uint32_t index, FrameImage& out);
    // Decodes frame `index` and hands out a new reference to its decoded picture, to be
    // converted by a FrameConverter of the caller's (Fetch is FetchPicture and that
    // conversion). False when the frame cannot be produced; LastError() then says why.
    bool FetchPicture(uint32_t index, FramePtr& picture);

    uint32_t Length() const { return m_setup.length; }
    uint32_t Width() const { return m_setup.width; }
    uint32_t Height() const { return m_setup.height; }
    bool Reorders() const { return m_reorder; }
    const std::string& LastError() const { return m_error; }
    const EngineStats& Stats() const { return m_stats; }

private:
    enum class Step { Ok, Retry };
    enum class Result { Done, Unavailable, Retry };
    enum class GopState : uint8_t { Unknown, Closed, Open, DirectFailed };

    struct Plan {
        int64_t start = 0;       // chunk to seek to; 0 = the start of the stream
        int64_t sync = 0;        // region start (display index) of the target
        bool anyEntry = false;   // seek to any index entry, not only keyframes
        int64_t skipBefore = 0;  // skip non-reference pictures of chunks before this one
        int64_t directKey = -1;  // a direct seek to this keyframe that must be verified
    };
    struct ReadyRun {
        int64_t display;
        int64_t count;
        FramePtr picture;  // null: the frames cannot be produced
    };

    explicit FrameEngine(const EngineSetup& setup);
    bool OpenDecoder(std::string& error);
    bool CanContinueTo(int64_t index) const;
    Plan PlanSeek(int64_t index, int attempt) const;
    int64_t KeyframeAtOrBefore(int64_t chunk) const;
    bool Position(Plan plan);
    bool Reopen();
    // Decodes up to frame `index`; `picture` then points at its picture, which stays valid
    // until the next decoding call.
    bool Decode(uint32_t index, const AVFrame*& picture);
    Result DecodeUntil(int64_t index, const AVFrame*& picture);
    Step ReadAndDecode();
    Step Drain();
    Step Accept(AVFrame* picture);
    void Queue(const std::vector<SlotRun>& runs, const AVFrame* picture);
    void Learn(const RegionEntry& entry);

    EngineSetup m_setup;
    // Owners first: destroyed last.
    std::unique_ptr<Demuxer> m_demux;
    CodecContextPtr m_codec;
    PacketPtr m_packet;
    FramePtr m_frame;
    FramePtr m_lastPicture;       // the picture put out last (what a null chunk repeats)
    std::deque<ReadyRun> m_ready; // settled frames not yet fetched, in display order
    FrameConverter m_converter;

    bool m_reorder = false;
    bool m_intraOnly = false;
    bool m_canSkip = false;
    std::vector<int64_t> m_keyframes;  // from the file's index
    int64_t m_totalChunks = -1;        // the stream's chunks in idx1, null ones included
    SyncPoints m_sync = SyncPoints::EveryChunk();
    std::vector<GopState> m_gops;      // per keyframe region, by SyncPoints::Ordinal
    std::unique_ptr<DisplayOrder> m_order;

    bool m_positioned = false;  // the decoding state follows a plan (false before the first)
    bool m_fresh = true;        // the demuxer has read nothing since it was opened
    bool m_inputEnded = false;
    bool m_ended = false;
    bool m_checkLanding = false;
    int64_t m_landingLimit = 0;
    int64_t m_readChunk = -1;
    int64_t m_skipBefore = 0;
    int64_t m_directKey = -1;
    int64_t m_lastTag = -1;
    std::vector<SlotRun> m_runs;  // scratch
    std::string m_error;
    EngineStats m_stats;
};

}  // namespace platform::avi
