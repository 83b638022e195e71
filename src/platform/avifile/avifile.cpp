#include "platform/avifile/avifile.h"

#include "platform/avifile/demuxer.h"
#include "platform/avifile/frame_engine.h"
#include "platform/avifile/frame_image.h"
#include "platform/avifile/read_ahead.h"
#include "platform/avifile/riff_header.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <limits>

namespace platform {

using namespace avi;

namespace {

// Frame sizes beyond these come from damaged headers: no frame of that size is handed out.
constexpr int64_t kMaxSide = 16384;
constexpr int64_t kMaxFrameBytes = int64_t{1} << 30;
// Images in the read-ahead ring: one with the caller, one being filled, one ready. More
// measured no faster for 720p and 1080p batches, and each costs a frame of memory.
constexpr size_t kReadAheadBuffers = 3;

bool UsableSize(int64_t w, int64_t h)
{
    return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide && DibStride(static_cast<uint32_t>(w)) * h <= kMaxFrameBytes;
}

void SetError(std::string* out, const std::string& text)
{
    if (out)
        *out = text;
}

}  // namespace

struct AviStream::Impl {
    std::string path;
    std::optional<RiffHeader> header;
    std::unique_ptr<Demuxer> demux;  // keeps the file open for the life of the stream
    AviStreamInfo info;
};

AviStream::AviStream(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
AviStream::~AviStream() = default;

const AviStreamInfo& AviStream::Info() const { return m_impl->info; }

std::unique_ptr<AviStream> AviStream::Open(const std::string& path, std::string* error)
{
    // Library failures (out of memory) end as a failed open, never as an exception.
    try {
        return OpenStream(path, error);
    } catch (const std::exception& e) {
        SetError(error, e.what());
        return nullptr;
    }
}

std::unique_ptr<AviStream> AviStream::OpenStream(const std::string& path, std::string* error)
{
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    impl->header = ReadRiffHeader(path);
    std::string detail;
    impl->demux = Demuxer::Open(path, impl->header ? &*impl->header : nullptr, detail);
    if (!impl->demux) {
        SetError(error, detail);
        return nullptr;
    }
    const AVStream* st = impl->demux->Stream();
    AviStreamInfo& info = impl->info;

    // The stream's own header as it stands in the file, when it can be read; what
    // libavformat reports (a reduced time base) otherwise.
    const RiffStreamHeader* strh = nullptr;
    if (impl->header && static_cast<size_t>(st->index) < impl->header->streams.size()) {
        const RiffStreamHeader& s = impl->header->streams[static_cast<size_t>(st->index)];
        if (s.fccType == FourCC('v', 'i', 'd', 's') || s.fccType == FourCC('i', 'a', 'v', 's'))
            strh = &s;
    }
    int64_t width = st->codecpar->width, height = st->codecpar->height;
    if (strh) {
        info.dwRate = strh->dwRate;
        info.dwScale = strh->dwScale;
        info.dwLength = strh->dwLength;
        // OpenDML files count the frames of all their RIFF parts in dmlh.
        if (impl->header->odmlTotalFrames && *impl->header->odmlTotalFrames > info.dwLength)
            info.dwLength = *impl->header->odmlTotalFrames;
        // (The strf of a type-1 DV stream, 'iavs', is no BITMAPINFOHEADER.)
        if (strh->fccType == FourCC('v', 'i', 'd', 's') && strh->hasFormat &&
            UsableSize(strh->biWidth, std::abs(int64_t{strh->biHeight}))) {
            width = strh->biWidth;
            height = std::abs(int64_t{strh->biHeight});
        }
    } else {
        info.dwRate = static_cast<uint32_t>(st->time_base.den);
        info.dwScale = static_cast<uint32_t>(st->time_base.num);
        info.dwLength = static_cast<uint32_t>(std::clamp<int64_t>(st->nb_frames, 0, std::numeric_limits<uint32_t>::max()));
    }
    if (!UsableSize(width, height) && impl->demux->ProbeStreamInfo()) {
        // Streams whose size only the data tells (type-1 DV).
        width = st->codecpar->width;
        height = st->codecpar->height;
    }
    if (strh && strh->hasFrame && UsableSize(int64_t{strh->right} - strh->left, int64_t{strh->bottom} - strh->top)) {
        info.left = strh->left;
        info.top = strh->top;
        info.right = strh->right;
        info.bottom = strh->bottom;
    } else if (UsableSize(width, height)) {
        // An empty frame rectangle: the stream's format gives the size.
        info.left = info.top = 0;
        info.right = static_cast<int32_t>(width);
        info.bottom = static_cast<int32_t>(height);
    } else {
        SetError(error, "the video stream of " + path + " has no usable frame size");
        return nullptr;
    }
    return std::unique_ptr<AviStream>(new AviStream(std::move(impl)));
}

struct AviFrameSource::Impl {
    std::unique_ptr<FrameEngine> engine;
    // Frames fetched without read-ahead, and frames turned into the other layout, one image a
    // layout (by FrameLayout), made when first needed.
    std::unique_ptr<FrameImage> own[2];
    std::unique_ptr<avi::ReadAhead> readAhead;
    std::string error;
    // The frame handed out last, frame `lastIndex`, in the layouts in which it is on hand.
    bool haveLast = false;
    uint32_t lastIndex = 0;
    const FrameImage* onHand[2] = {nullptr, nullptr};

    FrameImage& Own(FrameLayout layout)
    {
        std::unique_ptr<FrameImage>& image = own[static_cast<int>(layout)];
        if (!image)
            image = std::make_unique<FrameImage>(layout, engine->Width(), engine->Height());
        return *image;
    }
    const uint8_t* Fetch(uint32_t index, FrameLayout layout);
    const FrameImage* FetchAnew(uint32_t index, FrameLayout layout);
};

AviFrameSource::AviFrameSource(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

AviFrameSource::~AviFrameSource()
{
    // The read-ahead thread uses the engine: it goes first.
    m_impl->readAhead.reset();
}

std::unique_ptr<AviFrameSource> AviFrameSource::Open(AviStream& stream, std::string* error)
{
    try {
        return OpenSource(stream, error);
    } catch (const std::exception& e) {
        SetError(error, e.what());
        return nullptr;
    }
}

std::unique_ptr<AviFrameSource> AviFrameSource::OpenSource(AviStream& stream, std::string* error)
{
    const AviStream::Impl& s = stream.impl();
    EngineSetup setup;
    setup.path = s.path;
    setup.header = s.header;
    setup.length = s.info.dwLength;
    setup.width = static_cast<uint32_t>(s.info.right - s.info.left);
    setup.height = static_cast<uint32_t>(s.info.bottom - s.info.top);
    std::string detail;
    auto engine = FrameEngine::Open(setup, detail);
    if (!engine) {
        SetError(error, detail);
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->readAhead = std::make_unique<avi::ReadAhead>(*engine, kReadAheadBuffers);
    impl->engine = std::move(engine);
    return std::unique_ptr<AviFrameSource>(new AviFrameSource(std::move(impl)));
}

// A frame that is not on hand: from the read-ahead when it is the one expected next, else
// decoded here (which ends the read-ahead: the engine is ours again).
const FrameImage* AviFrameSource::Impl::FetchAnew(uint32_t index, FrameLayout layout)
{
    if (readAhead->Active() && index == readAhead->Expected()) {
        const FrameImage* frame = readAhead->Take(error);
        if (frame)
            onHand[static_cast<int>(frame->Layout())] = frame;
        return frame;
    }
    readAhead->Stop();
    readAhead->Release();
    FrameImage& image = Own(layout);
    if (!engine->Fetch(index, image)) {
        error = engine->LastError();
        return nullptr;
    }
    onHand[static_cast<int>(layout)] = &image;
    return &image;
}

const uint8_t* AviFrameSource::Impl::Fetch(uint32_t index, FrameLayout layout)
{
    const int wanted = static_cast<int>(layout);
    try {
        if (!haveLast || index != lastIndex) {
            haveLast = false;
            onHand[0] = onHand[1] = nullptr;
            if (!FetchAnew(index, layout))
                return nullptr;
            haveLast = true;
            lastIndex = index;
        }
        if (!onHand[wanted]) {
            // On hand in the other layout only: the same bytes, turned around.
            FrameImage& image = Own(layout);
            CopyPicture(*onHand[1 - wanted], image);
            onHand[wanted] = &image;
        }
        return onHand[wanted]->Data();
    } catch (const std::exception& e) {
        error = e.what();
        haveLast = false;
        onHand[0] = onHand[1] = nullptr;
        return nullptr;
    }
}

const uint8_t* AviFrameSource::GetFrame(uint32_t index) { return m_impl->Fetch(index, FrameLayout::Dib); }

const uint8_t* AviFrameSource::GetFrameRgb(uint32_t index) { return m_impl->Fetch(index, FrameLayout::Rgb); }

void AviFrameSource::ReadAhead(uint32_t first, uint32_t last, FrameLayout layout)
{
    Impl& m = *m_impl;
    const uint32_t length = m.engine->Length();
    if (length == 0 || first >= length || last < first) {
        m.readAhead->Stop();
        return;
    }
    if (last >= length)
        last = length - 1;
    if (m.haveLast && m.lastIndex == first) {
        // The first frame is already on hand; the run starts after it.
        if (first == last) {
            m.readAhead->Stop();
            return;
        }
        ++first;
    }
    m.readAhead->Start(first, last, layout);
}

const std::string& AviFrameSource::LastError() const { return m_impl->error; }

}  // namespace platform
