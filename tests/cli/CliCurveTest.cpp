// Tone curves chosen on the command line, checked in the files a prescan writes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "output/FileTiffInput.h"
#include "output/TiffReader.h"
#include "support/ProcessRunner.h"
#include "support/TempDir.h"

namespace scanora {
namespace {

using test::ProcessResult;

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReplacedAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The samples of a prescan file, 8- or 16-bit, as numbers.
std::vector<int> Samples(const std::filesystem::path& path, int& bits)
{
    FileTiffInput input;
    EXPECT_TRUE(input.Open(path)) << path;
    TiffReader reader(input);
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(reader.ReadImage(bytes)) << reader.Error();
    bits = reader.Description().bitsPerSample;
    std::vector<int> samples;
    if (bits == 16) {
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
            samples.push_back(bytes[i] | (bytes[i + 1] << 8));
    } else {
        samples.assign(bytes.begin(), bytes.end());
    }
    return samples;
}

// The curve's output flags in the last H01 block sent: bit 0 16-bit, bit 1 no curve, bit 2
// negative (the bits above give the orientation).
int H01Flags(const std::string& trace)
{
    static const std::regex block("H01(?:[0-9A-F]{4} ){3} (?:[0-9A-F]{4} ){2}([0-9A-F]{4}) ");
    int flags = -1;
    for (auto it = std::sregex_iterator(trace.begin(), trace.end(), block);
         it != std::sregex_iterator(); ++it)
        flags = std::stoi((*it)[1].str(), nullptr, 16) & 0x7;
    return flags;
}

class CliCurveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const ProcessResult reset =
            test::RunProcess({SCANORA_CLI_PATH, "--prefs", Prefs("built-in"), "prefs", "reset"});
        ASSERT_EQ(reset.exitCode, 0) << reset.err;
        builtIn_ = ReadText(Prefs("built-in"));
        WriteText(curveFile_, "5 0 0 64 40 128 120 192 210 250 255 ");
    }

    std::string Prefs(const std::string& name) const { return (dir_.Path() / name).string(); }

    // A preferences file with `edits` made to the built-in one.
    std::string PrefsWith(const std::string& name,
                          const std::vector<std::pair<std::string, std::string>>& edits)
    {
        std::string text = builtIn_;
        for (const auto& [from, to] : edits) text = ReplacedAll(text, from, to);
        WriteText(Prefs(name), text);
        return Prefs(name);
    }

    struct Prescan {
        std::vector<int> samples;
        int bits = 0;
        int flags = -1;
    };
    // A prescan with the curve file (or the curve `curve` names) and the preferences file
    // `prefs`.
    Prescan Run(const std::string& prefs, const std::string& name, std::string curve = {})
    {
        if (curve.empty())
            curve = curveFile_.string();
        const std::filesystem::path out = dir_.Path() / (name + ".tif");
        const std::filesystem::path trace = dir_.Path() / (name + ".trace");
        std::filesystem::remove(out);
        const ProcessResult result = test::RunProcess(
            {SCANORA_CLI_PATH, "--prefs", prefs, "--camera", "sim:speed=0", "--trace",
             trace.string(), "prescan", "--curve", curve, "-o", out.string()});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        Prescan prescan;
        prescan.samples = Samples(out, prescan.bits);
        prescan.flags = H01Flags(ReadText(trace));
        return prescan;
    }

    test::TempDir dir_;
    std::string builtIn_;
    std::filesystem::path curveFile_ = dir_.Path() / "Contrast.cur";
};

TEST_F(CliCurveTest, ACurveFileKeepsTheCurrentCurvesNegativeAndBlackOnTop)
{
    for (const bool sixteen : {false, true}) {
        SCOPED_TRACE(sixteen ? "16-bit" : "8-bit");
        const std::string depth = sixteen ? "Use16BitCurve true" : "Use16BitCurve false";
        const auto edits = [&](std::vector<std::pair<std::string, std::string>> more) {
            more.emplace_back("Use16BitCurve false", depth);
            return more;
        };
        const Prescan plain = Run(PrefsWith("plain", edits({})), "plain");
        const Prescan negative =
            Run(PrefsWith("negative", edits({{"Negative false", "Negative true"}})), "negative");
        const Prescan blackOnTop =
            Run(PrefsWith("black", edits({{"BlackOnTop false", "BlackOnTop true"}})), "black");
        const Prescan both =
            Run(PrefsWith("both", edits({{"Negative false", "Negative true"},
                                         {"BlackOnTop false", "BlackOnTop true"}})),
                "both");

        const int top = sixteen ? 65535 : 255;
        ASSERT_EQ(plain.bits, sixteen ? 16 : 8);
        ASSERT_FALSE(plain.samples.empty());
        // The scene reaches deep shadows and the brightest levels, so both ends of the
        // table are looked at, and the middle.
        const auto [darkest, brightest] = std::ranges::minmax(plain.samples);
        EXPECT_LT(darkest, top / 10);
        EXPECT_GT(brightest, top - top / 10);
        EXPECT_TRUE(std::ranges::any_of(
            plain.samples, [&](int s) { return s > top * 4 / 10 && s < top * 6 / 10; }));

        ASSERT_EQ(negative.samples.size(), plain.samples.size());
        std::size_t inverted = 0;
        for (std::size_t i = 0; i < plain.samples.size(); ++i)
            inverted += negative.samples[i] == top - plain.samples[i];
        EXPECT_EQ(inverted, plain.samples.size()) << "every sample through the inverted table";
        EXPECT_EQ(blackOnTop.samples, plain.samples) << "black on top only turns the graph";
        EXPECT_EQ(both.samples, negative.samples);

        const int sixteenBit = sixteen ? 1 : 0;
        EXPECT_EQ(plain.flags, sixteenBit);
        EXPECT_EQ(negative.flags, 4 | sixteenBit);
        EXPECT_EQ(blackOnTop.flags, sixteenBit);
        EXPECT_EQ(both.flags, 4 | sixteenBit);
    }
}

TEST_F(CliCurveTest, AStoredCurveByNameBringsItsOwnNegative)
{
    // The current curve is a negative one; the stored "bent 6 stops" is not. A curve file gives
    // its handles to the current curve and keeps its flags; a stored curve chosen by name
    // becomes the current curve with its own flags, as selecting it does.
    std::string text = builtIn_;
    text.replace(text.rfind("Negative false"), 14, "Negative true");
    WriteText(Prefs("current negative"), text);
    EXPECT_EQ(Run(Prefs("current negative"), "file").flags, 4);
    EXPECT_EQ(Run(Prefs("current negative"), "by name", "bent 6 stops").flags, 0);

    const std::string stored = ReplacedAll(builtIn_, "Negative false", "Negative true");
    WriteText(Prefs("stored negative"), stored);
    EXPECT_EQ(Run(Prefs("stored negative"), "stored by name", "bent 6 stops").flags, 4);
}

}  // namespace
}  // namespace scanora
