#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "camsim/CameraController.h"
#include "camsim/SimLens.h"

namespace camsim::test {
namespace {

// The carriage position at which model 6 sees the coarse bars (84 % down the field), and a
// window start on them.
constexpr const char* kBarsLine = "MD1386\r";
constexpr const char* kBarsStart = "EK0DAC\r";  // pixel 3500

class FocusCommandsTest : public ::testing::Test {
protected:
    CameraController& Make(const std::string& keys)
    {
        SimConfig config;
        std::string error;
        EXPECT_TRUE(ParseSimConfig("speed=0,samples=off," + keys, config, error)) << error;
        controller_ = std::make_unique<CameraController>(
            config, [] { return std::chrono::steady_clock::now(); });
        return *controller_;
    }
    // The whole reply to `text`, without its carriage return.
    std::string Send(const std::string& text)
    {
        const std::vector<std::uint8_t> bytes(text.begin(), text.end());
        EXPECT_TRUE(controller_->ReceiveText(bytes));
        std::array<std::uint8_t, 1024> out{};
        const auto length = controller_->TakeReply(out);
        if (!length || *length == 0)
            return {};
        return {out.begin(), out.begin() + static_cast<std::ptrdiff_t>(*length - 1)};
    }
    // One reading's green samples.
    std::vector<int> Green(bool usb)
    {
        const std::string reply = Send("CLF\r");
        std::vector<int> green;
        for (int pixel = 0; pixel < 100; ++pixel) {
            if (usb) {
                const auto at = static_cast<std::size_t>(2 + pixel * 6 + 2);
                green.push_back(static_cast<std::uint8_t>(reply[at]) << 8 |
                                static_cast<std::uint8_t>(reply[at + 1]));
            } else {
                green.push_back(
                    static_cast<std::uint8_t>(reply[static_cast<std::size_t>(2 + pixel * 3 + 1)]));
            }
        }
        return green;
    }
    // The squared neighbour differences over the plain ones: high for sharp edges.
    static double Sharpness(const std::vector<int>& samples)
    {
        double plain = 1.0;
        double squared = 0.0;
        for (std::size_t i = 1; i < samples.size(); ++i) {
            const double d = std::abs(samples[i] - samples[i - 1]);
            plain += d;
            squared += d * d;
        }
        return squared / plain;
    }
    void AimAtTheBars()
    {
        Send("CMX00\r");
        Send(kBarsLine);
        Send("CMV\r");
        Send("EZ0004\r");
        Send(kBarsStart);
        Send("EN0064\r");
    }

    std::unique_ptr<CameraController> controller_;
};

TEST_F(FocusCommandsTest, WindowCommandsEchoAndCheckTheirValues)
{
    Make("model=6");
    EXPECT_EQ(Send("EZ000B\r"), "EZ000B");
    EXPECT_EQ(Send("EZ000C\r"), "#E02") << "the window's step is below the largest size step";
    EXPECT_EQ(Send("EK1F3F\r"), "EK1F3F");
    EXPECT_EQ(Send("EK1F40\r"), "#E02") << "pixel 8000 is past the sensor";
    EXPECT_EQ(Send("EN0064\r"), "EN0064");
    EXPECT_EQ(Send("EN0065\r"), "#E02");
    EXPECT_EQ(Send("EN0000\r"), "#E02");
    EXPECT_EQ(Send("EY006C\r"), "EY006C");
    EXPECT_EQ(Send("CLF00\r"), "#E02");
}

TEST_F(FocusCommandsTest, ReadingsComeInTheLinksFormat)
{
    Make("model=6,link=usb");
    AimAtTheBars();
    const std::string usb = Send("CLF\r");
    EXPECT_EQ(usb.size(), 2u + 600u);
    EXPECT_EQ(usb.substr(0, 2), "#F");

    Make("model=6,link=scsi");
    AimAtTheBars();
    const std::string scsi = Send("CLF\r");
    EXPECT_EQ(scsi.size(), 2u + 300u);
    // A sharp lens on bars of six pixels: dark and light samples both.
    const std::vector<int> green = Green(false);
    EXPECT_LT(*std::min_element(green.begin(), green.end()), 40);
    EXPECT_GT(*std::max_element(green.begin(), green.end()), 150);
}

TEST_F(FocusCommandsTest, TheWindowSeesTheLineUnderTheCarriage)
{
    Make("model=6,link=scsi");
    AimAtTheBars();
    const std::vector<int> bars = Green(false);
    Send("MD1D70\r");  // the top of the field: the colour chart
    Send("CMV\r");
    EXPECT_NE(Green(false), bars);
}

TEST_F(FocusCommandsTest, ASweptLensIsSharpestAtItsMiddle)
{
    // From 10 pixels of blur through best focus after 2 s (reading 21) and back.
    for (const char* link : {"usb", "scsi"}) {
        Make(std::string("model=6,focus=sweep:10:2,link=") + link);
        AimAtTheBars();
        std::vector<double> sharpness;
        for (int reading = 0; reading < 41; ++reading)
            sharpness.push_back(Sharpness(Green(std::string(link) == "usb")));
        const auto peak = std::max_element(sharpness.begin(), sharpness.end());
        EXPECT_EQ(peak - sharpness.begin(), 20) << link;
        EXPECT_GT(*peak, 4.0 * sharpness.front()) << link;
        EXPECT_GT(sharpness[20], sharpness[25]) << link;
        EXPECT_GT(sharpness[25], sharpness[35]) << link;
    }
}

TEST(SimLensTest, SweepGoesThroughFocusAndBack)
{
    const SimFocus sweep{10.0, 2.0};
    EXPECT_DOUBLE_EQ(SimLens::BlurAt(sweep, 0.0), 10.0);
    EXPECT_DOUBLE_EQ(SimLens::BlurAt(sweep, 2.0), 0.0);
    EXPECT_DOUBLE_EQ(SimLens::BlurAt(sweep, 4.0), 10.0);
    EXPECT_DOUBLE_EQ(SimLens::BlurAt(sweep, 6.0), 0.0);
    EXPECT_DOUBLE_EQ(SimLens::BlurAt(sweep, 8.0), 10.0);
    EXPECT_DOUBLE_EQ(SimLens::BlurAt({3.0, 0.0}, 100.0), 3.0);

    SimConfig config;
    std::string error;
    EXPECT_TRUE(SetSimConfigKey("focus", "sweep:12:1.5", config, error)) << error;
    EXPECT_DOUBLE_EQ(config.focus.defocus, 12.0);
    EXPECT_DOUBLE_EQ(config.focus.sweepSeconds, 1.5);
    EXPECT_TRUE(SetSimConfigKey("focus", "4", config, error));
    EXPECT_DOUBLE_EQ(config.focus.sweepSeconds, 0.0);
    for (const char* bad : {"", "sweep:3", "sweep:3:0", "-1", "sweep:x:2", "blur"})
        EXPECT_FALSE(SetSimConfigKey("focus", bad, config, error)) << bad;
}

}  // namespace
}  // namespace camsim::test
