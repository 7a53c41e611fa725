#include "DibSection.h"

#include <QImage>

#include <algorithm>
#include <cstring>

namespace remote {

bool DibSection::Create(std::int32_t width, std::int32_t height)
{
    ClearUp();
    if (width < 1 || height < 1)
        return false;
    width_ = width;
    height_ = height;
    bits_.assign(static_cast<std::size_t>(bytesPerScanLine(width)) * static_cast<std::size_t>(height), 0);
    return true;
}

bool DibSection::CreateFromPicture(const QImage& picture)
{
    if (!Create(picture.width(), picture.height()))
        return false;
    LoadPictureBlt(picture);
    return true;
}

void DibSection::LoadPictureBlt(const QImage& source, std::int32_t srcLeft, std::int32_t srcTop,
                                std::int32_t srcWidth, std::int32_t srcHeight)
{
    if (bits_.empty())
        return;
    const std::int32_t w = std::min(srcWidth < 0 ? width_ : srcWidth, width_);
    const std::int32_t h = std::min(srcHeight < 0 ? height_ : srcHeight, height_);
    // One conversion to blue-green-red byte order, then whole rows are copied.
    const QImage bgr = source.convertToFormat(QImage::Format_BGR888);
    const std::int32_t stride = BytesPerScanLine();
    for (std::int32_t y = 0; y < h; ++y) {
        const std::int32_t sy = srcTop + y;
        if (sy < 0 || sy >= bgr.height())
            continue;
        const std::int32_t x0 = std::max(0, -srcLeft);
        const std::int32_t x1 = std::min(w, bgr.width() - srcLeft);
        if (x1 <= x0)
            continue;
        // Picture row y lands in buffer row height - 1 - y (bottom-up).
        std::uint8_t* dst = bits_.data() + static_cast<std::size_t>(height_ - 1 - y) * stride + 3 * x0;
        const uchar* src = bgr.constScanLine(sy) + 3 * (srcLeft + x0);
        std::memcpy(dst, src, static_cast<std::size_t>(3 * (x1 - x0)));
    }
}

void DibSection::ClearUp()
{
    width_ = 0;
    height_ = 0;
    bits_.clear();
    bits_.shrink_to_fit();
}

} // namespace remote
