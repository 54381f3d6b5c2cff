#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "DiskHosts.h"
#include "camsim/CameraModel.h"
#include "camsim/SampleImages.h"
#include "camsim/SceneRendering.h"

namespace camsim::test {
namespace {

using namespace std::chrono;

std::uint32_t Since1904(sys_seconds moment)
{
    return static_cast<std::uint32_t>(moment.time_since_epoch().count() + 2082844800);
}

std::string Text(const Bytes& bytes, std::size_t from, std::size_t count)
{
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                       bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
}

// The numbers of a header field read as the host reads them, "%x" after "%x".
std::vector<unsigned> HexFields(const Bytes& header, std::size_t offset, int count)
{
    std::string text = Text(header, offset, header.size() - offset);
    std::vector<unsigned> values;
    const char* at = text.c_str();
    for (int i = 0; i < count; ++i) {
        unsigned value = 0;
        int used = 0;
        if (std::sscanf(at, "%x%n", &value, &used) != 1)
            break;
        values.push_back(value);
        at += used;
    }
    return values;
}

SimConfig WithSamples(int model, SimLink link = SimLink::Usb)
{
    SimConfig config;
    config.model = model;
    config.link = link;
    config.speed = 0.0;
    return config;
}

TEST(DiskSamples, ANewDiskListsOneSampleOfEachKind)
{
    SimCamera camera(WithSamples(6));
    UsbDiskHost host(camera);
    EXPECT_EQ(host.Send("CDQ"), "DQ06") << "five samples and the free rest";
    // Sample Chart 16: 1320 × 660 at step 10 (2 lines between the colour rows), stored as
    // (660 + 8) lines of 7920 bytes = 5290560 bytes, 11 half megabytes.
    const std::uint32_t chart16 =
        Since1904(sys_days{year{2026} / 11 / 3} + hours{14} + minutes{5} + seconds{30});
    char expected[64];
    std::snprintf(expected, sizeof expected, "DR 6C 0000 000B   01 0528 0294 000A %.4X %.4X",
                  chart16 >> 16, chart16 & 0xFFFF);
    EXPECT_EQ(host.Send("CDR00"), expected);
    // Sample Raw 16: the whole field at step 11, 666 × 888, (888 + 4) × 3996 bytes: 7 units.
    EXPECT_EQ(host.Send("CDR01").substr(0, 35), "DR 6C 0000 0007   02 029A 0378 000B");
    // Sample Chart 8: 900 × 600 at step 10, (600 + 8) × 2700 bytes: 4 units.
    EXPECT_EQ(host.Send("CDR02").substr(0, 35), "DR 3C 0000 0004   03 0384 0258 000A");
    // Sample Green 8: 500 × 400 at step 11, one byte a pixel: 1 unit.
    EXPECT_EQ(host.Send("CDR03").substr(0, 35), "DR 12 0000 0001   04 01F4 0190 000B");
    // Sample Red 16: 1500 × 300 at step 9, (300 + 12) × 3000 bytes: 2 units.
    EXPECT_EQ(host.Send("CDR04").substr(0, 35), "DR 21 0000 0002   05 05DC 012C 0009");
    EXPECT_EQ(host.Send("CDR05"), "DR FF 0000 8FE7   00 0000 0000 0000 0000 0000");
    EXPECT_EQ(host.FreeMegabytes(), (36864u - 25u) / 2);

    // Every capture time lies in the past, and no two are the same.
    std::vector<unsigned> times;
    for (const char* slot : {"CDR00", "CDR01", "CDR02", "CDR03", "CDR04"}) {
        const std::string reply = host.Send(slot);
        times.push_back(static_cast<unsigned>(std::stoul(reply.substr(36, 4), nullptr, 16) << 16 |
                                              std::stoul(reply.substr(41, 4), nullptr, 16)));
    }
    const std::uint32_t now = Since1904(floor<seconds>(system_clock::now()));
    for (std::size_t i = 0; i < times.size(); ++i) {
        EXPECT_LT(times[i], now) << i;
        EXPECT_GT(times[i], Since1904(sys_days{year{2024} / 1 / 1})) << i;
        for (std::size_t j = 0; j < i; ++j) EXPECT_NE(times[i], times[j]);
    }
}

TEST(DiskSamples, HeadersCarryCurveFlagsNameAndNotesAtTheirOffsets)
{
    SimCamera camera(WithSamples(6));
    UsbDiskHost host(camera);
    struct Expected {
        const char* name;
        unsigned flags;
        unsigned handles;
        unsigned format;
    };
    const Expected samples[] = {{"Sample Chart 16", 0x01, 4, 0x6C},
                                {"Sample Raw 16", 0x13, 4, 0x6C},
                                {"Sample Chart 8", 0x32, 2, 0x3C},
                                {"Sample Green 8", 0x02, 2, 0x12},
                                {"Sample Red 16", 0x01, 3, 0x21}};
    for (std::uint8_t block = 1; block <= 5; ++block) {
        const Expected& sample = samples[block - 1];
        SCOPED_TRACE(sample.name);
        const Bytes header = host.ReadHeader(block);
        ASSERT_EQ(header.size(), 512u);
        const RecordedImage image = *camera.DiskImage(block);
        EXPECT_EQ(image.recipe.format, sample.format);

        EXPECT_EQ(HexFields(header, 80, 1),
                  std::vector<unsigned>{image.recipe.exposure.integration});
        const auto& gains = image.recipe.exposure.gainCodes;
        EXPECT_EQ(HexFields(header, 96, 3), (std::vector<unsigned>{gains[0], gains[1], gains[2]}));
        const std::vector<unsigned> curve = HexFields(header, 112, 9);
        ASSERT_EQ(curve.size(), 9u);
        EXPECT_EQ(curve[0], sample.handles);
        EXPECT_EQ(curve[1], 0x0000u) << "the curve starts at black";
        EXPECT_EQ(curve[sample.handles], 0xFFFFu) << "and ends at white";
        for (unsigned i = sample.handles + 1; i <= 7; ++i) EXPECT_EQ(curve[i], 0u) << i;
        for (unsigned i = 2; i <= sample.handles; ++i)
            EXPECT_GT(curve[i] >> 8, curve[i - 1] >> 8) << "handles rise along x";
        EXPECT_EQ(curve[8], sample.flags) << "the flags follow the seven handles";
        EXPECT_EQ(HexFields(header, 154, 1), std::vector<unsigned>{sample.flags});
        // The insert direction of the flags is the one the image was made with.
        const int insertOfCode[] = {2, 4, 3, 1};
        EXPECT_EQ(image.recipe.geometry.insertCode, insertOfCode[(sample.flags >> 4) & 3]);

        std::string name = sample.name;
        name.resize(64, ' ');
        EXPECT_EQ(Text(header, 192, 64), name);
        const std::size_t length = header[256];
        const std::string notes = Text(header, 257, length);
        const std::size_t cr = notes.find('\r');
        ASSERT_NE(cr, std::string::npos) << notes;
        const std::string captureNotes = notes.substr(0, cr);
        EXPECT_EQ(captureNotes.rfind(std::string(sample.name) + ", ", 0), 0u) << captureNotes;
        std::size_t fields = 1;
        for (std::size_t at = captureNotes.find(", "); at != std::string::npos;
             at = captureNotes.find(", ", at + 2))
            ++fields;
        // Name, date, time, capture mode, size, size percentage, colour balance, line time, gains.
        EXPECT_EQ(fields, 9u) << captureNotes;
        EXPECT_NE(captureNotes.find(std::to_string(image.recipe.geometry.pixelsPerLine) + "x" +
                                    std::to_string(image.recipe.geometry.lines)),
                  std::string::npos)
            << captureNotes;
        EXPECT_EQ(Text(header, 257 + length, 512 - 257 - length),
                  std::string(512 - 257 - length, ' '));
    }
    const Bytes first = host.ReadHeader(1);
    const std::string notes = Text(first, 257, first[256]);
    EXPECT_NE(notes.substr(notes.find('\r') + 1), "") << "the chart carries user notes";
}

// The samples' data over both links and for the model whose colour rows lie twice as far apart:
// each raw line holds red of the image line 2p before it, green of p before, blue of its own.
class DiskSampleData : public ::testing::TestWithParam<std::tuple<int, SimLink>> {};

TEST_P(DiskSampleData, IsTheRecipeAsTheSensorDeliversIt)
{
    const auto [model, link] = GetParam();
    SimCamera camera(WithSamples(model, link));
    const std::unique_ptr<DiskHost> host = MakeDiskHost(camera);
    const CameraModel& sensor = CameraModel::ForCode(model);
    const std::vector<RecordedImage> made = SampleImages::Make(sensor);
    ASSERT_EQ(made.size(), 5u);
    for (std::uint8_t block = 1; block <= 5; ++block) {
        SCOPED_TRACE(block);
        const std::optional<RecordedImage> image = camera.DiskImage(block);
        ASSERT_TRUE(image.has_value());
        const CaptureRecipe& recipe = image->recipe;
        const CaptureGeometry& g = recipe.geometry;
        EXPECT_EQ(g.pixelsPerLine, made[block - 1].recipe.geometry.pixelsPerLine);
        EXPECT_EQ(g.sizeStep, made[block - 1].recipe.geometry.sizeStep);
        EXPECT_GE(g.pixelsPerLine, 300u);
        EXPECT_LE(g.pixelsPerLine, 1500u);
        const std::string slot = host->Send("CDR0" + std::to_string(block - 1));
        const int extra = static_cast<std::int16_t>(std::stoul(slot.substr(31, 4), nullptr, 16));
        const int p = (sensor.maxSizeStep - extra) * (sensor.maxSizeStep == 11 ? 2 : 1);

        const std::size_t bytesPerPixel = recipe.BytesPerPixel();
        const std::size_t lineBytes = g.pixelsPerLine * bytesPerPixel;
        const std::size_t stored = (g.lines + 4 * p) * lineBytes;
        Bytes data;
        for (std::uint16_t chunk = 0; data.size() < stored; ++chunk) {
            const Bytes piece = host->ReadChunk(block, chunk);
            ASSERT_EQ(piece.size(), DiskHost::kChunkBytes);
            data.insert(data.end(), piece.begin(), piece.end());
        }
        ASSERT_TRUE(std::all_of(data.begin() + static_cast<std::ptrdiff_t>(stored), data.end(),
                                [](std::uint8_t b) { return b == 0; }));

        const SceneImage aligned = RenderCapture(recipe);
        const bool wide = bytesPerPixel % 2 == 0;
        const std::size_t colours = recipe.IsColour() ? 3 : 1;
        const auto sample = [&](std::size_t line, std::size_t pixel, std::size_t colour) {
            const std::size_t at = line * lineBytes + (pixel * colours + colour) * (wide ? 2 : 1);
            return wide ? BigEndian(data, at) : data[at];
        };
        for (std::size_t a = 0; a < g.lines; ++a) {
            for (std::size_t i = 0; i < g.pixelsPerLine; ++i) {
                for (std::size_t c = 0; c < colours; ++c) {
                    const std::size_t behind = colours == 3 ? (2 - c) * p : 0;
                    ASSERT_EQ(sample(a + behind, i, c), aligned.Pixel(i, a)[c])
                        << "line " << a << " pixel " << i << " colour " << c;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ModelsAndLinks, DiskSampleData,
                         ::testing::Combine(::testing::Values(6, 1),
                                            ::testing::Values(SimLink::Usb, SimLink::Scsi)));

TEST(DiskSamples, EveryModelGetsSamplesItsSensorCanMake)
{
    for (int code = 1; code <= 7; ++code) {
        const CameraModel& model = CameraModel::ForCode(code);
        for (const RecordedImage& image : SampleImages::Make(model)) {
            const CaptureGeometry& g = image.recipe.geometry;
            const int samples = model.maxSizeStep - g.sizeStep;
            EXPECT_GE(g.sizeStep, model.minSizeStep) << code;
            EXPECT_GE(samples, 1) << code;
            EXPECT_LE(g.pixelsPerLine * model.maxSizeStep, unsigned(model.sensorWidth * samples))
                << code;
            EXPECT_LE(g.lines * model.maxSizeStep, unsigned(model.linesAlongTravel * samples))
                << code;
        }
    }
}

TEST(DiskSamples, OnlyANewDiskGetsThemAndTheyCanBeTurnedOff)
{
    SimConfig config = WithSamples(6);
    config.sampleImages = false;
    {
        SimCamera camera(config);
        EXPECT_EQ(UsbDiskHost(camera).Send("CDQ"), "DQ01");
    }
    TempDir folder;
    config.sampleImages = true;
    config.diskDir = folder.Path().string();
    {
        SimCamera camera(config);
        UsbDiskHost host(camera);
        EXPECT_EQ(host.Send("CDQ"), "DQ06");
        EXPECT_EQ(host.Send("CDD02"), "#OK");
    }
    SimCamera camera(config);
    UsbDiskHost host(camera);
    EXPECT_EQ(host.Send("CDQ"), "DQ06") << "the kept disk: four samples, a gap, the free rest";
    EXPECT_EQ(host.Send("CDR01").substr(0, 5), "DR FF");
    EXPECT_FALSE(camera.DiskImage(2).has_value());
    EXPECT_EQ(camera.DiskImage(3)->recipe.format, 0x3C) << "kept with its recipe";
}

}  // namespace
}  // namespace camsim::test
