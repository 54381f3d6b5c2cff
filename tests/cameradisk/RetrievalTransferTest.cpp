#include <gtest/gtest.h>

#include <atomic>

#include "cameradisk/RetrievalProgress.h"
#include "cameradisk/RetrievalTransfer.h"
#include "imaging/QVToneCurve.h"
#include "output/TIFFFile.h"
#include "output/TiffLayout.h"
#include "platform/OutputStream.h"

namespace scanora {
namespace {

constexpr std::size_t kBlock = RetrievalTransfer::kBlockBytes;

// A stored image as the camera keeps it: raw line j holds red of image line j - 2p, green of
// j - p and blue of j (one colour alone for a single-colour image), 16-bit values big-endian,
// then 4p lines more. Image line a, pixel i, colour c has the value Value(a, i, c).
struct StoredImage {
    std::uint32_t width = 1000;
    std::uint32_t height = 600;
    std::uint32_t spacing = 5;
    int stored = 6;

    [[nodiscard]] bool Colour() const { return stored == 6 || stored == 3; }
    [[nodiscard]] bool Wide() const { return stored % 2 == 0; }
    [[nodiscard]] std::uint16_t Value(std::int64_t line, std::uint32_t pixel, int colour) const
    {
        const auto v = static_cast<std::uint32_t>(line * 131 + pixel * 7 + colour * 1000 + 17);
        return static_cast<std::uint16_t>(Wide() ? (v * 37) & 0xFFFF : v & 0xFF);
    }
    [[nodiscard]] std::uint8_t StoredByte(std::uint64_t at) const
    {
        const std::uint64_t lineBytes = std::uint64_t{width} * static_cast<unsigned>(stored);
        const std::uint64_t line = at / lineBytes;
        if (line >= height + 4 * spacing)
            return 0;
        const std::uint64_t within = at % lineBytes;
        const int sampleBytes = Wide() ? 2 : 1;
        const std::uint64_t sample = within / static_cast<unsigned>(sampleBytes);
        const int channels = Colour() ? 3 : 1;
        const auto pixel = static_cast<std::uint32_t>(sample / static_cast<unsigned>(channels));
        const int colour = static_cast<int>(sample % static_cast<unsigned>(channels));
        const std::int64_t behind = Colour() ? (2 - colour) * std::int64_t{spacing} : 0;
        const std::uint16_t value = Value(static_cast<std::int64_t>(line) - behind, pixel, colour);
        if (!Wide())
            return static_cast<std::uint8_t>(value);
        return within % 2 == 0 ? static_cast<std::uint8_t>(value >> 8)
                               : static_cast<std::uint8_t>(value);
    }
    // Reads a block; counts the blocks asked for.
    RetrievalTransfer::BlockReader Reader(std::vector<std::uint16_t>* asked = nullptr) const
    {
        return [this, asked](std::span<std::uint8_t> buffer, std::uint16_t chunk) {
            if (asked)
                asked->push_back(chunk);
            const std::uint64_t start = std::uint64_t{chunk} * kBlock;
            for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = StoredByte(start + i);
            return static_cast<std::int32_t>(buffer.size());
        };
    }
};

RetrievalFormat FormatFor(const StoredImage& image, bool curve, bool eightBit)
{
    RetrievalFormat format;
    format.storedBytesPerPixel = image.stored;
    format.outputBytesPerPixel = eightBit && image.Wide() ? image.stored / 2 : image.stored;
    format.samplesPerPixel = image.Colour() ? 3 : 1;
    format.bitsPerSample = format.outputBytesPerPixel % 2 == 0 ? 16 : 8;
    if (curve)
        format.curve =
            RetrievalCurve{{{30, 3}, {80, 28}, {142, 106}, {194, 220}, {230, 255}}, true};
    return format;
}

TIFFDescription DescriptionFor(const StoredImage& image, const RetrievalFormat& format)
{
    TIFFDescription d;
    d.width = image.width;
    d.height = image.height;
    d.samplesPerPixel = format.samplesPerPixel;
    d.photometric = format.samplesPerPixel == 3 ? 2 : 1;
    d.bitsPerSample = format.bitsPerSample;
    return d;
}

// The file's pixels as they must be: the image values, through the curve when there is one,
// computed here from the curve's handles.
std::vector<std::uint8_t> Expected(const StoredImage& image, const RetrievalFormat& format)
{
    QVToneCurve curve;
    if (format.curve) {
        curve.SetHandles(format.curve->handles);
        curve.SetRawBits(16);
        curve.SetNegative(format.curve->negative);
        curve.SetSixteenBit(format.bitsPerSample == 16);
        curve.BuildRawTable();
    }
    std::vector<std::uint8_t> out;
    const int channels = image.Colour() ? 3 : 1;
    for (std::uint32_t a = 0; a < image.height; ++a) {
        for (std::uint32_t i = 0; i < image.width; ++i) {
            for (int c = 0; c < channels; ++c) {
                std::uint16_t v = image.Value(a, i, c);
                if (format.curve)
                    v = curve.RawEntry(v);
                out.push_back(static_cast<std::uint8_t>(v));
                if (format.bitsPerSample == 16)
                    out.push_back(static_cast<std::uint8_t>(v >> 8));
            }
        }
    }
    return out;
}

struct Outcome {
    RetrievalTransfer::Outcome outcome;
    std::vector<std::uint8_t> pixels;
    bool closed = false;
};

Outcome Transfer(const StoredImage& image, const RetrievalFormat& format,
                 const RetrievalTransfer::BlockReader& read, const std::atomic<bool>& cancel = {},
                 RetrievalProgress* progress = nullptr, bool mirrored = true)
{
    MemoryOutputStream stream;
    TIFFFile file(stream);
    const TIFFDescription description = DescriptionFor(image, format);
    EXPECT_TRUE(file.Open(description));
    RetrievalTransfer transfer(format, image.width, image.height, image.spacing);
    transfer.SetMirrored(mirrored);
    Outcome result{transfer.Run(read, file, cancel, progress), {}, false};
    const std::uint64_t strip = TiffLayout::Plan(description)->StripOffset();
    const auto& bytes = stream.Bytes();
    if (bytes.size() > strip)
        result.pixels.assign(bytes.begin() + static_cast<std::ptrdiff_t>(strip), bytes.end());
    if (result.outcome == RetrievalTransfer::Outcome::Done)
        result.closed = file.Close();
    return result;
}

TEST(RetrievalTransfer, WritesExactlyTheImageThroughEveryStoredForm)
{
    struct Case {
        int stored;
        bool curve;
        bool eightBit;
        std::uint32_t spacing = 5;
    };
    // The widest spacing lets a block's last pixels take their red from far into the next block.
    for (const Case c :
         {Case{6, false, false}, Case{6, true, false}, Case{6, true, true}, Case{6, true, false, 0},
          Case{6, true, false, 250}, Case{6, true, true, 250}, Case{3, false, false},
          Case{2, false, false}, Case{2, true, true}, Case{1, false, false}}) {
        StoredImage image;
        image.stored = c.stored;
        image.spacing = c.spacing;
        // Colour images fill three blocks, so that blocks take their look-ahead from the block
        // read behind them in both places the transfer reads blocks into; single-colour ones
        // fill two or more.
        image.height = image.Colour() ? 1100 : 3300;
        const RetrievalFormat format = FormatFor(image, c.curve, c.eightBit);
        const std::vector<std::uint8_t> expected = Expected(image, format);
        // In a mirrored buffer and in plain memory alike.
        for (const bool mirrored : {true, false}) {
            const Outcome result = Transfer(image, format, image.Reader(), {}, nullptr, mirrored);
            ASSERT_EQ(result.outcome, RetrievalTransfer::Outcome::Done) << c.stored;
            EXPECT_TRUE(result.closed) << "the file holds what StripByteCounts declares";
            ASSERT_EQ(result.pixels.size(), expected.size()) << c.stored;
            EXPECT_TRUE(result.pixels == expected)
                << "stored " << c.stored << " curve " << c.curve << " 8-bit " << c.eightBit
                << " spacing " << c.spacing << " mirrored " << mirrored;
        }
    }
}

TEST(RetrievalTransfer, ReadsTheImageAndTheRowsItNeedsButNotTheStoredTail)
{
    StoredImage image;
    image.width = 1024;
    image.height = 512;  // exactly one block of image bytes
    image.spacing = 8;
    const RetrievalFormat format = FormatFor(image, false, false);
    RetrievalTransfer transfer(format, image.width, image.height, image.spacing);
    EXPECT_EQ(transfer.OutputBytes(), std::uint64_t{kBlock});
    EXPECT_EQ(transfer.BlockCount(), 2u) << "the red of the last line lies 16 lines on";

    image.spacing = 0;
    EXPECT_EQ(RetrievalTransfer(format, image.width, image.height, 0).BlockCount(), 1u);

    std::vector<std::uint16_t> asked;
    image.spacing = 8;
    const Outcome result = Transfer(image, format, image.Reader(&asked));
    EXPECT_EQ(result.outcome, RetrievalTransfer::Outcome::Done);
    EXPECT_EQ(asked, (std::vector<std::uint16_t>{0, 1}));
    EXPECT_TRUE(result.pixels == Expected(image, format));
}

TEST(RetrievalTransfer, FailedAndShortReadsEndTheTransferUnpadded)
{
    StoredImage image;
    image.height = 1200;  // 3 blocks
    const RetrievalFormat format = FormatFor(image, false, false);
    const auto base = image.Reader();
    const auto failingAt = [&base](std::uint16_t bad, std::int32_t result) {
        return [=](std::span<std::uint8_t> buffer, std::uint16_t chunk) {
            return chunk == bad ? result : base(buffer, chunk);
        };
    };
    Outcome failed = Transfer(image, format, failingAt(2, -31));
    EXPECT_EQ(failed.outcome, RetrievalTransfer::Outcome::ReadFailed);
    EXPECT_EQ(failed.pixels.size(), kBlock) << "block 0 was written before block 2 was needed";

    const Outcome shortRead = Transfer(image, format, failingAt(1, kBlock - 512));
    EXPECT_EQ(shortRead.outcome, RetrievalTransfer::Outcome::ShortRead);
    EXPECT_TRUE(shortRead.pixels.empty()) << "nothing of a short block is used";

    RetrievalTransfer transfer(format, image.width, image.height, image.spacing);
    MemoryOutputStream stream;
    TIFFFile file(stream);
    ASSERT_TRUE(file.Open(DescriptionFor(image, format)));
    EXPECT_EQ(transfer.Run(failingAt(0, 0), file, {}, nullptr),
              RetrievalTransfer::Outcome::ShortRead);
    EXPECT_EQ(transfer.ReadResult(), 0);
    EXPECT_FALSE(file.Close()) << "an incomplete image never becomes a file";
}

class RecordingProgress final : public RetrievalProgress {
public:
    void OnStatus(std::string_view) override {}
    void OnTransferStarted(std::uint32_t count) override { started = count; }
    void OnProgress(std::uint32_t done, std::uint32_t count, std::string_view text,
                    std::uint32_t) override
    {
        steps.push_back(done);
        EXPECT_EQ(count, started);
        EXPECT_TRUE(std::string(text).starts_with("Time Remaining:  ")) << text;
        if (cancelAt == done)
            cancel->store(true);
    }

    std::uint32_t started = 0;
    std::vector<std::uint32_t> steps;
    std::uint32_t cancelAt = 0;
    std::atomic<bool>* cancel = nullptr;
};

TEST(RetrievalTransfer, ReportsEveryBlockAndStopsAfterTheBlockWhenCancelled)
{
    StoredImage image;
    image.height = 1200;
    const RetrievalFormat format = FormatFor(image, false, false);
    RecordingProgress progress;
    const Outcome done = Transfer(image, format, image.Reader(), {}, &progress);
    EXPECT_EQ(done.outcome, RetrievalTransfer::Outcome::Done);
    EXPECT_EQ(progress.started, 3u);
    EXPECT_EQ(progress.steps, (std::vector<std::uint32_t>{1, 2, 3}));

    std::atomic<bool> cancel{false};
    RecordingProgress stopping;
    stopping.cancelAt = 1;
    stopping.cancel = &cancel;
    std::vector<std::uint16_t> asked;
    const Outcome cancelled = Transfer(image, format, image.Reader(&asked), cancel, &stopping);
    EXPECT_EQ(cancelled.outcome, RetrievalTransfer::Outcome::Cancelled);
    EXPECT_EQ(stopping.steps, std::vector<std::uint32_t>{1});
    EXPECT_EQ(asked, (std::vector<std::uint16_t>{0, 1}));
}

TEST(RetrievalTransfer, ImagesItCannotTransferAreRefused)
{
    StoredImage image;
    const RetrievalFormat format = FormatFor(image, false, false);
    // Rows so far apart that the look-ahead does not fit the second block.
    EXPECT_FALSE(RetrievalTransfer(format, 12000, 100, 30).Supported());
    EXPECT_FALSE(RetrievalTransfer(format, 0, 100, 1).Supported());
    EXPECT_TRUE(RetrievalTransfer(format, 10200, 13600, 22).Supported());
}

TEST(RetrievalTimer, RemainingTimeFromTheBlocksDone)
{
    using namespace std::chrono;
    const RetrievalTimer::Clock::time_point start{};
    const RetrievalTimer timer(start);
    // 3 blocks of 10 in 6 s: n = 2 blocks before this one, 30 x 360 / 2 - 360 ticks = 24 s.
    EXPECT_EQ(timer.RemainingSeconds(3, 10, start + seconds(6)), 24u);
    // After the first block n counts as 1.
    EXPECT_EQ(timer.RemainingSeconds(1, 10, start + seconds(2)), 18u);
    EXPECT_EQ(timer.RemainingSeconds(10, 10, start + seconds(20)), 2u);
    EXPECT_EQ(RetrievalTimer::Format(65), "Time Remaining:  1:05");
    EXPECT_EQ(RetrievalTimer::Format(600), "Time Remaining:  10:00");
}

}  // namespace
}  // namespace scanora
