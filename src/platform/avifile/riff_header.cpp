#include "platform/avifile/riff_header.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>

namespace platform::avi {

namespace {

// Reads `n` bytes at `offset`; returns how many were read.
using ReadAt = std::function<size_t(uint64_t offset, size_t n, uint8_t* out)>;

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
int16_t I16(const uint8_t* p) { return static_cast<int16_t>(p[0] | p[1] << 8); }

constexpr uint32_t kList = FourCC('L', 'I', 'S', 'T');
constexpr uint32_t kMovi = FourCC('m', 'o', 'v', 'i');
constexpr uint32_t kStrh = FourCC('s', 't', 'r', 'h');
constexpr uint32_t kStrf = FourCC('s', 't', 'r', 'f');
constexpr uint32_t kDmlh = FourCC('d', 'm', 'l', 'h');
constexpr uint32_t kPads = FourCC('p', 'a', 'd', 's');
constexpr uint32_t kIdx1 = FourCC('i', 'd', 'x', '1');

// Nesting and chunk-count limits keep a damaged header from running long.
constexpr int kMaxDepth = 8;
constexpr int kMaxChunks = 100000;

class HeaderParser {
public:
    explicit HeaderParser(ReadAt read) : m_read(std::move(read)) {}

    // Walks the chunks in [begin, end). Returns false at the movi list (the header ends there).
    bool Walk(uint64_t begin, uint64_t end, int depth)
    {
        uint64_t at = begin;
        while (at + 8 <= end && m_chunks++ < kMaxChunks) {
            uint8_t head[12];
            if (m_read(at, 8, head) != 8)
                return false;
            const uint32_t id = U32(head);
            const uint64_t size = U32(head + 4);
            const uint64_t dataAt = at + 8;
            const uint64_t dataEnd = std::min<uint64_t>(dataAt + size, end);
            if (id == kList) {
                if (m_read(dataAt, 4, head + 8) != 4)
                    return false;
                if (U32(head + 8) == kMovi) {
                    m_moviEnd = dataAt + size + (size & 1);
                    return false;
                }
                if (depth < kMaxDepth && !Walk(dataAt + 4, dataEnd, depth + 1))
                    return false;
            } else {
                Chunk(id, dataAt, dataEnd - dataAt);
            }
            at = dataAt + size + (size & 1);
        }
        return true;
    }

    RiffHeader& Result() { return m_header; }

    // Counts the entries of the legacy index (idx1) that follows the movi list, per stream:
    // each entry is one chunk, null chunks included (palette changes excluded).
    void CountIndex(uint64_t riffEnd)
    {
        uint8_t head[8];
        if (m_moviEnd == 0 || m_read(m_moviEnd, 8, head) != 8 || U32(head) != kIdx1)
            return;
        const uint64_t begin = m_moviEnd + 8;
        const uint64_t end = std::min<uint64_t>(begin + U32(head + 4), riffEnd);
        std::vector<uint32_t> counts(100, 0);
        std::vector<uint8_t> block(16 * 4096);
        for (uint64_t at = begin; at + 16 <= end;) {
            const size_t want = static_cast<size_t>(std::min<uint64_t>(block.size(), (end - at) / 16 * 16));
            const size_t got = m_read(at, want, block.data()) / 16 * 16;
            if (got == 0)
                break;
            for (size_t i = 0; i < got; i += 16) {
                const uint8_t* e = block.data() + i;
                if (e[0] < '0' || e[0] > '9' || e[1] < '0' || e[1] > '9' || (e[2] == 'p' && e[3] == 'c'))
                    continue;
                ++counts[static_cast<size_t>((e[0] - '0') * 10 + (e[1] - '0'))];
            }
            at += got;
        }
        m_header.indexChunks = std::move(counts);
    }

private:
    void Chunk(uint32_t id, uint64_t at, uint64_t size)
    {
        uint8_t data[64] = {};
        const size_t want = static_cast<size_t>(std::min<uint64_t>(size, sizeof data));
        if (id == kStrh) {
            if (want < 40 || m_read(at, want, data) != want)
                return;
            RiffStreamHeader s;
            s.fccType = U32(data);
            if (s.fccType == kPads)
                return;
            s.fccHandler = U32(data + 4);
            s.dwScale = U32(data + 20);
            s.dwRate = U32(data + 24);
            s.dwStart = U32(data + 28);
            s.dwLength = U32(data + 32);
            if (want >= 56) {
                s.hasFrame = true;
                s.left = I16(data + 48);
                s.top = I16(data + 50);
                s.right = I16(data + 52);
                s.bottom = I16(data + 54);
            }
            m_header.streams.push_back(s);
        } else if (id == kStrf) {
            if (m_header.streams.empty() || want < 12 || m_read(at, 12, data) != 12)
                return;
            RiffStreamHeader& s = m_header.streams.back();
            s.hasFormat = true;
            s.biWidth = static_cast<int32_t>(U32(data + 4));
            s.biHeight = static_cast<int32_t>(U32(data + 8));
        } else if (id == kDmlh) {
            if (want >= 4 && m_read(at, 4, data) == 4)
                m_header.odmlTotalFrames = U32(data);
        }
    }

    ReadAt m_read;
    int m_chunks = 0;
    uint64_t m_moviEnd = 0;
    RiffHeader m_header;
};

std::optional<RiffHeader> Parse(const ReadAt& read, uint64_t fileSize)
{
    uint8_t head[12];
    if (read(0, 12, head) != 12)
        return std::nullopt;
    if (U32(head) != FourCC('R', 'I', 'F', 'F') || U32(head + 8) != FourCC('A', 'V', 'I', ' '))
        return std::nullopt;
    const uint64_t riffEnd = std::min<uint64_t>(8 + static_cast<uint64_t>(U32(head + 4)), fileSize);
    HeaderParser parser(read);
    parser.Walk(12, riffEnd, 0);
    parser.CountIndex(riffEnd);
    if (parser.Result().streams.empty())
        return std::nullopt;
    return std::move(parser.Result());
}

}  // namespace

std::optional<RiffHeader> ReadRiffHeader(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size <= 0)
        return std::nullopt;
    ReadAt read = [&in, size](uint64_t offset, size_t n, uint8_t* out) -> size_t {
        if (offset >= static_cast<uint64_t>(size))
            return 0;
        in.clear();
        in.seekg(static_cast<std::streamoff>(offset));
        in.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(n));
        return static_cast<size_t>(in.gcount());
    };
    return Parse(read, static_cast<uint64_t>(size));
}

std::optional<RiffHeader> ParseRiffHeader(const std::string& bytes)
{
    ReadAt read = [&bytes](uint64_t offset, size_t n, uint8_t* out) -> size_t {
        if (offset >= bytes.size())
            return 0;
        const size_t got = std::min<size_t>(n, bytes.size() - static_cast<size_t>(offset));
        std::memcpy(out, bytes.data() + offset, got);
        return got;
    };
    return Parse(read, bytes.size());
}

}  // namespace platform::avi
