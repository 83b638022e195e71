// Turns the pictures that a decoder puts out into display-order frame indices.
//
// Every packet sent to the decoder is tagged with its chunk index (its position in the
// stream's list of chunks, null chunks included), and the decoder hands that tag on to the
// picture decoded from it. Pictures come out in display order. For a keyframe chunk k, every
// picture of the chunks before k is displayed before every picture of k and the chunks after
// it; so the first item whose tag is at least k is display frame k, the next one k + 1, and so
// on up to the next keyframe. These keyframe-delimited stretches are the "regions" here. A
// stream without reordering has a region per chunk: its frame index is the tag itself.
//
// A null (zero-size) chunk carries no data: it repeats the picture before it, and it counts as
// an item placed before the first picture whose tag is greater. A region that receives fewer
// items than it has chunks (a packet that failed to decode) leaves its last indices missing; a
// region that receives more drops the extra ones. The same rules apply whether decoding started
// at the beginning or at an earlier keyframe after a seek, so the indices do not depend on the
// path taken to a frame.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

namespace platform::avi {

// The chunks at which display regions start.
class SyncPoints {
public:
    // A region per chunk: the stream puts its pictures out in chunk order.
    static SyncPoints EveryChunk();
    // Regions start at the given keyframe chunks (sorted, ascending) and at chunk 0.
    static SyncPoints At(std::vector<int64_t> keyframes);

    bool EveryChunkStarts() const { return m_every; }
    // The start of the region that holds `chunk`.
    int64_t Floor(int64_t chunk) const;
    // The start of the region after the one that holds `chunk` (max() when there is none).
    int64_t Next(int64_t chunk) const;
    // The start of the region before the one starting at `regionStart` (0 for the first).
    int64_t Previous(int64_t regionStart) const;
    // Keyframe regions only: the position of `regionStart` in the list (-1 for chunk 0 when it
    // is not a keyframe).
    int64_t Ordinal(int64_t regionStart) const;

private:
    bool m_every = true;
    std::vector<int64_t> m_starts;  // ascending; always begins with 0
};

enum class SlotKind { Picture, Repeat, Missing };

// `count` consecutive frames from `display` on: the picture just decoded (count 1), a repeat
// of the picture before it (null chunks), or frames that cannot be produced.
struct SlotRun {
    int64_t display = 0;
    int64_t count = 0;
    SlotKind kind = SlotKind::Missing;
};

// Entering a display region: whether its first item was the picture of its own keyframe
// chunk (no leading pictures that depend on the region before), and whether decoding had
// already run through the region before (so the observation holds for straight decoding).
struct RegionEntry {
    int64_t region = 0;
    bool opensWithKeyPicture = false;
    bool continuous = false;
};

class DisplayOrder {
public:
    static constexpr int64_t kNoLimit = std::numeric_limits<int64_t>::max();

    explicit DisplayOrder(SyncPoints sync, int64_t limit = kNoLimit);

    // Decoding (re)starts: items of chunks before `syncChunk` (a region start) are pre-roll and
    // get no index; `firstChunk` is where reading starts, so chunks from it on that are never
    // read are null chunks.
    void Restart(int64_t syncChunk, int64_t firstChunk);

    // A chunk with data was read (chunks arrive in ascending order); the chunks skipped since
    // the previous one are null chunks.
    void ChunkRead(int64_t chunk);

    // The decoder put out the picture of chunk `tag`: appends the frames it settles.
    void Picture(int64_t tag, std::vector<SlotRun>& out);

    // The stream ended: null chunks still pending are settled, and so are those after the
    // last chunk read up to `totalChunks` when the stream's index gives that count (-1: not).
    void End(std::vector<SlotRun>& out, int64_t totalChunks = -1);

    // Regions entered since the last call.
    std::vector<RegionEntry> TakeRegionEntries();

    bool Synced() const { return m_synced; }
    // The index the next settled frame will get (meaningful once synced).
    int64_t NextDisplay() const { return m_counter; }
    int64_t SyncChunk() const { return m_syncChunk; }

private:
    struct Range {
        int64_t first, end;
    };
    void EmitNullsBefore(int64_t tag, std::vector<SlotRun>& out);
    void Place(int64_t tag, int64_t count, SlotKind kind, std::vector<SlotRun>& out);
    void PlaceInRegion(int64_t tag, int64_t count, SlotKind kind, std::vector<SlotRun>& out);
    void Emit(int64_t display, int64_t count, SlotKind kind, std::vector<SlotRun>& out);

    SyncPoints m_sync;
    int64_t m_limit;
    int64_t m_syncChunk = 0;
    int64_t m_firstChunk = 0;
    bool m_synced = false;
    int64_t m_regionStart = -1;
    int64_t m_counter = 0;
    int64_t m_lastRead = -1;
    std::vector<Range> m_nulls;  // pending null chunks, ascending
    std::vector<RegionEntry> m_entries;
};

}  // namespace platform::avi
