#include "camera/CaptureExposureValues.h"

#include <gtest/gtest.h>

#include "ExposureTestSupport.h"

namespace scanora {
namespace {

class CaptureExposureValuesTest : public ::testing::Test, protected test::ExposureFixture {};

TEST_F(CaptureExposureValuesTest, ScanPrescanAndFastPrescanTakeTheirOwnValues)
{
    exposure_.SetLineTimeIndex(23);  // shorter than the carriage allows at fine steps
    exposure_.SetGain(Channel::Red, 30.0);
    exposure_.SetFilter(Channel::Blue, -10.0);
    conditions_.scanSizeStep = 3;

    const auto scan = CaptureExposureValues::For(exposure_, CaptureKind::Scan, false, 3, 0);
    EXPECT_EQ(scan.requestedLineTime, exposure_.GetRequestedLineTime());
    EXPECT_EQ(scan.minLineTime, exposure_.MinLineTimeForStep(3));
    EXPECT_EQ(scan.effectiveLineTime, exposure_.GetEffectiveLineTime());
    EXPECT_DOUBLE_EQ(scan.totalTenths[0], exposure_.GetTotalTenths(Channel::Red));
    EXPECT_DOUBLE_EQ(scan.totalTenths[2], exposure_.GetTotalTenths(Channel::Blue));

    // The prescan's minimum is the finest step's, whatever the scan's step.
    const auto prescan = CaptureExposureValues::For(exposure_, CaptureKind::Prescan, false, 3, 0);
    EXPECT_EQ(prescan.minLineTime, exposure_.MinLineTimeForStep(0));
    EXPECT_GT(prescan.minLineTime, prescan.requestedLineTime);
    EXPECT_EQ(prescan.effectiveLineTime, exposure_.GetPrescanLineTime());
    EXPECT_EQ(prescan.totalTenths, scan.totalTenths);

    const auto fast = CaptureExposureValues::For(exposure_, CaptureKind::Prescan, true, 3, 0);
    const FastPrescanExposure expected = exposure_.GetFastPrescanExposure();
    EXPECT_EQ(fast.requestedLineTime, expected.lineTime);
    EXPECT_EQ(fast.totalTenths, expected.totalTenths);
    // A scan ignores the fast prescan.
    EXPECT_EQ(CaptureExposureValues::For(exposure_, CaptureKind::Scan, true, 3, 0).totalTenths,
              scan.totalTenths);
}

}  // namespace
}  // namespace scanora
