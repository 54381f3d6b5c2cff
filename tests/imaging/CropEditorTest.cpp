#include "imaging/CropEditor.h"

#include <gtest/gtest.h>

#include <vector>

namespace scanora {
namespace {

constexpr CropPercent kMiddle{20.0, 20.0, 60.0, 40.0};
constexpr CropLimits kFree{5.0, 5.0, false, false};

TEST(CropEditor, HitTestFindsEveryHandle)
{
    // In a 200 x 100 window the crop is (40, 20)-(160, 60).
    const auto hit = [](int x, int y) {
        return CropEditor::HitTest(kMiddle, 200, 100, {x, y}, true);
    };
    EXPECT_EQ(hit(42, 40), CropEditor::kLeft);
    EXPECT_EQ(hit(100, 22), CropEditor::kTop);
    EXPECT_EQ(hit(158, 40), CropEditor::kRight);
    EXPECT_EQ(hit(100, 58), CropEditor::kBottom);
    EXPECT_EQ(hit(42, 22), CropEditor::kTopLeft);
    EXPECT_EQ(hit(158, 22), CropEditor::kTopRight);
    EXPECT_EQ(hit(42, 58), CropEditor::kBottomLeft);
    EXPECT_EQ(hit(158, 58), CropEditor::kBottomRight);
    EXPECT_EQ(hit(80, 40), CropEditor::kInside);
    EXPECT_EQ(hit(10, 10), CropEditor::kOutside);
    EXPECT_EQ(CropEditor::HitTest(kMiddle, 200, 100, {42, 40}, false), CropEditor::kNoHandles);
}

TEST(CropEditor, EdgesMoveWithinTheImageAndTheMinimum)
{
    CropPercent crop = CropEditor::Drag(kMiddle, CropEditor::kRight, 10.0, 0.0, kFree);
    EXPECT_DOUBLE_EQ(crop.width, 70.0);
    EXPECT_DOUBLE_EQ(crop.left, 20.0);
    // Past the image edge: held at 100 %.
    crop = CropEditor::Drag(kMiddle, CropEditor::kRight, 50.0, 0.0, kFree);
    EXPECT_DOUBLE_EQ(crop.Right(), 100.0);
    // The left edge cannot pass the right one less the minimum.
    crop = CropEditor::Drag(kMiddle, CropEditor::kLeft, 90.0, 0.0, kFree);
    EXPECT_DOUBLE_EQ(crop.width, 5.0);
    EXPECT_DOUBLE_EQ(crop.Right(), 80.0);
    // A corner moves both of its edges.
    crop = CropEditor::Drag(kMiddle, CropEditor::kTopLeft, -30.0, -30.0, kFree);
    EXPECT_EQ(crop, (CropPercent{0.0, 0.0, 80.0, 60.0}));
}

TEST(CropEditor, MovingKeepsTheSizeInsideTheImage)
{
    const CropPercent crop = CropEditor::Drag(kMiddle, CropEditor::kInside, 50.0, -50.0, kFree);
    EXPECT_EQ(crop, (CropPercent{40.0, 0.0, 60.0, 40.0}));
    // A drag that began outside moves it as well.
    EXPECT_EQ(CropEditor::Drag(kMiddle, CropEditor::kOutside, 5.0, 5.0, kFree),
              (CropPercent{25.0, 25.0, 60.0, 40.0}));
}

TEST(CropEditor, RatioLockKeepsTheShape)
{
    CropLimits limits = kFree;
    limits.ratioLocked = true;
    const CropPercent crop = CropEditor::Drag(kMiddle, CropEditor::kRight, -30.0, 0.0, limits);
    EXPECT_DOUBLE_EQ(crop.width, 30.0);
    EXPECT_NEAR(crop.width / crop.height, 60.0 / 40.0, 1e-9);
    // Centred on the old vertical centre.
    EXPECT_NEAR(crop.top + crop.height / 2, 40.0, 1e-9);

    // Growing past the room around the centre: the height stops at the image's top edge and
    // the width follows from the ratio.
    const CropPercent wide =
        CropEditor::Drag({10.0, 5.0, 60.0, 40.0}, CropEditor::kRight, 30.0, 0.0, limits);
    EXPECT_NEAR(wide.height, 50.0, 1e-9);
    EXPECT_NEAR(wide.width, 75.0, 1e-9);
    EXPECT_NEAR(wide.top, 0.0, 1e-9);
    EXPECT_DOUBLE_EQ(wide.left, 10.0);
}

TEST(CropEditor, SizeLockKeepsTheArea)
{
    CropLimits limits = kFree;
    limits.sizeLocked = true;
    const CropPercent crop = CropEditor::Drag(kMiddle, CropEditor::kBottom, 0.0, 8.0, limits);
    EXPECT_DOUBLE_EQ(crop.height, 48.0);
    EXPECT_NEAR(crop.width * crop.height, 60.0 * 40.0, 1e-9);
    EXPECT_NEAR(crop.left + crop.width / 2, 50.0, 1e-9);
}

TEST(CropEditor, BothLocksOnlyMove)
{
    CropLimits limits = kFree;
    limits.ratioLocked = true;
    limits.sizeLocked = true;
    EXPECT_EQ(CropEditor::Drag(kMiddle, CropEditor::kRight, -30.0, 0.0, limits), kMiddle);
    EXPECT_EQ(CropEditor::Drag(kMiddle, CropEditor::kInside, 5.0, 0.0, limits).left, 25.0);
}

// A drag beside the crop draws a new one between the press and the pointer, in any direction.
TEST(CropEditor, DrawingANewCropSpansThePressAndThePointer)
{
    EXPECT_EQ(CropEditor::DrawNew(kMiddle, 90.0, 80.0, -70.0, -50.0, kFree),
              (CropPercent{20.0, 30.0, 70.0, 50.0}));
    EXPECT_EQ(CropEditor::DrawNew(kMiddle, 10.0, 10.0, 30.0, 20.0, kFree),
              (CropPercent{10.0, 10.0, 30.0, 20.0}));
    // Past the image's edge it stops there.
    EXPECT_EQ(CropEditor::DrawNew(kMiddle, 50.0, 50.0, 500.0, -500.0, kFree),
              (CropPercent{50.0, 0.0, 50.0, 50.0}));
    // A short drag still gives the minimum; beside the edge, the minimum moves in.
    EXPECT_EQ(CropEditor::DrawNew(kMiddle, 40.0, 40.0, 1.0, -1.0, kFree),
              (CropPercent{40.0, 35.0, 5.0, 5.0}));
    EXPECT_EQ(CropEditor::DrawNew(kMiddle, 98.0, 1.0, 1.0, -1.0, kFree),
              (CropPercent{95.0, 0.0, 5.0, 5.0}));

    CropLimits ratio = kFree;
    ratio.ratioLocked = true;
    // The width leads and the height keeps the ratio 3 : 2 ...
    CropPercent crop = CropEditor::DrawNew(kMiddle, 10.0, 10.0, 30.0, 5.0, ratio);
    EXPECT_NEAR(crop.width, 30.0, 1e-9);
    EXPECT_NEAR(crop.height, 20.0, 1e-9);
    // ... until the room below runs out; then the height stops and the width follows.
    crop = CropEditor::DrawNew(kMiddle, 10.0, 70.0, 80.0, 20.0, ratio);
    EXPECT_NEAR(crop.height, 30.0, 1e-9);
    EXPECT_NEAR(crop.width, 45.0, 1e-9);
    EXPECT_LE(crop.Bottom(), 100.0 + 1e-9);

    // Under the size lock the area cannot change: the crop moves with the drag instead.
    CropLimits size = kFree;
    size.sizeLocked = true;
    EXPECT_EQ(CropEditor::DrawNew(kMiddle, 90.0, 90.0, -5.0, 5.0, size),
              (CropPercent{15.0, 25.0, 60.0, 40.0}));
}

TEST(CropEditor, PreviewAndDisplayCropsTurnTogether)
{
    const CropPercent preview{10.0, 20.0, 30.0, 40.0};
    for (const int degrees : {0, 90, 180, 270}) {
        const CropPercent display = CropEditor::PreviewToDisplay(preview, degrees);
        EXPECT_EQ(CropEditor::DisplayToPreview(display, degrees), preview) << degrees;
    }
    // At 270 (From Left) the preview's lines run across the display.
    EXPECT_EQ(CropEditor::PreviewToDisplay(preview, 270), (CropPercent{20.0, 60.0, 40.0, 30.0}));
}

TEST(CropEditor, SnapsToNearbyGuideLines)
{
    const std::vector<int> lines{100, 200};
    EXPECT_EQ(CropEditor::Snap(96, lines), 100);
    EXPECT_EQ(CropEditor::Snap(94, lines), 94);
    EXPECT_EQ(CropEditor::Snap(203, lines), 200);
}

}  // namespace
}  // namespace scanora
