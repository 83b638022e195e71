#include "mainwnd/preview_placement.h"

#include <algorithm>

QRect PreviewPlacement(uint32_t w, uint32_t h, int windowWidth)
{
    const int boxLeft = windowWidth - PREVIEW_BOX_OFFSET_FROM_RIGHT;
    if (w <= uint32_t(PREVIEW_BOX_WIDTH) && h <= uint32_t(PREVIEW_BOX_HEIGHT)) {
        const int x = int((uint32_t(PREVIEW_BOX_WIDTH) - w) >> 1) + boxLeft;
        const int y = int((uint32_t(PREVIEW_BOX_HEIGHT) - h) >> 1);
        return QRect(x, y, int(w), int(h));
    }
    // Too large for the box: the largest size of the same aspect ratio that fits, at least
    // one pixel each way.
    const double scale = std::min(double(PREVIEW_BOX_WIDTH) / w, double(PREVIEW_BOX_HEIGHT) / h);
    const uint32_t sw = std::max<uint32_t>(1, uint32_t(w * scale));
    const uint32_t sh = std::max<uint32_t>(1, uint32_t(h * scale));
    const int x = int((uint32_t(PREVIEW_BOX_WIDTH) - sw) >> 1) + boxLeft;
    const int y = int((uint32_t(PREVIEW_BOX_HEIGHT) - sh) >> 1);
    return QRect(x, y, int(sw), int(sh));
}
