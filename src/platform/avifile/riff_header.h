// The header list of an AVI file read as it stands on disk: the stream headers (strh) with
// their exact rate, scale, start, length and frame rectangle, the start of each stream format
// (strf), the OpenDML total frame count, and the number of chunks that idx1 lists per stream.
// libavformat reduces rate/scale to a time base, replaces a zero rate and does not expose
// rcFrame, so these are read here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::avi {

struct RiffStreamHeader {
    uint32_t fccType = 0;
    uint32_t fccHandler = 0;
    uint32_t dwScale = 0;
    uint32_t dwRate = 0;
    uint32_t dwStart = 0;
    uint32_t dwLength = 0;
    bool hasFrame = false;  // the strh was long enough to hold rcFrame
    int16_t left = 0, top = 0, right = 0, bottom = 0;
    bool hasFormat = false;  // a strf with at least a BITMAPINFOHEADER's size fields followed
    int32_t biWidth = 0;
    int32_t biHeight = 0;
};

struct RiffHeader {
    std::vector<RiffStreamHeader> streams;  // in file order, as libavformat numbers them
    std::optional<uint32_t> odmlTotalFrames;
    // Chunks per stream number (0 ... 99) in the idx1 index, null chunks included; empty when
    // the file has no idx1. libavformat keeps no entry for a null chunk, so the null chunks
    // after a stream's last chunk with data are known only from this count.
    std::vector<uint32_t> indexChunks;
};

constexpr uint32_t FourCC(char a, char b, char c, char d)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) |
           static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
}

// Reads the header list of the RIFF AVI file at `path`. Empty when the file does not start
// with a RIFF 'AVI ' chunk or its headers cannot be read. Reads nothing of the movi list.
std::optional<RiffHeader> ReadRiffHeader(const std::string& path);

// The same from the file's first bytes (for tests and for callers that hold them).
std::optional<RiffHeader> ParseRiffHeader(const std::string& bytes);

}  // namespace platform::avi
