// Where a frame lands in the preview box of the main dialog.
#pragma once

#include <QRect>
#include <cstdint>

inline constexpr int PREVIEW_BOX_WIDTH = 720;
inline constexpr int PREVIEW_BOX_HEIGHT = 570;
inline constexpr int PREVIEW_BOX_OFFSET_FROM_RIGHT = 730;

// The rectangle, in client coordinates, that a frame of w x h pixels fills when drawn centred
// in the preview box of a window whose whole width (borders included) is windowWidth. Frames
// up to 720 x 570 keep their size: x = ((720 - w) >> 1) + windowWidth - 730,
// y = (570 - h) >> 1. Larger frames are scaled down to fit, keeping their aspect ratio.
QRect PreviewPlacement(uint32_t w, uint32_t h, int windowWidth);
