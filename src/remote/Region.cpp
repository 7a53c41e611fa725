#include "Region.h"

#include "automation/Conversions.h"

#include <QImage>
#include <QRegion>
#include <QWidget>

namespace remote {

namespace {

std::int32_t packedAt(const std::uint8_t* p)
{
    return p[0] + 256 * p[1] + 65536 * p[2];
}

} // namespace

void Region::ScanPicture(const QImage& picture, std::int32_t& transparentColour)
{
    rects_.clear();
    if (!dib_.CreateFromPicture(picture))
        return;
    scanBuffer(dib_, transparentColour);
}

void Region::scanBuffer(const DibSection& dib, std::int32_t& transparentColour)
{
    rects_.clear();
    const std::uint8_t* bits = dib.DIBSectionBitsPtr();
    if (!bits)
        return;
    if (transparentColour == 1)
        transparentColour = packedAt(bits);
    const std::int32_t key = transparentColour;
    const std::int32_t width = dib.Width();
    const std::int32_t height = dib.Height();
    const std::int32_t stride = dib.BytesPerScanLine();
    // Buffer rows are bottom-up; walking them from the last keeps the rectangles in
    // top-to-bottom, left-to-right order, the order a window shape is built in.
    for (std::int32_t row = height - 1; row >= 0; --row) {
        const std::uint8_t* line = bits + static_cast<std::size_t>(row) * stride;
        const std::int32_t y = height - 1 - row;
        std::int32_t x = 0;
        while (x < width) {
            while (x < width && packedAt(line + 3 * x) == key)
                ++x;
            if (x >= width)
                break;
            const std::int32_t start = x;
            while (x < width && packedAt(line + 3 * x) != key)
                ++x;
            rects_.push_back(Rect{start, y, x, y + 1});
        }
    }
}

void Region::OffsetHeader(const FrameMetrics& form)
{
    if (!form.hasBorder)
        return;
    const std::int32_t border = static_cast<std::int32_t>(vb::roundHalfEven((form.outerWidth - form.clientWidth) / 2.0));
    const std::int32_t top = static_cast<std::int32_t>(vb::roundHalfEven(form.outerHeight - form.clientHeight - border));
    for (Rect& r : rects_) {
        r.left += border;
        r.right += border;
        r.top += top;
        r.bottom += top;
    }
}

void Region::ApplyRgn(QWidget& window) const
{
    std::vector<QRect> qrects;
    qrects.reserve(rects_.size());
    for (const Rect& r : rects_)
        qrects.emplace_back(r.left, r.top, r.right - r.left, r.bottom - r.top);
    QRegion shape;
    shape.setRects(qrects.data(), static_cast<int>(qrects.size()));
    window.setMask(shape);
}

bool Region::contains(std::int32_t x, std::int32_t y) const
{
    for (const Rect& r : rects_) {
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom)
            return true;
    }
    return false;
}

} // namespace remote
