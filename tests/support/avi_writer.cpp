#include "support/avi_writer.h"

#include <algorithm>
#include <fstream>

namespace avi_writer {

namespace {

// Little-endian byte output with list sizes patched in when a list is closed.
class RiffOut {
public:
    void U8(uint8_t v) { m_bytes.push_back(static_cast<char>(v)); }
    void U16(uint16_t v)
    {
        U8(v & 0xFF);
        U8(v >> 8);
    }
    void U32(uint32_t v)
    {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void FourCC(const char* cc) { m_bytes.append(cc, 4); }
    void Bytes(const std::string& s) { m_bytes += s; }

    // Starts a list or a chunk: its FourCC and a size patched by Close.
    size_t Open(const char* id, const char* listType = nullptr)
    {
        FourCC(id);
        const size_t at = m_bytes.size();
        U32(0);
        if (listType)
            FourCC(listType);
        return at;
    }
    void Close(size_t at)
    {
        const uint32_t size = static_cast<uint32_t>(m_bytes.size() - at - 4);
        for (int i = 0; i < 4; ++i)
            m_bytes[at + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
        if (size & 1)
            U8(0);
    }
    size_t Size() const { return m_bytes.size(); }
    std::string Take() { return std::move(m_bytes); }

private:
    std::string m_bytes;
};

uint32_t Stride(const VideoStream& v) { return ((v.width * v.bitCount + 31) / 32) * 4; }

void WriteVideoStrl(RiffOut& out, const VideoStream& v, uint32_t length, uint32_t maxChunk)
{
    const size_t strl = out.Open("LIST", "strl");
    const size_t strh = out.Open("strh");
    out.FourCC("vids");
    out.U32(v.handler);
    out.U32(0);  // flags
    out.U16(0);  // priority
    out.U16(0);  // language
    out.U32(0);  // initial frames
    out.U32(v.scale);
    out.U32(v.rate);
    out.U32(v.start);
    out.U32(length);
    out.U32(maxChunk);
    out.U32(0xFFFFFFFF);  // quality
    out.U32(0);           // sample size
    const Rect r = v.frame.value_or(
        Rect{0, 0, static_cast<int16_t>(v.width), static_cast<int16_t>(v.height)});
    out.U16(static_cast<uint16_t>(r.left));
    out.U16(static_cast<uint16_t>(r.top));
    out.U16(static_cast<uint16_t>(r.right));
    out.U16(static_cast<uint16_t>(r.bottom));
    out.Close(strh);

    const size_t strf = out.Open("strf");
    out.U32(40);
    out.U32(v.width);
    out.U32(v.topDown ? static_cast<uint32_t>(-static_cast<int32_t>(v.height)) : v.height);
    out.U16(1);
    out.U16(v.bitCount);
    out.U32(v.compression);
    out.U32(v.compression == 0 || v.compression == 3 ? Stride(v) * v.height : 0);
    out.U32(0);
    out.U32(0);
    out.U32(static_cast<uint32_t>(v.palette.size()));
    out.U32(0);
    for (uint32_t m : v.masks)
        out.U32(m);
    for (uint32_t p : v.palette)
        out.U32(p & 0x00FFFFFF);
    out.Close(strf);
    out.Close(strl);
}

void WriteAudioStrl(RiffOut& out)
{
    const size_t strl = out.Open("LIST", "strl");
    const size_t strh = out.Open("strh");
    out.FourCC("auds");
    out.U32(1);
    out.U32(0);
    out.U16(0);
    out.U16(0);
    out.U32(0);
    out.U32(2);      // scale: block align
    out.U32(16000);  // rate: bytes per second
    out.U32(0);
    out.U32(0);
    out.U32(4096);
    out.U32(0xFFFFFFFF);
    out.U32(2);
    out.U16(0);
    out.U16(0);
    out.U16(0);
    out.U16(0);
    out.Close(strh);
    const size_t strf = out.Open("strf");
    out.U16(1);      // PCM
    out.U16(1);      // mono
    out.U32(8000);   // samples per second
    out.U32(16000);  // bytes per second
    out.U16(2);
    out.U16(16);
    out.Close(strf);
    out.Close(strl);
}

}  // namespace

std::string Make(const VideoStream& video, const std::vector<Chunk>& chunks, bool withAudio)
{
    const uint32_t length = video.length.value_or(static_cast<uint32_t>(chunks.size()));
    uint32_t maxChunk = 0;
    for (const Chunk& c : chunks)
        maxChunk = std::max<uint32_t>(maxChunk, static_cast<uint32_t>(c.data.size()));

    RiffOut out;
    const size_t riff = out.Open("RIFF", "AVI ");
    const size_t hdrl = out.Open("LIST", "hdrl");
    const size_t avih = out.Open("avih");
    out.U32(video.rate ? static_cast<uint32_t>(1000000ull * video.scale / video.rate) : 0);
    out.U32(0);
    out.U32(0);
    out.U32(video.index ? 0x10 : 0);  // AVIF_HASINDEX
    out.U32(length);
    out.U32(0);
    out.U32(withAudio ? 2 : 1);
    out.U32(maxChunk);
    out.U32(video.width);
    out.U32(video.height);
    for (int i = 0; i < 4; ++i)
        out.U32(0);
    out.Close(avih);
    const char* videoId = "00dc";
    const char* audioId = "01wb";
    if (withAudio) {
        // The audio stream comes first, so the video stream is stream 1.
        WriteAudioStrl(out);
        videoId = "01dc";
        audioId = "00wb";
    }
    WriteVideoStrl(out, video, length, maxChunk);
    if (video.odmlTotalFrames) {
        const size_t odml = out.Open("LIST", "odml");
        const size_t dmlh = out.Open("dmlh");
        out.U32(*video.odmlTotalFrames);
        for (int i = 0; i < 61; ++i)
            out.U32(0);
        out.Close(dmlh);
        out.Close(odml);
    }
    out.Close(hdrl);

    struct Entry {
        const char* id;
        uint32_t flags, offset, size;
    };
    std::vector<Entry> entries;
    const size_t movi = out.Open("LIST", "movi");
    const size_t moviData = movi + 4;  // offsets in idx1 count from the 'movi' FourCC
    for (const Chunk& c : chunks) {
        if (withAudio) {
            const size_t at = out.Size();
            const size_t ck = out.Open(audioId);
            out.Bytes(std::string(640, '\0'));
            out.Close(ck);
            entries.push_back({audioId, 0x10, static_cast<uint32_t>(at - moviData), 640});
        }
        const size_t at = out.Size();
        const size_t ck = out.Open(videoId);
        out.Bytes(c.data);
        out.Close(ck);
        entries.push_back({videoId, c.keyframe ? 0x10u : 0u, static_cast<uint32_t>(at - moviData),
                           static_cast<uint32_t>(c.data.size())});
    }
    out.Close(movi);
    if (video.index) {
        const size_t idx1 = out.Open("idx1");
        for (const Entry& e : entries) {
            out.FourCC(e.id);
            out.U32(e.flags);
            out.U32(e.offset);
            out.U32(e.size);
        }
        out.Close(idx1);
    }
    out.Close(riff);
    return out.Take();
}

std::string PackRows(const VideoStream& v, const std::function<uint32_t(uint32_t, uint32_t)>& pixel)
{
    const uint32_t stride = Stride(v);
    std::string rows(static_cast<size_t>(stride) * v.height, '\0');
    for (uint32_t y = 0; y < v.height; ++y) {
        const uint32_t stored = v.topDown ? y : v.height - 1 - y;
        char* row = rows.data() + static_cast<size_t>(stored) * stride;
        for (uint32_t x = 0; x < v.width; ++x) {
            const uint32_t p = pixel(x, y);
            switch (v.bitCount) {
            case 8:
                row[x] = static_cast<char>(p & 0xFF);
                break;
            case 16:
                row[2 * x] = static_cast<char>(p & 0xFF);
                row[2 * x + 1] = static_cast<char>((p >> 8) & 0xFF);
                break;
            case 24:
                for (int b = 0; b < 3; ++b)
                    row[3 * x + b] = static_cast<char>((p >> (8 * b)) & 0xFF);
                break;
            case 32:
                for (int b = 0; b < 4; ++b)
                    row[4 * x + b] = static_cast<char>((p >> (8 * b)) & 0xFF);
                break;
            default:
                break;
            }
        }
    }
    return rows;
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bool(out);
}

}  // namespace avi_writer
