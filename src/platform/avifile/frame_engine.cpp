#include "platform/avifile/frame_engine.h"

#include <algorithm>

namespace platform::avi {

namespace {

// A jump forward of at most this many frames decodes forward instead of seeking.
constexpr int64_t kForwardReach = 8;
// Seek attempts for one fetch: the planned keyframe, one further back, the start.
constexpr int kAttempts = 3;
// Errors from one drain of the decoder after which it is left for the next packet.
constexpr int kMaxReceiveErrors = 64;

// Decoder threads: as many as the machine has (0). ThreadSanitizer cannot see the atomics with
// which FFmpeg's own, uninstrumented threads hand pictures over and reports races inside
// FFmpeg; under it the decoder works on the calling thread, so that the threads of this
// program (the read-ahead) stay fully checked.
#if defined(__SANITIZE_THREAD__)
constexpr int kDecoderThreads = 1;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
constexpr int kDecoderThreads = 1;
#else
constexpr int kDecoderThreads = 0;
#endif
#else
constexpr int kDecoderThreads = 0;
#endif

std::string FourCCText(uint32_t tag)
{
    std::string s;
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>((tag >> (8 * i)) & 0xFF);
        s += (c >= 32 && c < 127) ? c : '?';
    }
    return s;
}

}  // namespace

FrameEngine::FrameEngine(const EngineSetup& setup) : m_setup(setup) {}

FrameEngine::~FrameEngine() = default;

std::unique_ptr<FrameEngine> FrameEngine::Open(const EngineSetup& setup, std::string& error)
{
    std::unique_ptr<FrameEngine> e(new FrameEngine(setup));
    e->m_demux = Demuxer::Open(setup.path, setup.header ? &*setup.header : nullptr, error);
    if (!e->m_demux || !e->OpenDecoder(error))
        return nullptr;
    e->m_packet.reset(av_packet_alloc());
    e->m_frame.reset(av_frame_alloc());
    if (!e->m_packet || !e->m_frame) {
        error = "out of memory";
        return nullptr;
    }
    e->m_keyframes = e->m_demux->Keyframes();
    const size_t stream = static_cast<size_t>(e->m_demux->StreamIndex());
    if (e->m_demux->HasFileIndex() && setup.header && stream < setup.header->indexChunks.size())
        e->m_totalChunks = setup.header->indexChunks[stream];
    if (e->m_reorder) {
        e->m_sync = SyncPoints::At(e->m_demux->HasFileIndex() ? e->m_keyframes : std::vector<int64_t>{});
        e->m_gops.assign(e->m_keyframes.size() + 1, GopState::Unknown);
    }
    // Skipping pictures before a region is safe only where no null chunk could repeat one.
    e->m_canSkip = e->m_demux->HasFileIndex() && !e->m_demux->IndexHasGaps();
    e->m_order = std::make_unique<DisplayOrder>(e->m_sync, setup.length);
    return e;
}

bool FrameEngine::OpenDecoder(std::string& error)
{
    const AVCodecParameters* par = m_demux->Stream()->codecpar;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    if (!codec) {
        error = "no decoder for the stream's compression '" + FourCCText(par->codec_tag) + "'";
        return false;
    }
    m_codec.reset(avcodec_alloc_context3(codec));
    if (!m_codec) {
        error = "out of memory";
        return false;
    }
    int rc = avcodec_parameters_to_context(m_codec.get(), par);
    if (rc >= 0) {
        m_codec->pkt_timebase = m_demux->Stream()->time_base;
        m_codec->thread_count = kDecoderThreads;
        m_codec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
        rc = avcodec_open2(m_codec.get(), codec, nullptr);
    }
    if (rc < 0) {
        error = DescribeError(std::string("cannot open the ") + codec->name + " decoder", rc);
        return false;
    }
    const AVCodecDescriptor* desc = avcodec_descriptor_get(par->codec_id);
    const int props = desc ? desc->props : 0;
    m_reorder = (props & AV_CODEC_PROP_REORDER) || m_codec->has_b_frames > 0;
    m_intraOnly = !m_reorder && (props & AV_CODEC_PROP_INTRA_ONLY);
    return true;
}

bool FrameEngine::Fetch(uint32_t index, FrameImage& out)
{
    const AVFrame* picture = nullptr;
    if (!Decode(index, picture))
        return false;
    return m_converter.Convert(*picture, out, m_error);
}

bool FrameEngine::FetchPicture(uint32_t index, FramePtr& picture)
{
    const AVFrame* found = nullptr;
    if (!Decode(index, found))
        return false;
    picture = RefFrame(found);
    if (!picture) {
        m_error = "out of memory";
        return false;
    }
    return true;
}

bool FrameEngine::Decode(uint32_t index, const AVFrame*& picture)
{
    if (index >= m_setup.length) {
        m_error = "frame " + std::to_string(index) + " is past the stream's length";
        return false;
    }
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0 || !CanContinueTo(index)) {
            if (!Position(PlanSeek(index, attempt)))
                return false;
        }
        switch (DecodeUntil(index, picture)) {
        case Result::Done:
            return true;
        case Result::Unavailable:
            return false;
        case Result::Retry:
            break;
        }
    }
    m_positioned = false;
    return false;
}

bool FrameEngine::CanContinueTo(int64_t index) const
{
    if (!m_positioned)
        return false;
    int64_t next = m_order->Synced() ? m_order->NextDisplay() : m_order->SyncChunk();
    if (!m_ready.empty())
        next = m_ready.front().display;
    if (index < next)
        return false;
    if (m_ended || index - next <= kForwardReach)
        return true;
    // Forward unless a seek would start after what has been read already.
    return PlanSeek(index, 0).start <= m_readChunk + 1;
}

int64_t FrameEngine::KeyframeAtOrBefore(int64_t chunk) const
{
    auto it = std::upper_bound(m_keyframes.begin(), m_keyframes.end(), chunk);
    return it == m_keyframes.begin() ? 0 : *(it - 1);
}

FrameEngine::Plan FrameEngine::PlanSeek(int64_t index, int attempt) const
{
    Plan p;
    if (!m_reorder) {
        // Pictures come out in chunk order: the frame index is the chunk index.
        p.sync = index;
        if (attempt >= 2 || (!m_intraOnly && !m_demux->HasFileIndex()))
            return p;  // from the start
        if (m_intraOnly) {
            p.anyEntry = true;
            p.start = attempt == 0 ? index : KeyframeAtOrBefore(index);
            if (attempt == 1 && p.start == index)
                p.start = 0;
            return p;
        }
        p.start = KeyframeAtOrBefore(index);
        if (attempt == 1)
            p.start = KeyframeAtOrBefore(p.start - 1);
        return p;
    }
    const int64_t region = m_sync.Floor(index);
    p.sync = region;
    if (region == 0 || attempt >= 2)
        return p;  // from the start
    const int64_t ordinal = m_sync.Ordinal(region);
    const bool closed = ordinal >= 0 && m_gops[static_cast<size_t>(ordinal)] == GopState::Closed;
    p.start = closed ? region : m_sync.Previous(region);
    if (attempt == 1)
        p.start = m_sync.Previous(p.start);
    if (p.start == region)
        p.directKey = region;
    if (p.start < region && m_canSkip)
        p.skipBefore = region;
    return p;
}

bool FrameEngine::Reopen()
{
    std::string error;
    auto demux = Demuxer::Open(m_setup.path, m_setup.header ? &*m_setup.header : nullptr, error);
    if (!demux) {
        m_error = error;
        return false;
    }
    m_demux = std::move(demux);
    m_fresh = true;
    return true;
}

bool FrameEngine::Position(Plan plan)
{
    ++m_stats.seeks;
    if (m_positioned || !m_fresh)
        avcodec_flush_buffers(m_codec.get());
    bool placed = false;
    if (plan.start > 0)
        placed = m_demux->SeekTo(plan.start, plan.anyEntry);
    if (!placed) {
        plan.start = 0;
        plan.directKey = -1;
        if (!m_fresh && !m_demux->SeekToStart() && !Reopen()) {
            m_positioned = false;
            return false;
        }
    }
    m_order->Restart(plan.sync, plan.start);
    m_ready.clear();
    m_lastPicture.reset();
    m_inputEnded = false;
    m_ended = false;
    m_checkLanding = plan.start > 0;
    m_landingLimit = plan.start;
    m_readChunk = plan.start - 1;
    m_skipBefore = plan.skipBefore;
    m_directKey = plan.directKey;
    m_lastTag = plan.start - 1;
    m_codec->skip_frame = m_skipBefore > 0 ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
    m_positioned = true;
    return true;
}

FrameEngine::Result FrameEngine::DecodeUntil(int64_t index, const AVFrame*& picture)
{
    for (;;) {
        while (!m_ready.empty()) {
            ReadyRun& run = m_ready.front();
            if (run.display + run.count <= index) {
                m_ready.pop_front();
                continue;
            }
            if (run.display > index || !run.picture) {
                m_error = "frame " + std::to_string(index) + " could not be decoded";
                return Result::Unavailable;
            }
            picture = run.picture.get();
            return Result::Done;
        }
        if (m_ended) {
            m_error = "frame " + std::to_string(index) + " lies past the end of the stream's data";
            return Result::Unavailable;
        }
        if (ReadAndDecode() == Step::Retry)
            return Result::Retry;
    }
}

FrameEngine::Step FrameEngine::ReadAndDecode()
{
    int64_t chunk = 0;
    std::string readError;
    if (!m_demux->Read(m_packet.get(), chunk, readError)) {
        if (!readError.empty())
            m_error = readError;
        m_fresh = false;
        m_inputEnded = true;
        avcodec_send_packet(m_codec.get(), nullptr);  // drain the decoder's delayed pictures
        const Step s = Drain();
        if (s == Step::Retry)
            return s;
        m_runs.clear();
        // Null chunks after the last one with data count only when the data ended cleanly.
        m_order->End(m_runs, readError.empty() ? m_totalChunks : -1);
        Queue(m_runs, m_lastPicture.get());
        m_ended = true;
        return Step::Ok;
    }
    m_fresh = false;
    ++m_stats.packets;
    if (m_checkLanding) {
        m_checkLanding = false;
        if (chunk > m_landingLimit) {
            m_error = "seek to chunk " + std::to_string(m_landingLimit) + " landed at " + std::to_string(chunk);
            return Step::Retry;
        }
    }
    m_readChunk = std::max(m_readChunk, chunk);
    if (m_packet->size <= 0)
        return Step::Ok;  // a null chunk: it shows as a gap before the next chunk with data
    m_order->ChunkRead(chunk);
    if (m_skipBefore > 0 && chunk >= m_skipBefore) {
        m_codec->skip_frame = AVDISCARD_DEFAULT;
        m_skipBefore = 0;
    }
    // The tag that the decoder carries over to the picture of this chunk.
    m_packet->pts = chunk;
    m_packet->dts = chunk;
    int rc = avcodec_send_packet(m_codec.get(), m_packet.get());
    if (rc == AVERROR(EAGAIN)) {
        if (Drain() == Step::Retry)
            return Step::Retry;
        rc = avcodec_send_packet(m_codec.get(), m_packet.get());
    }
    if (rc < 0 && rc != AVERROR(EAGAIN))
        m_error = DescribeError("decoding chunk " + std::to_string(chunk), rc);
    av_packet_unref(m_packet.get());
    return Drain();
}

FrameEngine::Step FrameEngine::Drain()
{
    int errors = 0;
    for (;;) {
        const int rc = avcodec_receive_frame(m_codec.get(), m_frame.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return Step::Ok;
        if (rc < 0) {
            m_error = DescribeError("decoding", rc);
            if (++errors > kMaxReceiveErrors)
                return Step::Ok;
            continue;
        }
        const Step s = Accept(m_frame.get());
        av_frame_unref(m_frame.get());
        if (s == Step::Retry)
            return s;
    }
}

FrameEngine::Step FrameEngine::Accept(AVFrame* picture)
{
    ++m_stats.pictures;
    int64_t tag = picture->pts;
    if (tag == AV_NOPTS_VALUE)
        tag = m_lastTag + 1;
    m_lastTag = tag;
    m_runs.clear();
    m_order->Picture(tag, m_runs);
    for (const RegionEntry& entry : m_order->TakeRegionEntries()) {
        if (m_directKey >= 0 && !entry.continuous) {
            // A direct seek to a keyframe is right only if its region opens with that picture.
            const bool ok = entry.region == m_directKey && entry.opensWithKeyPicture;
            const int64_t ordinal = m_sync.Ordinal(m_directKey);
            m_directKey = -1;
            if (!ok) {
                if (ordinal >= 0)
                    m_gops[static_cast<size_t>(ordinal)] = GopState::DirectFailed;
                m_error = "keyframe seek did not open its region";
                return Step::Retry;
            }
        }
        Learn(entry);
    }
    // Null chunks settled before this picture repeat the one put out before it.
    std::vector<SlotRun> repeats, own;
    for (const SlotRun& r : m_runs)
        (r.kind == SlotKind::Picture ? own : repeats).push_back(r);
    Queue(repeats, m_lastPicture.get());
    Queue(own, picture);
    m_lastPicture = RefFrame(picture);
    return Step::Ok;
}

void FrameEngine::Queue(const std::vector<SlotRun>& runs, const AVFrame* picture)
{
    for (const SlotRun& r : runs) {
        ReadyRun ready{r.display, r.count, nullptr};
        if (r.kind != SlotKind::Missing)
            ready.picture = RefFrame(picture);
        m_ready.push_back(std::move(ready));
    }
}

void FrameEngine::Learn(const RegionEntry& entry)
{
    if (!m_reorder || !entry.continuous)
        return;
    const int64_t ordinal = m_sync.Ordinal(entry.region);
    if (ordinal < 0 || static_cast<size_t>(ordinal) >= m_gops.size())
        return;
    GopState& state = m_gops[static_cast<size_t>(ordinal)];
    if (state != GopState::DirectFailed)
        state = entry.opensWithKeyPicture ? GopState::Closed : GopState::Open;
}

}  // namespace platform::avi
