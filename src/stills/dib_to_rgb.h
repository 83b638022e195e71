// Turns a 24-bit DIB (B,G,R pixels, bottom row first, rows at the DIB stride) into packed
// R,G,B rows, top row first, with no row padding. Plain C++.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes per row of a 24-bit DIB: 3 x width rounded up to a multiple of 4.
inline constexpr size_t DibRowStride(uint32_t width) { return (size_t{width} * 3u + 3u) & ~size_t{3}; }

// Writes picture rows firstRow .. firstRow + rows - 1 (row 0 is the top) of the frame `bits`
// of width x height pixels to `out`, 3 x width bytes each; reads only the source rows they
// come from. Every output byte is written.
void DibToRgbRows(const uint8_t* bits, uint32_t width, uint32_t height, uint32_t firstRow,
                  uint32_t rows, uint8_t* out);
