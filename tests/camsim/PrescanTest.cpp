#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>

#include "CaptureTestHelpers.h"
#include "camsim/Scene.h"
#include "camsim/SceneRendering.h"
#include "camsim/SensorModel.h"
#include "camsim/SimCamera.h"

namespace camsim::test {
namespace {

using std::chrono::milliseconds;

constexpr std::size_t kUnit = 512;

std::size_t Units(std::size_t bytes)
{
    return (bytes + kUnit - 1) / kUnit;
}

// The 16-bit sample a surface of `reflectance` gives in `colour` through the linear tables, at
// the exposure of `time` (1/3000 s) and the gain code `gain`.
std::uint16_t Expected(double reflectance, std::size_t colour, double time = 100,
                       std::uint16_t gain = 260)
{
    const double signal = reflectance * SensorModel::kReferenceLevel * SensorModel::kFullScale *
                          SensorModel::kSensitivity[colour] * time /
                          SensorModel::kReferenceIntegration * SensorModel::GainFactor(gain);
    return static_cast<std::uint16_t>(
        4 * std::min<double>(std::trunc(signal + 0.5), SensorModel::kFullScale));
}

// What the host does with the raw lines (reads of 2d + 4 lines, then of 4 lines, each in whole
// units; then realignment and the byte swap, then placing by the insert code), written out from
// the description of the line layout.
SceneImage Reconstruct(UsbHost& host, const CaptureFields& fields, int d)
{
    const std::size_t w = fields.width;
    const std::size_t l = fields.lines;
    const std::size_t lineBytes = 6 * w;
    const std::size_t total = lineBytes * (l + 2 * d);
    Bytes raw;
    std::size_t target = lineBytes * (2 * d + 4);
    while (raw.size() < total) {
        const Bytes piece = host.ReadUnits(Units(target - raw.size()));
        raw.insert(raw.end(), piece.begin(), piece.end());
        target += 4 * lineBytes;
    }
    const int code = fields.flags == 0x30   ? 1
                     : fields.flags == 0x20 ? 3
                     : fields.flags == 0x10 ? 4
                                            : 2;
    const bool across = code == 1 || code == 3;
    SceneImage image;
    image.width = across ? l : w;
    image.height = across ? w : l;
    image.samples.resize(3 * w * l);
    for (std::size_t a = 0; a < l; ++a) {
        for (std::size_t i = 0; i < w; ++i) {
            const std::size_t at = a * lineBytes + 6 * i;
            const std::uint16_t rgb[3] = {BigEndian(raw, at + 2 * d * lineBytes),
                                          BigEndian(raw, at + d * lineBytes + 2),
                                          BigEndian(raw, at + 4)};
            std::size_t x = i;
            std::size_t y = a;
            if (code == 1) {
                x = a;
                y = w - 1 - i;
            } else if (code == 3) {
                x = l - 1 - a;
                y = i;
            } else if (code == 4) {
                x = w - 1 - i;
                y = l - 1 - a;
            }
            std::copy_n(rgb, 3, image.samples.begin() + 3 * (y * image.width + x));
        }
    }
    return image;
}

TEST(Prescan, RawLinesCarryRedAndGreenFromLinesBehindTheBlueRow)
{
    SimCamera camera(SpeedZero());
    UsbHost host(camera);
    const CaptureFields fields;  // 48 pixels × 40 lines at size step 11 of 12: d = 1
    host.Start(fields);
    constexpr std::size_t kLineBytes = 48 * 6;
    constexpr std::size_t kStream = kLineBytes * 42;  // 40 lines and 2d more
    const Bytes raw = host.ReadUnits(Units(kStream));
    ASSERT_EQ(raw.size(), 24u * kUnit);

    const std::optional<CaptureRecipe> recipe = camera.LastCaptureRecipe();
    ASSERT_TRUE(recipe);
    const SceneImage aligned = RenderCapture(*recipe);
    ASSERT_EQ(aligned.width, 48u);
    ASSERT_EQ(aligned.height, 40u);
    for (std::size_t j = 0; j < 42; ++j) {
        for (std::size_t i = 0; i < 48; ++i) {
            const std::size_t at = j * kLineBytes + 6 * i;
            if (j >= 2) {
                ASSERT_EQ(BigEndian(raw, at), aligned.Pixel(i, j - 2)[0]) << j << "," << i;
            }
            if (j >= 1 && j - 1 < 40) {
                ASSERT_EQ(BigEndian(raw, at + 2), aligned.Pixel(i, j - 1)[1]) << j << "," << i;
            }
            if (j < 40) {
                ASSERT_EQ(BigEndian(raw, at + 4), aligned.Pixel(i, j)[2]) << j << "," << i;
            }
        }
    }
    EXPECT_TRUE(std::all_of(raw.begin() + kStream, raw.end(), [](auto b) { return b == 0; }))
        << "past the last line the stream reads as zeros";
    // The window lies on the chart's first patch and its dark frame: the lines differ.
    EXPECT_NE(aligned.Pixel(0, 0)[0], aligned.Pixel(47, 39)[0]);
    EXPECT_EQ(host.Reply(), "#OK") << "the closing reply of the prescan";
}

TEST(Prescan, HostRealignmentReproducesTheRenderingInEveryInsertDirection)
{
    for (const std::uint16_t flags : {0x00, 0x10, 0x20, 0x30}) {
        SimCamera camera(SpeedZero());
        UsbHost host(camera);
        CaptureFields fields;
        fields.flags = flags;
        fields.width = 50;  // lines of 300 bytes: groups of four end inside units
        fields.lines = 37;  // L + 2d not a multiple of four
        host.Start(fields);
        const SceneImage reconstructed = Reconstruct(host, fields, 1);
        const SceneImage expected = RenderPreview(*camera.LastCaptureRecipe());
        EXPECT_EQ(reconstructed.width, expected.width) << flags;
        EXPECT_EQ(reconstructed.height, expected.height) << flags;
        EXPECT_EQ(reconstructed.samples, expected.samples) << "flags " << flags;
        EXPECT_EQ(host.Reply(), "#OK");
    }
}

TEST(Prescan, SuperPrescanAndTheDogwoodSpreadTheColourRowsFurther)
{
    // Size step 9 of 12: the rows lie 3 lines apart.
    SimCamera cedar(SpeedZero());
    UsbHost cedarHost(cedar);
    CaptureFields fine;
    fine.step = fine.stepAgain = 9;
    cedarHost.Start(fine);
    EXPECT_EQ(Reconstruct(cedarHost, fine, 3).samples,
              RenderPreview(*cedar.LastCaptureRecipe()).samples);

    // The Dogwood's rows lie twice as far apart: d = 2 at its prescan step 10 of 11.
    SimConfig config = SpeedZero();
    config.model = 1;
    SimCamera dogwood(config);
    UsbHost dogwoodHost(dogwood);
    CaptureFields prescan;
    prescan.model = 1;
    prescan.step = prescan.stepAgain = 10;
    dogwoodHost.Start(prescan);
    EXPECT_EQ(Reconstruct(dogwoodHost, prescan, 2).samples,
              RenderPreview(*dogwood.LastCaptureRecipe()).samples);
}

TEST(Prescan, ScsiLinePiecesContinueTheSameStream)
{
    SimCamera usb(SpeedZero());
    UsbHost usbHost(usb);
    usbHost.Start(CaptureFields());
    const Bytes whole = usbHost.ReadUnits(24);

    SimCamera scsi(SpeedZero(SimLink::Scsi));
    const auto send = [&scsi](const std::string& text) {
        Bytes data(text.begin(), text.end());
        data.push_back('\r');
        const Bytes cdb{0x0D, 0x00, 0x00, 0x00, static_cast<std::uint8_t>(data.size()), 0x00};
        std::size_t moved = 0;
        ASSERT_EQ(scsi.ScsiCommand(cdb.data(), cdb.size(), false, data.data(), data.size(), moved),
                  0);
    };
    for (const char* command : {"CFR00", "CLD", "CFR02", "CLL0C", "CFR03", "CLL00"}) send(command);
    for (const std::string& block : Blocks(CaptureFields())) send(block);
    for (const char* command : {"CLB", "CLP", "CLT"}) send(command);
    Bytes pieces;
    for (int piece = 0; piece < 4; ++piece) {
        Bytes data(6 * kUnit);
        const Bytes cdb{0x28, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x00};
        std::size_t moved = 0;
        ASSERT_EQ(scsi.ScsiCommand(cdb.data(), cdb.size(), true, data.data(), data.size(), moved),
                  0);
        ASSERT_EQ(moved, data.size());
        pieces.insert(pieces.end(), data.begin(), data.end());
    }
    EXPECT_EQ(pieces, whole);
}

TEST(Prescan, TheSceneComesOutUprightWhicheverWayTheInsertIsTurned)
{
    // A full-field prescan of the Cedar: 666 pixels × 888 lines at size step 11.
    for (const int insert : {1, 2, 3, 4}) {
        CaptureRecipe recipe;
        recipe.geometry = {6, insert, 11, 666, 888, 0, 0};
        const SceneImage preview = RenderPreview(recipe);
        for (const std::size_t patch : {std::size_t{0}, std::size_t{5}, std::size_t{18}}) {
            const FieldPoint centre = Scene::ChartPatchCentre(patch);
            const auto x = static_cast<std::size_t>(centre[0] * preview.width);
            const auto y = static_cast<std::size_t>(centre[1] * preview.height);
            for (std::size_t c = 0; c < 3; ++c) {
                EXPECT_EQ(preview.Pixel(x, y)[c], Expected(Scene::ChartPatch(patch)[c], c))
                    << "insert " << insert << ", patch " << patch << ", colour " << c;
            }
        }
        const FieldPoint wedge = Scene::WedgeStepCentre(4);
        const std::uint16_t* step =
            preview.Pixel(static_cast<std::size_t>(wedge[0] * preview.width),
                          static_cast<std::size_t>(wedge[1] * preview.height));
        EXPECT_EQ(step[1], Expected(0.225, 1)) << "wedge step 4 is 0.9 / 4";
    }
}

// Image line 0 of a 4 × 4 window on the wedge's lightest step (red, green, blue of each of its
// four pixels), with `change` applied to the fields and `more` commands sent after "CLB".
std::vector<std::uint16_t> WedgeSample(const std::function<void(CaptureFields&)>& change,
                                       const std::vector<std::string>& more = {},
                                       bool calibrate = true)
{
    SimCamera camera(SpeedZero());
    UsbHost host(camera);
    CaptureFields fields;
    const FieldPoint centre = Scene::WedgeStepCentre(0);
    fields.firstPixel = static_cast<std::uint16_t>(centre[0] * 8000 * 0.9);  // pitch 9 µm
    fields.firstLine = static_cast<std::uint16_t>(centre[1] * 10660 * 0.9);
    fields.width = 4;
    fields.lines = 4;
    change(fields);
    if (calibrate) {
        EXPECT_EQ(host.Send("CLD"), "#OK");
    }
    for (const std::string& block : Blocks(fields)) EXPECT_EQ(host.Send(block), "#OK");
    EXPECT_EQ(host.Send("CLB"), "#OK");
    for (const std::string& command : more) EXPECT_EQ(host.Send(command), "#OK") << command;
    EXPECT_EQ(host.Send("CLP"), "#OK");
    host.Post("CLT");
    const Bytes raw = host.ReadUnits(1);
    std::vector<std::uint16_t> samples;
    for (std::size_t i = 0; i < 4; ++i) {
        // Red two raw lines on, green one, blue in raw line 0.
        samples.push_back(BigEndian(raw, 2 * 24 + 6 * i));
        samples.push_back(BigEndian(raw, 24 + 6 * i + 2));
        samples.push_back(BigEndian(raw, 6 * i + 4));
    }
    return samples;
}

TEST(Prescan, ExposureIsLinearInTimeAndGainAndClipsAtFullScale)
{
    const std::vector<std::uint16_t> base = WedgeSample([](CaptureFields&) {});
    const std::vector<std::uint16_t> doubleTime =
        WedgeSample([](CaptureFields& s) { s.period = 200; });
    const std::vector<std::uint16_t> oneStop = WedgeSample([](CaptureFields& s) {
        s.gains = {1027, 1027, 1027};
    });  // +30.1 tenths dB
    const std::vector<std::uint16_t> electronic =
        WedgeSample([](CaptureFields& s) { s.period = 200; }, {"EE0032"});  // 1/60 s in 1/15 s
    const std::vector<std::uint16_t> clipped = WedgeSample([](CaptureFields& s) {
        s.period = 375;
        s.gains = {3575, 3575, 3575};
    });
    for (std::size_t c = 0; c < 3; ++c) {
        EXPECT_EQ(base[c], Expected(0.9, c)) << c;
        EXPECT_EQ(doubleTime[c], Expected(0.9, c, 200)) << c;
        EXPECT_NEAR(doubleTime[c], 2.0 * base[c], 4.0) << c;
        EXPECT_EQ(oneStop[c], Expected(0.9, c, 100, 1027)) << c;
        // One stop is 30.103 tenths of a decibel, code 260 + 767.6, sent truncated.
        EXPECT_NEAR(oneStop[c], 2.0 * base[c], 0.002 * base[c]) << c;
        EXPECT_EQ(electronic[c], Expected(0.9, c, 50)) << "EE sets the integration time";
        EXPECT_EQ(clipped[c], 4 * SensorModel::kFullScale) << c;
    }
    EXPECT_LT(base[2], base[1]) << "the warm lamp gives a grey less blue than green";
    EXPECT_LT(base[1], base[0]);
}

TEST(Prescan, WithoutTheColumnCalibrationAFlatSurfaceStreaks)
{
    const std::vector<std::uint16_t> calibrated = WedgeSample([](CaptureFields&) {});
    const std::vector<std::uint16_t> raw = WedgeSample([](CaptureFields&) {}, {}, false);
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_EQ(calibrated[3 * i + 1], calibrated[1]) << "the wedge step is flat";
    int differing = 0;
    for (std::size_t i = 1; i < 4; ++i) differing += raw[3 * i + 1] != raw[1] ? 1 : 0;
    EXPECT_GT(differing, 0);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_NEAR(raw[3 * i + 1], calibrated[1], 0.031 * calibrated[1]);
}

TEST(Prescan, TheUploadedTablesShapeTheSamples)
{
    // A 16-bit tone table that inverts: entry i = 65535 − 4i, in its four byte lanes.
    Bytes lowLower(8192), lowUpper(8192), highLower(8192), highUpper(8192);
    for (std::size_t i = 0; i < 8192; ++i) {
        const auto lower = static_cast<std::uint16_t>(65535 - 4 * i);
        const auto upper = static_cast<std::uint16_t>(65535 - 4 * (8192 + i));
        lowLower[i] = static_cast<std::uint8_t>(lower);
        highLower[i] = static_cast<std::uint8_t>(lower >> 8);
        lowUpper[i] = static_cast<std::uint8_t>(upper);
        highUpper[i] = static_cast<std::uint8_t>(upper >> 8);
    }
    SimCamera camera(SpeedZero());
    UsbHost host(camera);
    EXPECT_EQ(host.Send("CLD"), "#OK");
    const std::pair<const Bytes*, const char*> planes[] = {
        {&lowLower, "CLL08"}, {&lowUpper, "CLL09"}, {&highLower, "CLL0A"}, {&highUpper, "CLL0B"}};
    for (const auto& [plane, load] : planes) {
        ASSERT_TRUE(host.WritePlane(*plane));
        EXPECT_EQ(host.Send(load), "#OK");
    }
    // 8-bit green: a plane of 0x80 for every value.
    ASSERT_TRUE(host.WritePlane(Bytes(8192, 0x80)));
    EXPECT_EQ(host.Send("CLL05"), "#OK");
    for (const std::string& block : Blocks(CaptureFields())) EXPECT_EQ(host.Send(block), "#OK");
    EXPECT_EQ(host.Send("CLB"), "#OK");
    EXPECT_EQ(host.Send("CLP"), "#OK");
    host.Post("CLT");
    const CaptureRecipe recipe = *camera.LastCaptureRecipe();
    for (const std::uint16_t v : {0, 1, 8191, 8192, 16383})
        EXPECT_EQ(recipe.tables.Wide(v), 65535 - 4 * v) << v;
    const Bytes raw = host.ReadUnits(1);
    CaptureRecipe linear = recipe;
    linear.tables = LookupTables();
    EXPECT_EQ(BigEndian(raw, 4), 65535 - RenderCapture(linear).Pixel(0, 0)[2]);

    // The same window in 8-bit colour: linear red and blue (the 14-bit value / 64), green 0x80.
    CaptureFields narrow;
    narrow.format = 0x3C;
    for (const std::string& block : Blocks(narrow)) EXPECT_EQ(host.Send(block), "#OK");
    EXPECT_EQ(host.Send("CLB"), "#OK");
    EXPECT_EQ(host.Send("CLP"), "#OK");
    host.Post("CLT");
    const Bytes bytes = host.ReadUnits(1);
    const SceneImage wide = RenderCapture(linear);
    EXPECT_EQ(bytes[2 * 48 * 3], wide.Pixel(0, 0)[0] / 4 / 64) << "red, two lines on";
    EXPECT_EQ(bytes[48 * 3 + 1], 0x80);
    EXPECT_EQ(bytes[2], wide.Pixel(0, 0)[2] / 4 / 64);
}

TEST(Prescan, LineReadsWaitForTheirLinesAndTheStatusCountsThem)
{
    ManualTime time;
    SimConfig config;
    config.speed = 1.0;
    config.sampleImages = false;
    SimCamera camera(config, time.Source(), time.Waiter());
    UsbHost host(camera, &time);
    CaptureFields fields;  // 1/30 s a line
    host.Start(fields);
    const SimTimePoint start = time.Now();

    // The first read of 2d + 4 = 6 lines: 1728 bytes in 4 units, which reach into line 7.
    EXPECT_EQ(host.ReadUnits(4).size(), 2048u);
    const auto waited = std::chrono::duration<double>(time.Now() - start).count();
    EXPECT_NEAR(waited, 8.0 / 30.0, 1e-6) << "until line 7 (the eighth) was exposed";
    EXPECT_EQ(host.Send("CS"), "#S0010 0008 0000 0333 4800") << "moving, 8 lines";
    EXPECT_EQ(host.Send("CMV"), "#E11") << "the carriage is busy";

    // Reading far past the end waits for the last of the 42 lines only.
    EXPECT_EQ(host.ReadUnits(40).size(), 40u * kUnit);
    EXPECT_NEAR(std::chrono::duration<double>(time.Now() - start).count(), 42.0 / 30.0, 1e-6);
    EXPECT_FALSE(host.Waiting())
        << "the host asked for the status: the closing reply waits for a status reply that "
           "counts every line";
    EXPECT_EQ(host.Send("CS"), "#S0000 0028 0000 0333 4800");
    EXPECT_TRUE(host.Waiting());
    EXPECT_EQ(host.Reply(), "#OK");
}

}  // namespace
}  // namespace camsim::test
