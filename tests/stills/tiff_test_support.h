// Test helpers for the TIFF writer: source frames with a known pattern, the expected file
// built straight from the layout tables, and a byte comparison that prints a hex dump.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tifftest {

// Bytes per source row: 3 x width rounded up to a multiple of 4.
inline size_t Stride(uint32_t width) { return (width * 3u + 3u) / 4u * 4u; }

// A bottom-up B,G,R frame in which every byte tells its row, column and channel, with the
// row padding filled with 0xEE so that a leak of padding into the file shows.
std::vector<uint8_t> PatternFrame(uint32_t width, uint32_t height);

// The whole expected file for `frame`, header from the layout tables, pixels top row first
// in R,G,B order.
std::string ExpectedFile(uint32_t width, uint32_t height, const std::vector<uint8_t>& frame);

// Compares two byte strings; on a mismatch the failure shows where and a hex dump of both.
::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual);

}  // namespace tifftest
