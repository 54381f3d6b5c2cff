#include "imaging/QVToneCurve.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <tuple>
#include <vector>

namespace scanora {
namespace {

const std::vector<CurveHandle> kFiveHandles{{10, 20}, {60, 60}, {121, 130}, {180, 200}, {240, 250}};

// The textbook cubic Hermite segment from (x0, y0) to (x1, y1) with tangents t0 and t1.
double Hermite(double x0, double y0, double t0, double x1, double y1, double t1, double h)
{
    const double d = x1 - x0;
    const double u = (h - x0) / d;
    return (2 * u * u * u - 3 * u * u + 1) * y0 + (u * u * u - 2 * u * u + u) * d * t0 +
           (3 * u * u - 2 * u * u * u) * y1 + (u * u * u - u * u) * d * t1;
}

// The raw table straight from its defining formulas, before the smoothing passes.
struct DirectTable {
    std::vector<int> entries;
    std::array<int, 256> node{};
    int knee = 0;
};

DirectTable Direct(std::span<const double, 256> levels, int bits, bool words)
{
    const double top = words ? 65535 : 255;
    const auto level = [&](int j) { return words ? levels[j] / 255 * 65535 : levels[j]; };
    const auto limited = [top](double x) { return static_cast<int>(std::clamp(x, 0.0, top)); };
    const int maxRaw = (1 << bits) - 1;
    DirectTable d;
    d.knee = static_cast<int>(0.9 * maxRaw);
    for (int j = 0; j < 256; ++j)
        d.node[j] = static_cast<int>(d.knee * std::pow(2.0, (j - 255) / 25.0) + 0.5);
    const auto& n = d.node;
    d.entries.assign(maxRaw + 1, -1);
    for (int v = 0; v < n[0]; ++v)
        d.entries[v] =
            limited(level(0) - (n[0] - v) * (level(25) - level(0)) / (n[25] - n[0]) + 0.5);
    for (int j = 0; j < 255; ++j) {
        const int gap = n[j + 1] - n[j];
        for (int v = n[j]; gap > 1 && v < n[j + 1]; ++v)
            d.entries[v] =
                static_cast<int>(level(j) + (v - n[j]) * (level(j + 1) - level(j)) / gap + 0.5);
        if (gap <= 1)
            d.entries[n[j]] = static_cast<int>(level(j));
    }
    for (int v = d.knee; v <= maxRaw; ++v)
        d.entries[v] = limited(level(255) +
                               (v - d.knee) * (level(255) - level(243)) / (d.knee - n[243]) + 0.5);
    return d;
}

// True when no smoothing pass can reach entry v: within 6 entries there is no flat step or no
// jump of more than one level.
bool OutOfSmoothingReach(const std::vector<int>& t, int v)
{
    bool flat = false;
    bool jump = false;
    for (int u = std::max(1, v - 6); u <= std::min<int>(t.size() - 1, v + 6); ++u) {
        flat = flat || t[u] == t[u - 1];
        jump = jump || std::abs(t[u] - t[u - 1]) > 1;
    }
    return !(flat && jump);
}

QVToneCurve Built(const std::vector<CurveHandle>& handles, int bits, bool words,
                  bool negative = false)
{
    QVToneCurve curve;
    curve.SetHandles(handles);
    curve.SetRawBits(bits);
    curve.SetSixteenBit(words);
    curve.SetNegative(negative);
    curve.BuildRawTable();
    return curve;
}

TEST(QVToneCurveTest, LevelsFollowTheHermiteCurveAndStraightLinesOutside)
{
    QVToneCurve curve;
    curve.SetHandles(std::vector<CurveHandle>{{20, 10}, {100, 90}, {200, 180}});
    const double t0 = 80.0 / 80;                     // the first secant
    const double t1 = (80.0 / 80 + 90.0 / 100) / 2;  // the mean of both secants
    const double t2 = (90.0 / 100 + 75.0 / 55) / 2;  // last secant and slope to the top corner
    const auto levels = curve.Levels();
    EXPECT_DOUBLE_EQ(levels[15], 10 - 5 * t0);
    EXPECT_EQ(levels[5], 0.0) << "the first line clamps at 0";
    EXPECT_EQ(levels[100], 90.0);
    EXPECT_NEAR(levels[50], Hermite(20, 10, t0, 100, 90, t1, 50), 1e-9);
    EXPECT_NEAR(levels[170], Hermite(100, 90, t1, 200, 180, t2, 170), 1e-9);
    EXPECT_NEAR(levels[230], 180 + 30 * t2 / 2, 1e-9) << "half the last tangent";

    // A last handle on the top index takes half its secant as its tangent.
    curve.SetHandles(std::vector<CurveHandle>{{0, 0}, {128, 100}, {255, 255}});
    const double middle = (100.0 / 128 + 155.0 / 127) / 2;
    EXPECT_NEAR(curve.Levels()[200], Hermite(128, 100, middle, 255, 255, 155.0 / 127 / 2, 200),
                1e-9);

    // The default curve runs above 255 past its last handle and clamps there.
    EXPECT_EQ(QVToneCurve().Levels()[250], 255.0);
}

class RawTableTest : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(RawTableTest, RegionsFollowTheirFormulasAndNeverFall)
{
    const auto [bits, words] = GetParam();
    const QVToneCurve curve = Built(kFiveHandles, bits, words);
    const DirectTable direct = Direct(curve.Levels(), bits, words);
    EXPECT_EQ(curve.MaxRaw(), (1 << bits) - 1);
    EXPECT_EQ(curve.KneeRaw(), bits == 14 ? 14744 : 58981);
    EXPECT_EQ(direct.node[0], bits == 14 ? 13 : 50);

    // Below the first node, between nodes, from the knee up: exact where no smoothing pass
    // reaches, one level off at most where one does.
    std::array<int, 3> exact{};
    for (int v = 0; v <= curve.MaxRaw(); ++v) {
        const int region = v < direct.node[0] ? 0 : v < direct.knee ? 1 : 2;
        if (OutOfSmoothingReach(direct.entries, v)) {
            ASSERT_EQ(curve.RawEntry(v), direct.entries[v]) << "raw " << v;
            ++exact[region];
        } else {
            ASSERT_NEAR(curve.RawEntry(v), direct.entries[v], 1) << "raw " << v;
        }
    }
    EXPECT_GT(exact[0], 0);
    EXPECT_GT(exact[1], 1000);
    EXPECT_GT(exact[2], 100);

    // This curve rises; from where the nodes are more than one raw value apart the table
    // never falls (closer nodes take truncated rather than rounded levels).
    ASSERT_TRUE(std::is_sorted(curve.Levels().begin(), curve.Levels().end()));
    int dense = 0;
    for (int j = 0; j < 255; ++j) {
        if (direct.node[j + 1] - direct.node[j] <= 1)
            dense = direct.node[j + 1];
    }
    const auto table = curve.RawTable().subspan(dense, curve.MaxRaw() + 1 - dense);
    EXPECT_TRUE(std::is_sorted(table.begin(), table.end()));
}

INSTANTIATE_TEST_SUITE_P(BitsAndWidths, RawTableTest,
                         ::testing::Combine(::testing::Values(14, 16), ::testing::Bool()));

TEST(QVToneCurveTest, SmoothingMovesTheEndsOfFlatStretchesByOneLevel)
{
    const std::vector<CurveHandle> gentle{{10, 20}, {60, 60}, {120, 130}, {180, 200}, {240, 250}};
    QVToneCurve curve = Built(gentle, 14, false);
    const DirectTable bytes = Direct(curve.Levels(), 14, false);
    const std::vector<int>& t = bytes.entries;
    // A flat stretch 23 23, then 25: the rising pass lifts its end.
    ASSERT_EQ(std::vector(t.begin() + 18, t.begin() + 21), (std::vector{23, 23, 25}));
    EXPECT_EQ(curve.RawEntry(19), 24);
    // 49, then a flat stretch of 51: the falling pass lowers its start.
    ASSERT_EQ(std::vector(t.begin() + 49, t.begin() + 53), (std::vector{49, 51, 51, 51}));
    EXPECT_EQ(curve.RawEntry(50), 50);

    // In words, too, the lift is one level: zeros, then the first level of the curve's foot.
    curve = Built({}, 14, true);  // the default handles
    const DirectTable words = Direct(curve.Levels(), 14, true);
    ASSERT_EQ(words.entries[23], 0);
    ASSERT_EQ(words.entries[24], 0);
    ASSERT_GT(words.entries[25], 1);
    EXPECT_EQ(curve.RawEntry(24), 1);
}

TEST(QVToneCurveTest, NegativeInvertsEveryEntry)
{
    for (const bool words : {false, true}) {
        const QVToneCurve positive = Built(kFiveHandles, 16, words);
        const QVToneCurve negative = Built(kFiveHandles, 16, words, true);
        const int top = words ? 65535 : 255;
        EXPECT_EQ(negative.RawEntry(0), top - positive.RawEntry(0));
        for (int v = 0; v <= 65535; ++v)
            ASSERT_EQ(negative.RawEntry(v), top - positive.RawEntry(v)) << "raw " << v;
    }
}

TEST(QVToneCurveTest, TablesStayInTheOutputRange)
{
    // A falling curve: extending its first stop down would pass 255 below the first node.
    const std::vector<CurveHandle> falling{{0, 250}, {128, 128}, {255, 5}};
    const QVToneCurve curve = Built(falling, 14, false);
    const auto levels = curve.Levels();
    ASSERT_GT(levels[0] + 13 * (levels[0] - levels[25]) / (25 - 13), 255.0);
    EXPECT_EQ(curve.RawEntry(0), 255);

    // An overshooting curve at every bit depth the table can hold.
    const std::vector<CurveHandle> wild{{5, 250}, {8, 0}, {11, 255}, {250, 0}};
    for (int bits = 1; bits <= 16; ++bits) {
        const QVToneCurve built = Built(wild, bits, false);
        EXPECT_EQ(built.MaxRaw(), (1 << bits) - 1);
        const auto table = built.RawTable().first(built.MaxRaw() + 1);
        EXPECT_LE(*std::max_element(table.begin(), table.end()), 255) << bits << " bits";
    }
    QVToneCurve clamped;
    clamped.SetRawBits(20);
    EXPECT_EQ(clamped.RawBits(), 16);
    clamped.SetRawBits(0);
    EXPECT_EQ(clamped.RawBits(), 1);
}

TEST(QVToneCurveTest, RebuildFillsOnlyTheEntriesOfItsBitDepth)
{
    QVToneCurve curve = Built(kFiveHandles, 16, true);
    const std::vector<std::uint16_t> words(curve.RawTable().begin(), curve.RawTable().end());
    curve.SetRawBits(14);
    curve.SetSixteenBit(false);
    curve.BuildRawTable();
    EXPECT_LE(curve.RawEntry(16383), 255);
    EXPECT_TRUE(std::equal(words.begin() + 16384, words.end(), curve.RawTable().begin() + 16384));
}

TEST(QVToneCurveTest, PassThroughTableIgnoresTheCurveUntilSwitchedOff)
{
    for (const bool words : {false, true}) {
        QVToneCurve curve = Built(kFiveHandles, 14, words, true);
        const std::vector<std::uint16_t> curved(curve.RawTable().begin(), curve.RawTable().end());
        curve.SetPassThrough(true);
        curve.BuildRawTable();
        // Every entry, not only those of the bit depth: gained samples reach past it.
        for (int v = 0; v <= 65535; ++v)
            ASSERT_EQ(curve.RawEntry(v), words ? v : v & 0xFF) << "raw " << v;

        curve.SetPassThrough(false);
        curve.BuildRawTable();
        EXPECT_TRUE(std::equal(curved.begin(), curved.begin() + 16384, curve.RawTable().begin()))
            << "the curve is back after the mode";
    }
}

TEST(QVToneCurveTest, SwitchingBetweenFiveAndSevenHandles)
{
    QVToneCurve curve;
    curve.RemoveHandles();
    EXPECT_EQ(std::vector(curve.Handles().begin(), curve.Handles().end()),
              (std::vector<CurveHandle>{{30, 3}, {80, 28}, {142, 106}, {212, 245}, {230, 255}}));

    curve.SetHandles(kFiveHandles);
    const std::vector<double> before(curve.Levels().begin(), curve.Levels().end());
    curve.RemoveHandles();
    EXPECT_EQ(curve.HandleCount(), 5) << "five handles stay five";
    curve.AddHandles();
    // 60 + 61 / 3 = 80 and 121 + (2 * 59) / 3 = 160, on the curve as it was.
    const auto a = static_cast<std::int16_t>(before[80]);
    const auto b = static_cast<std::int16_t>(before[160]);
    const std::vector<CurveHandle> seven{{10, 20}, {60, 60},   {80, a},   {121, 130},
                                         {160, b}, {180, 200}, {240, 250}};
    EXPECT_EQ(std::vector(curve.Handles().begin(), curve.Handles().end()), seven);
    EXPECT_EQ(curve.Levels()[160], b) << "levels follow the new handles";
    curve.AddHandles();
    EXPECT_EQ(curve.HandleCount(), 7) << "seven handles stay seven";

    curve.RemoveHandles();
    EXPECT_EQ(std::vector(curve.Handles().begin(), curve.Handles().end()), kFiveHandles);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), curve.Levels().begin()));
}

TEST(QVToneCurveTest, HandleListsOutsideFiveAndSeven)
{
    QVToneCurve curve;
    curve.SetHandles({});
    EXPECT_EQ(curve.HandleCount(), 7) << "an empty list changes nothing";

    std::vector<CurveHandle> nine;
    for (std::int16_t i = 0; i < 9; ++i)
        nine.push_back({static_cast<std::int16_t>(i * 30), static_cast<std::int16_t>(i * 30)});
    curve.SetHandles(nine);
    EXPECT_EQ(std::vector(curve.Handles().begin(), curve.Handles().end()),
              std::vector(nine.begin(), nine.begin() + 7));

    curve.SetHandles(std::vector<CurveHandle>{{100, 40}});
    EXPECT_TRUE(std::all_of(curve.Levels().begin(), curve.Levels().end(),
                            [](double level) { return level == 40.0; }));
}

}  // namespace
}  // namespace scanora
