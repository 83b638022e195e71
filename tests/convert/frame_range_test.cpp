#include <gtest/gtest.h>

#include <string>

#include "convert/frame_range.h"

namespace {

TEST(ParseFrameNumber, FollowsTheAtoiRule)
{
    struct Case {
        const char* text;
        uint32_t value;
    } const cases[] = {
        {"", 0},
        {"0", 0},
        {"12", 12},
        {" 12x", 12},
        {"\t\n\v\f\r 7", 7},
        {"+5", 5},
        {"-1", 4294967295u},
        {"-0", 0},
        {"abc", 0},
        {"x12", 0},
        {"+", 0},
        {"- 3", 0},
        {"++3", 0},
        {"4294967295", 4294967295u},
        {"4294967296", 0},        // modulo 2^32
        {"4294967307", 11},
        {"99999999999999999999", 1661992959u},
        {"12 34", 12},
        {"0x10", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        EXPECT_EQ(ParseFrameNumber(c.text), c.value);
    }
}

TEST(ParseFrameNumber, ReadsOnlyTheFirst98Characters)
{
    const std::string blanks97(97, ' ');
    EXPECT_EQ(ParseFrameNumber(blanks97 + "7"), 7u);
    EXPECT_EQ(ParseFrameNumber(blanks97 + "78"), 7u);
    EXPECT_EQ(ParseFrameNumber(std::string(98, ' ') + "7"), 0u);
}

TEST(ProgressPosition, MeasuresTheFrameAgainstTheWholeStream)
{
    struct Case {
        uint32_t frame, count;
        int pos;
    } const cases[] = {
        {0, 100, 0},
        {10, 100, 49},
        {11, 100, 54},
        {12, 100, 59},
        {20, 100, 99},
        {99, 100, 494},
        {150, 100, 748},    // 4.99 x 150 = 748.5, truncated
        {100, 1000, 49},
        {200, 1000, 99},
        {1, 1, 499},
        {4294967295u, 100, -23598},   // 21431886802: its low 16 bits, as signed
        {4294967295u, 4294967295u, 499},
        {200, 1, -31272},             // 99800 wraps to a negative position
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.frame) + " of " + std::to_string(c.count));
        EXPECT_EQ(ProgressPosition(c.frame, c.count), c.pos);
    }
}

TEST(ClampEndFrame, KeepsTheEndInsideTheStream)
{
    struct Case {
        uint32_t end, count, clamped;
        bool changed;
    } const cases[] = {
        {12, 100, 12, false},
        {99, 100, 99, false},
        {100, 100, 99, true},
        {1000, 100, 99, true},
        {4294967295u, 100, 99, true},
        {0, 1, 0, false},
        {5, 1, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.end) + " in " + std::to_string(c.count));
        uint32_t end = c.end;
        EXPECT_EQ(ClampEndFrame(end, c.count), c.changed);
        EXPECT_EQ(end, c.clamped);
    }
}

}  // namespace
