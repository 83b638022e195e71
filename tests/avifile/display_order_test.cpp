// The display order rules on made-up decoder output: which frame index each picture, null
// chunk and failed chunk gets, straight from the start and after a seek.
#include "platform/avifile/display_order.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

using platform::avi::DisplayOrder;
using platform::avi::SlotKind;
using platform::avi::SlotRun;
using platform::avi::SyncPoints;

struct OrderCase {
    const char* name;
    std::vector<int64_t> keyframes;  // empty: a region per chunk (no reordering)
    int64_t sync, first;             // Restart(sync, first)
    const char* events;              // "r<chunk>" read, "p<tag>" picture out, "e" end
    const char* expected;            // "P<display>", "R<display>x<count>", "M<display>x<count>"
    int64_t limit = DisplayOrder::kNoLimit;
    int64_t totalChunks = -1;  // what End is told the index counts
};

std::string Sequence(const OrderCase& c)
{
    DisplayOrder order(c.keyframes.empty() ? SyncPoints::EveryChunk() : SyncPoints::At(c.keyframes), c.limit);
    order.Restart(c.sync, c.first);
    std::istringstream events(c.events);
    std::string e;
    std::vector<SlotRun> runs;
    while (events >> e) {
        if (e[0] == 'r')
            order.ChunkRead(std::stoll(e.substr(1)));
        else if (e[0] == 'p')
            order.Picture(std::stoll(e.substr(1)), runs);
        else
            order.End(runs, c.totalChunks);
    }
    std::string out;
    for (const SlotRun& r : runs) {
        if (!out.empty())
            out += ' ';
        out += r.kind == SlotKind::Picture ? 'P' : r.kind == SlotKind::Repeat ? 'R' : 'M';
        out += std::to_string(r.display);
        if (r.kind != SlotKind::Picture)
            out += "x" + std::to_string(r.count);
    }
    return out;
}

// Decoder output of chunks 0-7 with keyframes at 0 and 4; chunk 4's region is an open GOP:
// pictures of chunks 5 and 6 are displayed before the keyframe picture.
#define OPEN_GOP "r0 r1 p0 r2 r3 p2 r4 p3 p1 r5 r6 p5 r7 p6 p4 p7 e"

const OrderCase kCases[] = {
    {"chunk_order", {}, 0, 0, "r0 p0 r1 p1 r2 p2", "P0 P1 P2"},
    {"null_chunks_repeat", {}, 0, 0, "r0 p0 r1 p1 r4 p4 r5 p5", "P0 P1 R2x2 P4 P5"},
    {"leading_null_chunks", {}, 0, 0, "r2 p2 r3 p3", "R0x2 P2 P3"},
    {"failed_chunk_is_missing", {}, 0, 0, "r0 p0 r1 r2 p2", "P0 M1x1 P2"},
    {"second_picture_of_a_chunk_dropped", {}, 0, 0, "r0 p0 p0 r1 p1", "P0 P1"},
    {"seek_with_nulls_before_target", {}, 5, 3, "r3 p3 r7 p7", "R5x2 P7"},
    {"trailing_nulls_known_at_end", {}, 0, 0, "r0 p0 r3 e", "P0 R1x2"},
    {"open_gop_straight", {0, 4}, 0, 0, OPEN_GOP, "P0 P1 P2 P3 P4 P5 P6 P7"},
    {"open_gop_after_seek", {0, 4}, 4, 0, OPEN_GOP, "P4 P5 P6 P7"},
    {"failed_picture_leaves_region_short", {0, 3}, 0, 0, "r0 p0 r1 p1 r2 r3 p3 r4 p4", "P0 P1 M2x1 P3 P4"},
    {"surplus_picture_dropped", {0, 3}, 0, 0, "r0 p0 r1 p1 p1 r2 p2 r3 p3", "P0 P1 P2 P3"},
    {"nulls_inside_open_gop", {0, 4}, 0, 0, "r0 p0 r1 r2 r3 p2 r4 p3 p1 r7 p7 p4", "P0 P1 P2 P3 R4x2 P6 P7"},
    {"limit_drops_the_rest", {}, 0, 0, "r0 p0 r1 p1 r2 p2", "P0 P1", 2},
    {"index_counts_trailing_nulls", {}, 0, 0, "r0 p0 r1 p1 e", "P0 P1 R2x3", DisplayOrder::kNoLimit, 5},
};

class OrderTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(OrderTest, AssignsFrameIndices) { EXPECT_EQ(Sequence(GetParam()), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(DisplayOrder, OrderTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DisplayOrder, ReportsHowRegionsOpen)
{
    DisplayOrder order(SyncPoints::At({0, 4}));
    order.Restart(0, 0);
    std::vector<SlotRun> runs;
    for (int64_t t : {0, 2, 3, 1, 5, 6, 4, 7})
        order.Picture(t, runs);
    const auto entries = order.TakeRegionEntries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].region, 0);
    EXPECT_TRUE(entries[0].opensWithKeyPicture);
    EXPECT_EQ(entries[1].region, 4);
    EXPECT_FALSE(entries[1].opensWithKeyPicture);  // picture 5 came first: leading pictures
    EXPECT_TRUE(entries[1].continuous);

    // After a seek straight to keyframe 4 the entry is no evidence about straight decoding.
    order.Restart(4, 4);
    order.Picture(4, runs);
    const auto direct = order.TakeRegionEntries();
    ASSERT_EQ(direct.size(), 1u);
    EXPECT_TRUE(direct[0].opensWithKeyPicture);
    EXPECT_FALSE(direct[0].continuous);
}

TEST(SyncPoints, FindsRegions)
{
    const SyncPoints s = SyncPoints::At({10, 30, 20});
    EXPECT_EQ(s.Floor(5), 0);
    EXPECT_EQ(s.Floor(20), 20);
    EXPECT_EQ(s.Floor(29), 20);
    EXPECT_EQ(s.Next(20), 30);
    EXPECT_EQ(s.Next(30), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(s.Previous(20), 10);
    EXPECT_EQ(s.Previous(10), 0);
    EXPECT_EQ(s.Ordinal(30), 3);
    EXPECT_EQ(s.Ordinal(25), -1);
}

}  // namespace
