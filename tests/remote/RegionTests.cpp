#include "remote/AudreyPicture.h"
#include "remote/DibSection.h"
#include "remote/Region.h"

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

using remote::Rect;
using remote::Region;

namespace {

QImage filled(int w, int h, QColor c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

} // namespace

TEST(DibSectionBuffer, BottomUpRowsPaddedToFourBytes)
{
    EXPECT_EQ(remote::DibSection::bytesPerScanLine(3), 12);
    EXPECT_EQ(remote::DibSection::bytesPerScanLine(4), 12);
    EXPECT_EQ(remote::DibSection::bytesPerScanLine(1), 4);
    QImage img = filled(3, 2, Qt::black);
    img.setPixelColor(0, 1, QColor(10, 20, 30)); // bottom-left
    remote::DibSection dib;
    ASSERT_TRUE(dib.CreateFromPicture(img));
    const std::uint8_t* row0 = dib.DIBSectionBitsPtr(); // the bottom row
    EXPECT_EQ(row0[0], 30); // blue first
    EXPECT_EQ(row0[1], 20);
    EXPECT_EQ(row0[2], 10);
    EXPECT_FALSE(dib.Create(0, 5));
}

TEST(RegionScan, KeyFromBottomLeftCutsEveryMatchingPixel)
{
    // White background with a black frame around a white inner square.
    QImage img = filled(6, 6, Qt::white);
    for (int i = 1; i < 5; ++i) {
        img.setPixelColor(i, 1, Qt::black);
        img.setPixelColor(i, 4, Qt::black);
        img.setPixelColor(1, i, Qt::black);
        img.setPixelColor(4, i, Qt::black);
    }
    Region region;
    std::int32_t key = 1;
    region.ScanPicture(img, key);
    EXPECT_EQ(key, 0xFFFFFF);
    EXPECT_TRUE(region.contains(1, 1));
    EXPECT_FALSE(region.contains(2, 2)); // inner white is cut as well
    EXPECT_FALSE(region.contains(0, 0));
    // Row 2: pixels 1 and 4 are two runs.
    int onRow2 = 0;
    for (const Rect& r : region.rects())
        onRow2 += r.top == 2;
    EXPECT_EQ(onRow2, 2);
}

TEST(RegionScan, RunsSinglePixelsAndRightEdge)
{
    QImage img = filled(8, 3, Qt::red);
    img.setPixelColor(5, 0, Qt::blue);                  // one pixel at x = 5 on the top row
    for (int x = 3; x < 8; ++x)
        img.setPixelColor(x, 1, Qt::green);             // a run to the right edge
    Region region;
    std::int32_t key = 1;
    region.ScanPicture(img, key);
    EXPECT_EQ(region.rects(), (std::vector<Rect>{{5, 0, 6, 1}, {3, 1, 8, 2}})); // the bottom row adds nothing
}

TEST(RegionScan, PaddingBytesAreNeverCompared)
{
    // Width 3: nine pixel bytes and three padding bytes per row. Poison the padding with
    // the key colour's bytes and a non-key value; the result must not change.
    remote::DibSection dib;
    ASSERT_TRUE(dib.Create(3, 2));
    std::uint8_t* bits = dib.DIBSectionBitsPtr();
    for (int row = 0; row < 2; ++row) {
        std::uint8_t* line = bits + row * dib.BytesPerScanLine();
        for (int i = 0; i < 9; ++i)
            line[i] = 0xFF; // all white, the key
        line[9] = 0x12;
        line[10] = 0x34;
        line[11] = 0x56;
    }
    Region region;
    std::int32_t key = 1;
    region.scanBuffer(dib, key);
    EXPECT_TRUE(region.empty());
}

TEST(RegionScan, ExplicitKeyIsKept)
{
    QImage img = filled(2, 1, Qt::black);
    Region region;
    std::int32_t key = 0x0000FF; // red packed: blue + 256 green + 65536 red -> this is blue
    region.ScanPicture(img, key);
    EXPECT_EQ(key, 0x0000FF);
    EXPECT_EQ(region.rects().size(), 1u);
}

TEST(RegionOffset, BorderlessWindowsStayAndFramedOnesMove)
{
    QImage img = filled(2, 2, Qt::black);
    img.setPixelColor(0, 1, Qt::white);
    Region region;
    std::int32_t key = 1;
    region.ScanPicture(img, key);
    const auto before = region.rects();
    region.OffsetHeader(remote::FrameMetrics{false, 100, 100, 90, 70});
    EXPECT_EQ(region.rects(), before);
    region.OffsetHeader(remote::FrameMetrics{true, 108, 130, 100, 100}); // border 4, top 26
    EXPECT_EQ(region.rects()[0].left, before[0].left + 4);
    EXPECT_EQ(region.rects()[0].top, before[0].top + 26);
}

TEST(RegionApply, TwiceOnTheSameWindow)
{
    QWidget w;
    w.resize(8, 3);
    QImage img = filled(8, 3, Qt::red);
    img.setPixelColor(5, 0, Qt::blue);
    Region region;
    std::int32_t key = 1;
    region.ScanPicture(img, key);
    region.ApplyRgn(w);
    region.ApplyRgn(w);
    EXPECT_TRUE(w.mask().contains(QPoint(5, 0)));
    EXPECT_FALSE(w.mask().contains(QPoint(4, 0)));
    EXPECT_EQ(region.rects().size(), 1u); // the class keeps its own region
}

TEST(AudreyArtwork, SizeAndBackgroundKey)
{
    const QImage pic = remote::drawAudreyPicture();
    EXPECT_EQ(pic.width(), 263);
    EXPECT_EQ(pic.height(), 405);
    EXPECT_EQ(pic.pixelColor(0, 404), remote::pictureBackground());
    Region region;
    std::int32_t key = 1;
    region.ScanPicture(pic, key);
    EXPECT_TRUE(region.contains(130, 175));  // the screen
    EXPECT_FALSE(region.contains(2, 2));     // the corner outside the case
    EXPECT_TRUE(region.contains(130, 40));   // the top LED's stalk
}

TEST(AudreyArtwork, BothWindowHeightsFollowTheOutline)
{
    const QImage pic = remote::drawAudreyPicture();
    Region region;
    std::int32_t key = 1;
    region.ScanPicture(pic, key);
    // The collapsed window (278 px) ends in the gap between the case and the panel: the
    // case's rounded bottom lies wholly above it.
    for (int y = 278; y < 281; ++y)
        for (int x = 0; x < pic.width(); ++x)
            ASSERT_FALSE(region.contains(x, y)) << x << "," << y;
    EXPECT_TRUE(region.contains(131, 276));  // the middle of the case's bottom edge
    EXPECT_FALSE(region.contains(20, 276));  // its rounded corner
    // The "Select Which Audreys" label (960, 4320 twips: 64, 288 px) lies inside the panel.
    for (int y = 288; y < 305; ++y)
        for (int x = 64; x < 190; ++x)
            ASSERT_TRUE(region.contains(x, y)) << x << "," << y;
    // The panel behind the check boxes is one plain colour: nothing peeks out between them.
    const QColor panel = pic.pixelColor(131, 300);
    for (int y = 286; y < 393; ++y)
        for (int x = 22; x < 241; ++x)
            ASSERT_EQ(pic.pixelColor(x, y), panel) << x << "," << y;
}
