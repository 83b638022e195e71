#include "stills/write_tiff.h"

#include "stills/dib_to_rgb.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

constexpr size_t kHeaderSize = 256;

// --- header -------------------------------------------------------------------------------

void Put16(uint8_t* at, uint16_t v)
{
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(v >> (8 * i));
}

enum FieldType : uint16_t { kAscii = 2, kShort = 3, kLong = 4, kRational = 5 };

// One 12-byte directory entry. A single SHORT fills the first two bytes of the value field;
// values that do not fit the field (three SHORTs, RATIONALs, text) are given by their offset.
void PutEntry(uint8_t* header, int index, uint16_t tag, FieldType type, uint32_t count,
              uint32_t valueOrOffset)
{
    uint8_t* e = header + 22 + 12 * index;
    Put16(e, tag);
    Put16(e + 2, type);
    Put32(e + 4, count);
    if (type == kShort && count == 1)
        Put16(e + 8, static_cast<uint16_t>(valueOrOffset));
    else
        Put32(e + 8, valueOrOffset);
}

// The fixed 256-byte header: byte order, one directory of 14 entries and its out-of-line
// values. Only the width, the height and the byte count differ from file to file.
void BuildHeader(uint8_t* h, uint32_t width, uint32_t height, uint32_t byteCount)
{
    std::memset(h, 0, kHeaderSize);
    h[0] = 'I';
    h[1] = 'I';
    Put16(h + 2, 42);
    Put32(h + 4, 20);   // offset of the directory
    Put16(h + 20, 14);  // entries in it
    int n = 0;
    PutEntry(h, n++, 254, kLong, 1, 1);         // NewSubfileType
    PutEntry(h, n++, 256, kLong, 1, width);     // ImageWidth
    PutEntry(h, n++, 257, kLong, 1, height);    // ImageLength
    PutEntry(h, n++, 258, kShort, 3, 222);      // BitsPerSample
    PutEntry(h, n++, 259, kShort, 1, 1);        // Compression: none
    PutEntry(h, n++, 262, kShort, 1, 2);        // PhotometricInterpretation: RGB
    PutEntry(h, n++, 273, kLong, 1, kHeaderSize);  // StripOffsets
    PutEntry(h, n++, 277, kLong, 1, 3);         // SamplesPerPixel
    PutEntry(h, n++, 278, kLong, 1, height);    // RowsPerStrip
    PutEntry(h, n++, 279, kLong, 1, byteCount); // StripByteCounts
    PutEntry(h, n++, 282, kRational, 1, 194);   // XResolution
    PutEntry(h, n++, 283, kRational, 1, 202);   // YResolution
    PutEntry(h, n++, 296, kShort, 1, 2);        // ResolutionUnit: inch
    PutEntry(h, n++, 305, kAscii, 12, 210);     // Software
    // 190 - 193: no next directory (zero).
    Put32(h + 194, 200);
    Put32(h + 198, 1);
    Put32(h + 202, 200);
    Put32(h + 206, 1);
    std::memcpy(h + 210, "Stillcutter", 12);  // with its NUL
    Put16(h + 222, 8);
    Put16(h + 224, 8);
    Put16(h + 226, 8);
}

// --- buffers --------------------------------------------------------------------------------

// The pixels reach the file in pieces of about half a megabyte. One write(2) of a whole frame of
// several megabytes measured several times slower on these machines (at random, run to run)
// than the same bytes in pieces: the page cache that one big write fills comes in large folios
// of memory fresh to the machine. Pieces from 256 KB to 1 MB measured fastest and steadiest.
// WriteTiff converts each piece of whole rows right before it writes it; files up to
// kOneWriteBytes go in one write.
constexpr size_t kPieceBytes = 512 * 1024;
constexpr size_t kOneWriteBytes = 512 * 1024;
// WriteTiffRgb writes the rows as they are, in pieces of kRgbPieceBytes, the first one after
// the header in the same call. (Pieces that start at multiples of their size in the file
// measured no faster on average, and at times much slower for 1080p frames.)
constexpr size_t kRgbPieceBytes = 512 * 1024;

// The header and one piece, kept per thread from file to file: fresh pages cost a fault each
// on first touch, so the block only ever grows.
struct PieceBuffer {
    std::unique_ptr<uint8_t[]> data;
    size_t capacity = 0;

    uint8_t* Reserve(size_t size)
    {
        if (size > capacity) {
            std::unique_ptr<uint8_t[]> grown(new (std::nothrow) uint8_t[size]);
            if (!grown)
                return nullptr;
            data = std::move(grown);
            capacity = size;
        }
        return data.get();
    }
};

// --- the write hook -------------------------------------------------------------------------

std::mutex g_hookMutex;
std::shared_ptr<const TiffWritevHook> g_hook;

std::shared_ptr<const TiffWritevHook> CurrentHook()
{
    std::lock_guard lock(g_hookMutex);
    return g_hook;
}

void InstallHook(TiffWritevHook hook)
{
    std::shared_ptr<const TiffWritevHook> next;
    if (hook)
        next = std::make_shared<const TiffWritevHook>(std::move(hook));
    std::lock_guard lock(g_hookMutex);
    g_hook = std::move(next);
}

// --- the file -------------------------------------------------------------------------------

// Writes all of the `count` pieces `iov` (changed on the way), going on after short writes and
// interruptions.
bool WriteAll(int fd, iovec* iov, int count, const TiffWritevHook* hook)
{
    for (;;) {
        while (count > 0 && iov->iov_len == 0) {
            ++iov;
            --count;
        }
        if (count == 0)
            return true;
        const long done = hook ? (*hook)(fd, iov, count) : static_cast<long>(::writev(fd, iov, count));
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (done == 0) {  // no progress and no error: give up rather than spin
            errno = EIO;
            return false;
        }
        for (size_t left = static_cast<size_t>(done); left > 0;) {
            const size_t step = std::min(left, iov->iov_len);
            iov->iov_base = static_cast<uint8_t*>(iov->iov_base) + step;
            iov->iov_len -= step;
            left -= step;
            if (iov->iov_len == 0) {
                ++iov;
                --count;
            }
        }
    }
}

bool WriteAll(int fd, const uint8_t* data, size_t size, const TiffWritevHook* hook)
{
    iovec piece{const_cast<uint8_t*>(data), size};
    return WriteAll(fd, &piece, 1, hook);
}

// What was opened: only a regular file is ever removed or emptied after a failure.
struct OpenedFile {
    bool regular = false;
    dev_t device = 0;
    ino_t inode = 0;
};

OpenedFile Identify(int fd)
{
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return {true, st.st_dev, st.st_ino};
}

// True when `path` itself (not a link to it) still names the opened file.
bool NamesFile(const char* path, const OpenedFile& file)
{
    struct stat st{};
    return file.regular && ::lstat(path, &st) == 0 && S_ISREG(st.st_mode) &&
           st.st_dev == file.device && st.st_ino == file.inode;
}

// The byte count of the pixels of a still of width x height, or nothing when the frame does
// not fit the layout (16-bit sizes, a 32-bit byte count).
std::optional<uint32_t> PixelBytes(uint32_t width, uint32_t height)
{
    if (width > 0xFFFFu || height > 0xFFFFu)
        return std::nullopt;
    const uint64_t bytes = 3ull * width * height;
    if (bytes > std::numeric_limits<uint32_t>::max())
        return std::nullopt;
    return static_cast<uint32_t>(bytes);
}

// Reserves the blocks of a regular file of `fileBytes` before it is written. Writing into
// blocks reserved at once measured about a third less kernel time on ext4 than having each
// block allocated as the write reaches it. The size is kept (FALLOC_FL_KEEP_SIZE): until the
// last byte is written the file is shorter than a complete still, so a run cut off by a
// crash never leaves a file that looks complete. File systems without the call write as
// before.
void ReserveBlocks(int fd, const OpenedFile& file, uint64_t fileBytes)
{
    if (!file.regular || fileBytes == 0)
        return;
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(fileBytes)) != 0) {
        // Not supported, or no space: the writes find out and report it.
    }
}

// Creates or truncates `path`, has `writeContent(fd, hook)` write the whole file of
// `fileBytes`, closes it, and on any failure removes what it wrote (see WriteTiff).
template <typename Content>
bool WriteStill(const char* path, uint64_t fileBytes, Content&& writeContent)
{
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const OpenedFile file = Identify(fd);
    ReserveBlocks(fd, file, fileBytes);
    const std::shared_ptr<const TiffWritevHook> hook = CurrentHook();
    const bool written = writeContent(fd, hook && *hook ? hook.get() : nullptr);
    int saved = errno;
    if (!written && file.regular && !NamesFile(path, file)) {
        // A regular file reached through a symbolic link: the link stays, the partial
        // content goes. The file held nothing of its own any more since O_TRUNC.
        if (::ftruncate(fd, 0) != 0) {
            // Nothing more to mend; the result reports the failure.
        }
    }
    // close() also reports delayed write errors (network file systems, quotas); the
    // descriptor is released whatever it returns, so it is never closed twice.
    const bool closed = ::close(fd) == 0;
    if (written && !closed)
        saved = errno;
    if (written && closed)
        return true;
    // A device (/dev/full), a pipe or a link keeps its name; the file this call created or
    // truncated is removed.
    if (NamesFile(path, file))
        ::unlink(path);
    errno = saved;
    return false;
}

// Converts and writes the header and all rows, piece by piece.
bool WriteHeaderAndRows(int fd, uint8_t* block, uint32_t rowsPerPiece, uint32_t width,
                        uint32_t height, const uint8_t* bits, const TiffWritevHook* hook)
{
    const size_t rowBytes = size_t{width} * 3u;
    size_t lead = kHeaderSize;  // the first piece starts with the header
    uint32_t row = 0;
    do {
        const uint32_t rows = std::min(rowsPerPiece, height - row);
        if (rowBytes > 0 && rows > 0)
            DibToRgbRows(bits, width, height, row, rows, block + lead);
        if (!WriteAll(fd, block, lead + rows * rowBytes, hook))
            return false;
        lead = 0;
        row += rows;
    } while (row < height);
    return true;
}

}  // namespace

bool WriteTiff(const char* path, uint32_t width, uint32_t height, const uint8_t* bits)
{
    const std::optional<uint32_t> pixelBytes = PixelBytes(width, height);
    if (!pixelBytes)
        return false;
    const size_t rowBytes = size_t{width} * 3u;
    const bool oneWrite = kHeaderSize + *pixelBytes <= kOneWriteBytes || rowBytes == 0;
    const uint32_t rowsPerPiece =
        oneWrite ? height : std::max<uint32_t>(1, static_cast<uint32_t>(kPieceBytes / rowBytes));

    thread_local PieceBuffer buffer;
    uint8_t* block = buffer.Reserve(kHeaderSize + size_t{rowsPerPiece} * rowBytes);
    if (!block)
        return false;
    BuildHeader(block, width, height, *pixelBytes);
    const uint64_t fileBytes = kHeaderSize + uint64_t{*pixelBytes};
    return WriteStill(path, fileBytes, [&](int fd, const TiffWritevHook* hook) {
        return WriteHeaderAndRows(fd, block, rowsPerPiece, width, height, bits, hook);
    });
}

bool WriteTiffRgb(const char* path, uint32_t width, uint32_t height, const uint8_t* rgbTopDown)
{
    const std::optional<uint32_t> pixelBytes = PixelBytes(width, height);
    if (!pixelBytes)
        return false;
    uint8_t header[kHeaderSize];
    BuildHeader(header, width, height, *pixelBytes);
    const uint64_t fileBytes = kHeaderSize + uint64_t{*pixelBytes};
    return WriteStill(path, fileBytes, [&](int fd, const TiffWritevHook* hook) {
        // The header goes with the first piece of the rows, in one writev(2).
        const uint8_t* rows = rgbTopDown;
        size_t left = *pixelBytes;
        size_t piece = std::min(left, kRgbPieceBytes);
        iovec first[2] = {{header, kHeaderSize}, {const_cast<uint8_t*>(rows), piece}};
        if (!WriteAll(fd, first, 2, hook))
            return false;
        for (rows += piece, left -= piece; left > 0; rows += piece, left -= piece) {
            piece = std::min(left, kRgbPieceBytes);
            if (!WriteAll(fd, rows, piece, hook))
                return false;
        }
        return true;
    });
}

void SetTiffWriteHook(TiffWriteHook hook)
{
    if (!hook) {
        InstallHook({});
        return;
    }
    // A write(2) of the first piece left: what a writev(2) that stops short writes.
    InstallHook([write = std::move(hook)](int fd, const iovec* iov, int) -> long {
        return write(fd, iov->iov_base, iov->iov_len);
    });
}

void SetTiffWritevHook(TiffWritevHook hook) { InstallHook(std::move(hook)); }
