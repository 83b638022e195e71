#include "platform/avifile/display_order.h"

#include <algorithm>

namespace platform::avi {

SyncPoints SyncPoints::EveryChunk() { return SyncPoints(); }

SyncPoints SyncPoints::At(std::vector<int64_t> keyframes)
{
    SyncPoints s;
    s.m_every = false;
    keyframes.push_back(0);
    std::sort(keyframes.begin(), keyframes.end());
    keyframes.erase(std::unique(keyframes.begin(), keyframes.end()), keyframes.end());
    keyframes.erase(std::remove_if(keyframes.begin(), keyframes.end(), [](int64_t k) { return k < 0; }),
                    keyframes.end());
    s.m_starts = std::move(keyframes);
    return s;
}

int64_t SyncPoints::Floor(int64_t chunk) const
{
    if (chunk <= 0)
        return 0;
    if (m_every)
        return chunk;
    auto it = std::upper_bound(m_starts.begin(), m_starts.end(), chunk);
    return *(it - 1);
}

int64_t SyncPoints::Next(int64_t chunk) const
{
    if (m_every)
        return std::max<int64_t>(chunk, -1) + 1;
    auto it = std::upper_bound(m_starts.begin(), m_starts.end(), chunk);
    return it == m_starts.end() ? std::numeric_limits<int64_t>::max() : *it;
}

int64_t SyncPoints::Previous(int64_t regionStart) const
{
    if (regionStart <= 0)
        return 0;
    if (m_every)
        return regionStart - 1;
    auto it = std::lower_bound(m_starts.begin(), m_starts.end(), regionStart);
    return it == m_starts.begin() ? 0 : *(it - 1);
}

int64_t SyncPoints::Ordinal(int64_t regionStart) const
{
    if (m_every)
        return regionStart;
    auto it = std::lower_bound(m_starts.begin(), m_starts.end(), regionStart);
    if (it == m_starts.end() || *it != regionStart)
        return -1;
    return it - m_starts.begin();
}

DisplayOrder::DisplayOrder(SyncPoints sync, int64_t limit) : m_sync(std::move(sync)), m_limit(limit) {}

void DisplayOrder::Restart(int64_t syncChunk, int64_t firstChunk)
{
    m_syncChunk = std::max<int64_t>(0, syncChunk);
    m_firstChunk = std::max<int64_t>(0, firstChunk);
    m_synced = false;
    m_regionStart = -1;
    m_counter = m_syncChunk;
    m_lastRead = m_firstChunk - 1;
    m_nulls.clear();
    m_entries.clear();
}

void DisplayOrder::ChunkRead(int64_t chunk)
{
    if (chunk > m_lastRead + 1) {
        if (!m_nulls.empty() && m_nulls.back().end == m_lastRead + 1)
            m_nulls.back().end = chunk;
        else
            m_nulls.push_back({m_lastRead + 1, chunk});
    }
    m_lastRead = std::max(m_lastRead, chunk);
}

void DisplayOrder::Picture(int64_t tag, std::vector<SlotRun>& out)
{
    EmitNullsBefore(tag, out);
    Place(tag, 1, SlotKind::Picture, out);
}

void DisplayOrder::End(std::vector<SlotRun>& out, int64_t totalChunks)
{
    if (totalChunks > m_lastRead + 1)
        ChunkRead(totalChunks);  // as if one more chunk followed the trailing null chunks
    EmitNullsBefore(std::numeric_limits<int64_t>::max(), out);
}

std::vector<RegionEntry> DisplayOrder::TakeRegionEntries()
{
    std::vector<RegionEntry> taken;
    taken.swap(m_entries);
    return taken;
}

void DisplayOrder::EmitNullsBefore(int64_t tag, std::vector<SlotRun>& out)
{
    size_t done = 0;
    for (; done < m_nulls.size() && m_nulls[done].first < tag; ++done) {
        Range& r = m_nulls[done];
        const int64_t end = std::min(r.end, tag);
        Place(r.first, end - r.first, SlotKind::Repeat, out);
        if (end < r.end) {
            r.first = end;
            break;
        }
    }
    m_nulls.erase(m_nulls.begin(), m_nulls.begin() + static_cast<std::ptrdiff_t>(done));
}

void DisplayOrder::Place(int64_t tag, int64_t count, SlotKind kind, std::vector<SlotRun>& out)
{
    if (count <= 0)
        return;
    if (!m_synced) {
        if (tag + count <= m_syncChunk)
            return;  // pre-roll
        if (tag < m_syncChunk) {
            count -= m_syncChunk - tag;
            tag = m_syncChunk;
        }
        m_synced = true;
        m_counter = m_syncChunk;
        m_regionStart = -1;
    }
    if (!m_sync.EveryChunkStarts()) {
        while (count > 0) {
            const int64_t n = std::min(count, m_sync.Next(tag) - tag);
            PlaceInRegion(tag, n, kind, out);
            tag += n;
            count -= n;
        }
        return;
    }
    // A region per chunk: the frame index is the tag; a run of null chunks fills its own span.
    if (tag <= m_regionStart) {
        const int64_t late = m_regionStart - tag + 1;
        if (late >= count)
            return;
        tag += late;
        count -= late;
    }
    if (m_counter < tag)
        Emit(m_counter, tag - m_counter, SlotKind::Missing, out);
    Emit(tag, count, kind, out);
    m_counter = tag + count;
    m_regionStart = tag + count - 1;
}

void DisplayOrder::PlaceInRegion(int64_t tag, int64_t count, SlotKind kind, std::vector<SlotRun>& out)
{
    const int64_t region = std::max(m_sync.Floor(tag), m_syncChunk);
    if (region > m_regionStart) {
        const bool continuous = m_regionStart >= 0 || m_firstChunk < region;
        if (m_counter < region)
            Emit(m_counter, region - m_counter, SlotKind::Missing, out);
        m_counter = std::max(m_counter, region);
        m_regionStart = region;
        m_entries.push_back({region, kind == SlotKind::Picture && tag == region, continuous});
    } else if (region < m_regionStart) {
        return;  // an item of a region already left: no index for it
    }
    const int64_t next = m_sync.Next(region);
    const int64_t room = next == std::numeric_limits<int64_t>::max() ? count : next - m_counter;
    const int64_t n = std::min(count, room);
    if (n > 0) {
        Emit(m_counter, n, kind, out);
        m_counter += n;
    }
}

void DisplayOrder::Emit(int64_t display, int64_t count, SlotKind kind, std::vector<SlotRun>& out)
{
    if (display >= m_limit || count <= 0)
        return;
    count = std::min(count, m_limit - display);
    if (!out.empty() && kind != SlotKind::Picture && out.back().kind == kind &&
        out.back().display + out.back().count == display) {
        out.back().count += count;
        return;
    }
    out.push_back({display, count, kind});
}

}  // namespace platform::avi
