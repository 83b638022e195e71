// The AVI demuxer of libavformat on one file, reduced to what the frame source needs: the
// packets of the first video stream with their chunk indices, seeks to a chunk, and the
// keyframes of the file's own index.
//
// What libavformat does with AVI chunks (FFmpeg 5.1): a packet's dts is the stream's chunk
// counter, in units of dwScale/dwRate, starting at dwStart. Null (zero-size) chunks are never
// delivered: the demuxer skips them and advances the counter, and the index (idx1 or OpenDML)
// holds no entry for them, so they show as gaps in the dts and in the index timestamps. The
// demuxer sets no pts (AVI has none); AVFMT_FLAG_NOFILLIN keeps libavformat from guessing
// timestamps, and AVFMT_FLAG_NOPARSE hands the chunks over unchanged instead of through a
// parser, so one packet is one chunk. A file without an index gets one built while it is read,
// with every chunk flagged as a keyframe.
#pragma once

#include "platform/avifile/ffmpeg_util.h"
#include "platform/avifile/riff_header.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::avi {

class Demuxer {
public:
    // Opens `path` with the AVI demuxer (nothing else is tried) and finds its first video
    // stream; `header` (when read) gives that stream's dwStart. Null, with `error` set, when
    // that fails.
    static std::unique_ptr<Demuxer> Open(const std::string& path, const RiffHeader* header, std::string& error);

    AVStream* Stream() const { return m_stream; }
    int StreamIndex() const { return m_stream->index; }

    // The file's own index as found at open: false for a file without one.
    bool HasFileIndex() const { return m_fileIndex; }
    // Keyframe chunks of the file's index, ascending.
    const std::vector<int64_t>& Keyframes() const { return m_keyframes; }
    // Whether the file's index skips chunk numbers (null chunks).
    bool IndexHasGaps() const { return m_indexGaps; }

    // Reads the next packet of the video stream into `pkt` (null chunks delivered by the
    // demuxer come as empty packets). `chunk` receives its chunk index. False at the end of
    // the data or on a read error (`error` then says which).
    bool Read(AVPacket* pkt, int64_t& chunk, std::string& error);

    // Positions the demuxer so that reading continues at the index entry at or before `chunk`:
    // its latest keyframe entry, or any entry when `anyEntry`. False when it cannot.
    bool SeekTo(int64_t chunk, bool anyEntry);
    // Positions the demuxer at the first chunk of the stream. False when it cannot.
    bool SeekToStart();

    // Reads ahead to fill in stream parameters that the headers lack; false on failure.
    bool ProbeStreamInfo();

private:
    Demuxer() = default;

    FormatContextPtr m_format;
    AVStream* m_stream = nullptr;
    int64_t m_base = 0;  // the dts of chunk 0 (the stream's dwStart as libavformat keeps it)
    int64_t m_lastChunk = -1;
    bool m_fileIndex = false;
    bool m_indexGaps = false;
    std::vector<int64_t> m_keyframes;
};

}  // namespace platform::avi
