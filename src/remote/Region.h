// Region: the outline of a picture as a set of rectangles, and its application to a
// window as the window's shape.
//
// ScanPicture cuts every row of the picture into maximal runs of pixels that do not
// have the transparent colour; each run becomes one rectangle one pixel high.
#pragma once

#include "DibSection.h"

#include <cstdint>
#include <vector>

class QImage;
class QWidget;

namespace remote {

struct Rect {
    std::int32_t left, top, right, bottom; // right and bottom exclusive
    bool operator==(const Rect&) const = default;
};

// What OffsetHeader needs to know of a window, in pixels.
struct FrameMetrics {
    bool hasBorder = false; // border style other than none
    std::int32_t outerWidth = 0, outerHeight = 0;
    std::int32_t clientWidth = 0, clientHeight = 0;
};

class Region {
public:
    // Builds the region from the picture. With `transparentColour` 1 the key is taken
    // from the picture's bottom-left pixel (buffer row 0, pixel 0) and written back,
    // packed blue + 256 green + 65536 red.
    void ScanPicture(const QImage& picture, std::int32_t& transparentColour);
    // The same scan over a buffer already filled.
    void scanBuffer(const DibSection& dib, std::int32_t& transparentColour);
    // Moves the region from client to window coordinates: by the side border and the
    // caption height; a window without a border is not moved.
    void OffsetHeader(const FrameMetrics& form);
    // Gives a fresh copy of the region to the window as its shape; can be repeated.
    void ApplyRgn(QWidget& window) const;

    const std::vector<Rect>& rects() const { return rects_; }
    bool empty() const { return rects_.empty(); }
    // True when the pixel (x, y) of the picture lies inside the region.
    bool contains(std::int32_t x, std::int32_t y) const;

private:
    DibSection dib_;
    std::vector<Rect> rects_;
};

} // namespace remote
