// A prescan saved without a tone curve ("None 14 bit") holds the camera's own 16-bit samples
// (its 14-bit sensor values through its wide table): checked against the simulator's rendering
// of its scene for the capture it was asked for. The camera
// runs in this process behind a socket, so that the capture it made can be looked at.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "camsim/SceneRendering.h"
#include "camsim/SimCamera.h"
#include "camsim/SimServer.h"
#include "output/FileTiffInput.h"
#include "output/TiffReader.h"
#include "support/ProcessRunner.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using test::ProcessResult;

TEST(CliRawSamplesTest, NoneFourteenBitSavesTheCamerasSamplesUnchanged)
{
    test::TempDir dir;
    const std::string prefs = (dir.Path() / "prefs").string();
    const ProcessResult reset =
        test::RunProcess({SCANORA_CLI_PATH, "--prefs", prefs, "prefs", "reset"});
    ASSERT_EQ(reset.exitCode, 0) << reset.err;

    camsim::SimConfig config;
    config.speed = 0.0;
    camsim::SimCamera camera(config);
    camsim::SimServer server(camera);
    std::string error;
    ASSERT_TRUE(server.Start((dir.Path() / "camera").string(), error)) << error;

    const std::filesystem::path out = dir.Path() / "p.tif";
    const ProcessResult prescan = test::RunProcess({SCANORA_CLI_PATH, "--prefs", prefs, "--camera",
                                                    "socket:" + server.Endpoint(), "prescan",
                                                    "--curve", "None 14 bit", "-o", out.string()});
    ASSERT_EQ(prescan.exitCode, 0) << prescan.err;

    const auto recipe = camera.LastCaptureRecipe();
    ASSERT_TRUE(recipe.has_value());
    const camsim::SceneImage scene = camsim::RenderCapture(*recipe);

    FileTiffInput input;
    ASSERT_TRUE(input.Open(out));
    TiffReader reader(input);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(reader.ReadImage(bytes)) << reader.Error();
    const TIFFDescription& file = reader.Description();
    EXPECT_EQ(file.bitsPerSample, 16);
    EXPECT_EQ(file.samplesPerPixel, 3);
    EXPECT_EQ(file.width, scene.width);
    EXPECT_EQ(file.height, scene.height);
    std::vector<std::uint16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));

    // The file holds the capture in the camera's order (each row one line); every sample is
    // the camera's, over most of their range, so that a curve, a gain or a shift would show.
    ASSERT_EQ(samples.size(), scene.samples.size());
    EXPECT_TRUE(samples == scene.samples);
    const auto [darkest, brightest] = std::ranges::minmax(samples);
    EXPECT_LT(darkest, 1000);
    EXPECT_GT(brightest, 16000);
}

}  // namespace
}  // namespace scanora
