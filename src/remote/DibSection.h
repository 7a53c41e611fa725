// cDIBSection: a 24-bit, bottom-up pixel buffer with direct access to its bytes.
//
// Row 0 is the bottom row of the picture. Each pixel is three bytes, blue, green,
// red; each row is padded to a multiple of four bytes (BytesPerScanLine).
#pragma once

#include <cstdint>
#include <vector>

class QImage;

namespace remote {

class DibSection {
public:
    // Allocates a width x height buffer of black pixels; false for a size below 1.
    bool Create(std::int32_t width, std::int32_t height);
    // Copies a picture into a buffer of its own size.
    bool CreateFromPicture(const QImage& picture);
    // Copies the part of `source` at (srcLeft, srcTop) into the buffer at 0,0; a
    // negative width or height means the buffer's own.
    void LoadPictureBlt(const QImage& source, std::int32_t srcLeft = 0, std::int32_t srcTop = 0,
                        std::int32_t srcWidth = -1, std::int32_t srcHeight = -1);
    void ClearUp();

    std::int32_t BytesPerScanLine() const { return bytesPerScanLine(width_); }
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    std::uint8_t* DIBSectionBitsPtr() { return bits_.empty() ? nullptr : bits_.data(); }
    const std::uint8_t* DIBSectionBitsPtr() const { return bits_.empty() ? nullptr : bits_.data(); }

    // (3 x width + 3) rounded down to a multiple of 4.
    static std::int32_t bytesPerScanLine(std::int32_t width) { return (3 * width + 3) & ~3; }

private:
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::vector<std::uint8_t> bits_;
};

} // namespace remote
