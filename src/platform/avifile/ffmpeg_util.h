// Owning handles for the FFmpeg objects of the video source, and the capture of the library's
// log: nothing reaches stderr, the last error message is kept for a debug log.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

namespace platform::avi {

// unique_ptr deleter from a free function that takes the object's pointer, or its address.
template <typename T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* p) const { Free(p); }
};
template <typename T, void (*Free)(T**)>
struct AddressDeleter {
    void operator()(T* p) const { Free(&p); }
};

using FormatContextPtr = std::unique_ptr<AVFormatContext, AddressDeleter<AVFormatContext, avformat_close_input>>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, AddressDeleter<AVCodecContext, avcodec_free_context>>;
using FramePtr = std::unique_ptr<AVFrame, AddressDeleter<AVFrame, av_frame_free>>;
using PacketPtr = std::unique_ptr<AVPacket, AddressDeleter<AVPacket, av_packet_free>>;
using SwsContextPtr = std::unique_ptr<SwsContext, Deleter<SwsContext, sws_freeContext>>;

// Routes FFmpeg's log away from stderr, once for the process. Messages of error level are kept
// per thread; LastLibraryMessage() returns the newest one of the calling thread.
void CaptureLibraryLog();
std::string LastLibraryMessage();

// The text of an FFmpeg error code, with the newest library message of this thread if any.
std::string DescribeError(const std::string& what, int code);

// A new reference to `src` (null when `src` is null or on failure).
FramePtr RefFrame(const AVFrame* src);

}  // namespace platform::avi
