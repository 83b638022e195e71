#include "tiff_test_support.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

namespace tifftest {

namespace {

void Put(std::string& file, size_t offset, std::initializer_list<unsigned> bytes)
{
    for (unsigned b : bytes)
        file[offset++] = static_cast<char>(b);
}

void Put32(std::string& file, size_t offset, uint32_t v)
{
    Put(file, offset, {v & 0xFFu, (v >> 8) & 0xFFu, (v >> 16) & 0xFFu, v >> 24});
}

std::string HexLines(const std::string& bytes, size_t from, size_t to)
{
    std::string out;
    char line[32];
    for (size_t row = from / 16 * 16; row < std::min(to, bytes.size()); row += 16) {
        std::snprintf(line, sizeof line, "%08zx ", row);
        out += line;
        for (size_t i = row; i < row + 16 && i < bytes.size(); ++i) {
            std::snprintf(line, sizeof line, " %02x", static_cast<unsigned char>(bytes[i]));
            out += line;
        }
        out += '\n';
    }
    return out;
}

}  // namespace

std::vector<uint8_t> PatternFrame(uint32_t width, uint32_t height)
{
    const size_t stride = Stride(width);
    std::vector<uint8_t> frame(stride * height, 0xEE);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (uint32_t c = 0; c < 3; ++c)
                frame[y * stride + 3 * x + c] = static_cast<uint8_t>(y * 31 + x * 7 + c * 101 + 1);
    return frame;
}

std::string ExpectedFile(uint32_t width, uint32_t height, const std::vector<uint8_t>& frame)
{
    std::string file(256, '\0');
    // Header: byte order, identifier, directory offset 20, 14 entries.
    Put(file, 0, {0x49, 0x49, 0x2A, 0x00, 0x14, 0x00, 0x00, 0x00});
    Put(file, 20, {0x0E, 0x00});
    // The directory, one row a entry: tag, type, count, value or offset.
    struct Entry {
        size_t at;
        unsigned tag, type;
        uint32_t count, value;
    };
    const uint32_t bytes = 3 * width * height;
    const Entry entries[] = {
        {22, 254, 4, 1, 1},        {34, 256, 4, 1, width},   {46, 257, 4, 1, height},
        {58, 258, 3, 3, 222},      {70, 259, 3, 1, 1},       {82, 262, 3, 1, 2},
        {94, 273, 4, 1, 256},      {106, 277, 4, 1, 3},      {118, 278, 4, 1, height},
        {130, 279, 4, 1, bytes},   {142, 282, 5, 1, 194},    {154, 283, 5, 1, 202},
        {166, 296, 3, 1, 2},       {178, 305, 2, 12, 210},
    };
    for (const Entry& e : entries) {
        Put(file, e.at, {e.tag & 0xFFu, e.tag >> 8, e.type, 0});
        Put32(file, e.at + 4, e.count);
        Put32(file, e.at + 8, e.value);  // SHORT values: low two bytes, then two zero bytes
    }
    Put(file, 194, {0xC8, 0, 0, 0, 1, 0, 0, 0, 0xC8, 0, 0, 0, 1, 0, 0, 0});
    file.replace(210, 12, std::string("Stillcutter\0", 12));
    Put(file, 222, {8, 0, 8, 0, 8, 0});

    const size_t stride = Stride(width);
    for (uint32_t r = 0; r < height; ++r) {
        const uint8_t* src = frame.data() + (height - 1 - r) * stride;
        for (uint32_t c = 0; c < width; ++c) {
            file += static_cast<char>(src[3 * c + 2]);
            file += static_cast<char>(src[3 * c + 1]);
            file += static_cast<char>(src[3 * c]);
        }
    }
    return file;
}

::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    const size_t from = at >= 32 ? at - 32 : 0;
    return ::testing::AssertionFailure()
           << "sizes " << expected.size() << " (expected) and " << actual.size()
           << " (actual), first difference at byte " << at << "\nexpected:\n"
           << HexLines(expected, from, at + 48) << "actual:\n"
           << HexLines(actual, from, at + 48);
}

}  // namespace tifftest
