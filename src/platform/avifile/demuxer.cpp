#include "platform/avifile/demuxer.h"

namespace platform::avi {

namespace {

// Consecutive read errors after which the data is taken to end.
constexpr int kMaxReadErrors = 8;

}  // namespace

std::unique_ptr<Demuxer> Demuxer::Open(const std::string& path, const RiffHeader* header, std::string& error)
{
    CaptureLibraryLog();
    const AVInputFormat* avi = av_find_input_format("avi");
    if (!avi) {
        error = "libavformat has no AVI demuxer";
        return nullptr;
    }
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) {
        error = "out of memory";
        return nullptr;
    }
    raw->flags |= AVFMT_FLAG_NOFILLIN | AVFMT_FLAG_NOPARSE;
    // avformat_open_input frees the context when it fails.
    const int rc = avformat_open_input(&raw, path.c_str(), avi, nullptr);
    if (rc < 0) {
        error = DescribeError("cannot open " + path + " as AVI", rc);
        return nullptr;
    }
    std::unique_ptr<Demuxer> d(new Demuxer);
    d->m_format.reset(raw);
    for (unsigned i = 0; i < raw->nb_streams; ++i) {
        AVStream* st = raw->streams[i];
        if (!d->m_stream && st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            !(st->disposition & AV_DISPOSITION_ATTACHED_PIC))
            d->m_stream = st;
        else
            st->discard = AVDISCARD_ALL;
    }
    if (!d->m_stream) {
        error = path + " holds no video stream";
        return nullptr;
    }
    AVStream* st = d->m_stream;

    // libavformat counts chunks from dwStart, unless it finds that start absurd (over an hour).
    if (header && static_cast<size_t>(st->index) < header->streams.size() && st->time_base.num > 0) {
        const int64_t start = header->streams[static_cast<size_t>(st->index)].dwStart;
        const int64_t hour = 3600LL * st->time_base.den / st->time_base.num;
        d->m_base = start > hour ? 0 : start;
    }

    const int entries = avformat_index_get_entries_count(st);
    d->m_fileIndex = entries > 0;
    int64_t expected = d->m_base;
    for (int i = 0; i < entries; ++i) {
        const AVIndexEntry* e = avformat_index_get_entry(st, i);
        if (!e)
            continue;
        if (e->timestamp != expected)
            d->m_indexGaps = true;
        expected = e->timestamp + 1;
        if (e->flags & AVINDEX_KEYFRAME)
            d->m_keyframes.push_back(e->timestamp - d->m_base);
    }
    return d;
}

bool Demuxer::Read(AVPacket* pkt, int64_t& chunk, std::string& error)
{
    int errors = 0;
    for (;;) {
        av_packet_unref(pkt);
        const int rc = av_read_frame(m_format.get(), pkt);
        if (rc == AVERROR_EOF)
            return false;
        if (rc < 0) {
            error = DescribeError("reading the video stream", rc);
            if (rc == AVERROR(EAGAIN) && ++errors < kMaxReadErrors)
                continue;
            return false;
        }
        if (pkt->stream_index != m_stream->index)
            continue;
        chunk = pkt->dts != AV_NOPTS_VALUE ? pkt->dts - m_base : m_lastChunk + 1;
        m_lastChunk = chunk;
        return true;
    }
}

bool Demuxer::SeekTo(int64_t chunk, bool anyEntry)
{
    const int flags = AVSEEK_FLAG_BACKWARD | (anyEntry ? AVSEEK_FLAG_ANY : 0);
    if (av_seek_frame(m_format.get(), m_stream->index, m_base + chunk, flags) < 0)
        return false;
    m_lastChunk = chunk - 1;
    return true;
}

bool Demuxer::SeekToStart()
{
    const AVIndexEntry* first = avformat_index_get_entry(m_stream, 0);
    if (!first)
        return false;
    if (av_seek_frame(m_format.get(), m_stream->index, first->timestamp,
                      AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0)
        return false;
    m_lastChunk = first->timestamp - m_base - 1;
    return true;
}

bool Demuxer::ProbeStreamInfo() { return avformat_find_stream_info(m_format.get(), nullptr) >= 0; }

}  // namespace platform::avi
