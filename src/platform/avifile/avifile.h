// The video source: the first video stream of an AVI file, and a frame source that hands out
// decoded frames by index as packed 24-bit DIBs, or as the R,G,B rows of a TIFF still. Stands on libavformat, libavcodec and
// libswscale; no Qt.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The stream's header fields as the AVI file gives them.
struct AviStreamInfo {
    uint32_t dwRate = 0;   // rate / scale = frames per second
    uint32_t dwScale = 0;
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // the frame rectangle
    uint32_t dwLength = 0;                              // length in frames
};

// Size of the BITMAPINFOHEADER that starts every frame handed out.
inline constexpr uint32_t kDibHeaderSize = 40;

// Bytes per row of a 24-bit DIB: 3 x width rounded up to a multiple of 4.
inline constexpr uint32_t DibStride(uint32_t width) { return (width * 3u + 3u) & ~3u; }

// The two layouts in which a frame source hands out a frame's pixels.
enum class FrameLayout {
    Dib,  // a packed DIB: a 40-byte BITMAPINFOHEADER (biClrUsed 0), then 24-bit B,G,R rows,
          // bottom row first, DibStride(width) apart
    Rgb,  // the pixel data of a TIFF still: R,G,B rows, top row first, 3 x width bytes apart,
          // no header and no row padding
};

class AviFrameSource;

// One open video stream. Read-only; the file stays open until the object is destroyed.
class AviStream {
public:
    // Opens the first video stream of the AVI file at `path`. Returns null when the file
    // cannot be opened, is no AVI file, or holds no video stream; `error` (optional) then
    // receives the library's detail for a debug log.
    static std::unique_ptr<AviStream> Open(const std::string& path, std::string* error = nullptr);
    ~AviStream();
    AviStream(const AviStream&) = delete;
    AviStream& operator=(const AviStream&) = delete;

    const AviStreamInfo& Info() const;
    uint32_t Length() const { return Info().dwLength; }

    struct Impl;
    Impl& impl() { return *m_impl; }

private:
    explicit AviStream(std::unique_ptr<Impl> impl);
    static std::unique_ptr<AviStream> OpenStream(const std::string& path, std::string* error);
    std::unique_ptr<Impl> m_impl;
};

// Decoder of one AviStream. Frame i is the i-th picture that a straight decode from the start
// puts out, in display order, whatever the order of fetches. One thread at a time may use it
// (it may be handed from thread to thread); its read-ahead thread is its own business.
class AviFrameSource {
public:
    // Opens a decoder for the stream. Returns null when no decoder can handle it. The stream
    // must outlive the frame source.
    static std::unique_ptr<AviFrameSource> Open(AviStream& stream, std::string* error = nullptr);
    ~AviFrameSource();
    AviFrameSource(const AviFrameSource&) = delete;
    AviFrameSource& operator=(const AviFrameSource&) = delete;

    // Frame `index` as a packed DIB (FrameLayout::Dib): a 40-byte BITMAPINFOHEADER
    // (biClrUsed 0), then 24-bit B,G,R rows, bottom row first, DibStride(width) apart, at the
    // frame rectangle's size. The memory stays valid until the next GetFrame or GetFrameRgb
    // (other than one of the same frame) or the destruction of the source.
    // Null when the frame cannot be produced (index out of range, data missing or damaged
    // beyond what the decoder conceals). A damaged picture that the decoder conceals comes out
    // as the decoder's concealed picture. A null (zero-size) chunk repeats the picture before
    // it; one with no picture before it is null.
    const uint8_t* GetFrame(uint32_t index);

    // Frame `index` as the pixel data of a TIFF still (FrameLayout::Rgb): R,G,B rows, top row
    // first, 3 x width bytes apart, no header and no padding; exactly the bytes of GetFrame's
    // DIB, its rows and each pixel's bytes reversed. Validity and failures as for GetFrame.
    // Fetching the frame just handed out in the other layout decodes nothing and leaves the
    // first one valid too.
    const uint8_t* GetFrameRgb(uint32_t index);

    // Announces that frames `first`, `first + 1`, ... `last` will be fetched in that order
    // (a batch), in `layout` (GetFrame for Dib, GetFrameRgb for Rgb); the source may then
    // decode ahead on a thread of its own, into that layout. Any other fetch ends the
    // read-ahead, except a fetch of the next frame in the other layout, which costs one more
    // copy of the frame. Calling it is optional; results are identical with or without it.
    void ReadAhead(uint32_t first, uint32_t last, FrameLayout layout = FrameLayout::Dib);

    // The library's detail of the last failure, for a debug log.
    const std::string& LastError() const;

    struct Impl;

private:
    explicit AviFrameSource(std::unique_ptr<Impl> impl);
    static std::unique_ptr<AviFrameSource> OpenSource(AviStream& stream, std::string* error);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace platform
