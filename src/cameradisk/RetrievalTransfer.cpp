#include "cameradisk/RetrievalTransfer.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "acquire/TryAllocate.h"
#include "cameradisk/RetrievalProgress.h"
#include "imaging/LineRealignment.h"
#include "imaging/QVToneCurve.h"
#include "output/TIFFFile.h"
#include "platform/MirroredBuffer.h"

namespace scanora {

namespace {

// Pixels converted and written in one go: a piece (96 KiB of 16-bit colour) is still in the
// processor's cache when the file takes it.
constexpr std::size_t kPiecePixels = 16384;
// The chunk index of a block is a 16-bit number.
constexpr std::uint32_t kMaxBlocks = 65536;

// The 16-bit word at `at` as the host reads it, whatever its byte order.
inline std::uint16_t LoadWord(const std::uint8_t* at)
{
    std::uint16_t word = 0;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// The word a host reads where the camera stored `value` big-endian.
constexpr std::uint16_t StoredWord(std::uint16_t value)
{
    if constexpr (std::endian::native == std::endian::big)
        return value;
    return static_cast<std::uint16_t>(value << 8 | value >> 8);
}

// Realignment and the curve's table in one pass over 16-bit colour pixels, in place: red and
// green are taken from the lines `offset` samples ahead (as RealignLines does) and go through
// `table` on their way, so the block is read and written once. `table` is indexed by the stored
// words as the host reads them, so that no sample is turned around. Pixel i is read at in + 6 i and
// stored at out + 3 i Outs; with `out` at or before `in` in the same buffer every sample of a
// pixel is read before the pixel is stored and only samples not yet converted are read.
template <typename Out>
void RealignAndMap(const std::uint8_t* in, Out* out, std::size_t pixels, std::size_t offset,
                   const std::uint16_t* table)
{
    const std::size_t greenLead = 2 * offset;
    const std::size_t redLead = 4 * offset;
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* const at = in + 6 * i;
        const auto red = static_cast<Out>(table[LoadWord(at + redLead)]);
        const auto green = static_cast<Out>(table[LoadWord(at + greenLead + 2)]);
        const auto blue = static_cast<Out>(table[LoadWord(at + 4)]);
        out[3 * i] = red;
        out[3 * i + 1] = green;
        out[3 * i + 2] = blue;
    }
}

}  // namespace

RetrievalTransfer::RetrievalTransfer(const RetrievalFormat& format, std::uint32_t width,
                                     std::uint32_t height, std::uint32_t rowSpacing)
    : format_(format), width_(width), height_(height), rowSpacing_(rowSpacing)
{
    if (format_.curve && format_.StoredWide()) {
        QVToneCurve curve;
        curve.SetHandles(format_.curve->handles);
        curve.SetRawBits(16);
        curve.SetNegative(format_.curve->negative);
        curve.SetSixteenBit(format_.bitsPerSample == 16);
        curve.BuildRawTable();
        const auto raw = curve.RawTable();
        static_assert(QVToneCurve::kRawTableSize == 65536, "every 16-bit sample has its entry");
        table_.assign(raw.begin(), raw.end());
        // 16-bit colour is realigned and mapped in one pass straight from the stored words.
        if (format_.storedBytesPerPixel == SampleType::kColour16) {
            for (std::size_t value = 0; value < raw.size(); ++value)
                table_[StoredWord(static_cast<std::uint16_t>(value))] = raw[value];
        }
    }
}

RetrievalTransfer::~RetrievalTransfer() = default;

std::size_t RetrievalTransfer::LookAheadBytes() const
{
    const int stored = format_.storedBytesPerPixel;
    if (stored != SampleType::kColour16 && stored != SampleType::kColour8)
        return 0;
    return std::size_t{2} * rowSpacing_ * width_ * static_cast<std::size_t>(stored);
}

std::uint64_t RetrievalTransfer::OutputBytes() const
{
    return std::uint64_t{width_} * height_ *
           static_cast<std::uint64_t>(format_.outputBytesPerPixel);
}

std::uint32_t RetrievalTransfer::BlockCount() const
{
    // The image's own stored bytes and the lines its last rows take their colours from.
    const std::uint64_t needed =
        std::uint64_t{width_} * height_ * static_cast<std::uint64_t>(format_.storedBytesPerPixel) +
        LookAheadBytes();
    const std::uint64_t blocks = (needed + kBlockBytes - 1) / kBlockBytes;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(blocks, kMaxBlocks + 1));
}

bool RetrievalTransfer::Supported() const
{
    const int stored = format_.storedBytesPerPixel;
    const bool knownType = stored == 1 || stored == 2 || stored == 3 || stored == 6;
    return knownType && width_ > 0 && height_ > 0 && LookAheadBytes() <= kBlockBytes &&
           BlockCount() <= kMaxBlocks;
}

std::span<const std::uint8_t> RetrievalTransfer::ConvertPiece(std::uint8_t* block,
                                                              std::size_t spanBytes,
                                                              std::size_t first, std::size_t count)
{
    const auto stored = static_cast<std::size_t>(format_.storedBytesPerPixel);
    const auto output = static_cast<std::size_t>(format_.outputBytesPerPixel);
    const std::size_t samplesPerPixel = format_.samplesPerPixel;
    const bool colour = stored == SampleType::kColour16 || stored == SampleType::kColour8;
    const std::size_t offset = colour ? std::size_t{rowSpacing_} * width_ * 3 : 0;
    const bool narrowOutput = format_.bitsPerSample == 8 && format_.StoredWide();
    const std::uint16_t* const table = table_.empty() ? nullptr : table_.data();
    // The piece's pixels are read from their stored place and land at their place in the
    // output, which never lies after it.
    std::uint8_t* const in = block + first * stored;
    std::uint8_t* const out = block + first * output;
    const std::span<const std::uint8_t> converted(out, count * output);

    if (table && stored == SampleType::kColour16) {
        // The red samples of the last pixel lie two row spacings past the piece.
        if ((first + count) * stored + 2 * offset * 2 > spanBytes)
            return {};
        if (narrowOutput)
            RealignAndMap(in, out, count, offset, table);
        else
            RealignAndMap(in, reinterpret_cast<std::uint16_t*>(out), count, offset, table);
        return converted;
    }
    if (!RealignLines(std::span(in, spanBytes - first * stored), count, static_cast<int>(stored),
                      offset))
        return {};
    if (!table)
        return converted;
    // The samples are in host order now; the buffer was made as 16-bit words.
    const auto* words = reinterpret_cast<const std::uint16_t*>(in);
    const std::size_t samples = count * samplesPerPixel;
    if (narrowOutput) {
        // Bytes packed at the front: byte i lies before sample i, which is read first.
        for (std::size_t i = 0; i < samples; ++i)
            out[i] = static_cast<std::uint8_t>(table[words[i]]);
    } else {
        auto* mapped = reinterpret_cast<std::uint16_t*>(out);
        for (std::size_t i = 0; i < samples; ++i) mapped[i] = table[words[i]];
    }
    return converted;
}

RetrievalTransfer::Outcome RetrievalTransfer::Run(const BlockReader& read, TIFFFile& file,
                                                  const std::atomic<bool>& cancel,
                                                  RetrievalProgress* progress)
{
    readResult_ = 0;
    if (!Supported())
        return Outcome::Unsupported;
    // Two block places, A and B: blocks go to them by turns, each read once. A block in B looks
    // ahead into its successor in A: in a mirrored buffer A follows B in memory; otherwise the
    // successor's beginning is copied into the room behind B. Page-aligned or made as 16-bit
    // words, so that the samples can be read as such.
    const std::size_t lookAhead = LookAheadBytes();
    const std::size_t bytes = 2 * kBlockBytes + lookAhead;
    std::unique_ptr<MirroredBuffer> ring =
        mirrored_ ? MirroredBuffer::Create(2 * kBlockBytes) : nullptr;
    if (ring && ring->Size() != 2 * kBlockBytes)
        ring.reset();
    std::unique_ptr<std::uint16_t[]> buffer;
    if (!ring) {
        buffer = TryAllocateForOverwrite<std::uint16_t>((bytes + 1) / 2, bytes + 1);
        if (!buffer)
            return Outcome::NoMemory;
    }
    std::uint8_t* const base = ring ? ring->Data() : reinterpret_cast<std::uint8_t*>(buffer.get());
    std::uint8_t* const places[2] = {base, base + kBlockBytes};
    std::uint8_t* const end = base + bytes;

    const auto readBlock = [&](std::uint8_t* into, std::uint32_t index) {
        const std::int32_t got =
            read(std::span(into, kBlockBytes), static_cast<std::uint16_t>(index));
        if (got >= 0 && static_cast<std::size_t>(got) >= kBlockBytes)
            return Outcome::Done;
        readResult_ = got;
        return got < 0 ? Outcome::ReadFailed : Outcome::ShortRead;
    };
    const auto write = [&](std::span<const std::uint8_t> out) {
        return format_.bitsPerSample == 16
                   ? file.WriteSamples(std::span(reinterpret_cast<const std::uint16_t*>(out.data()),
                                                 out.size() / 2))
                   : file.WriteData(out);
    };

    const std::uint32_t blockCount = BlockCount();
    const auto stored = static_cast<std::uint64_t>(format_.storedBytesPerPixel);
    const std::uint64_t storedImageBytes = std::uint64_t{width_} * height_ * stored;
    if (progress)
        progress->OnTransferStarted(blockCount);
    const RetrievalTimer timer;

    if (const Outcome outcome = readBlock(places[0], 0); outcome != Outcome::Done)
        return outcome;
    for (std::uint32_t k = 0; k < blockCount; ++k) {
        std::uint8_t* const block = places[k % 2];
        if (k + 1 < blockCount) {
            std::uint8_t* const next = places[(k + 1) % 2];
            if (const Outcome outcome = readBlock(next, k + 1); outcome != Outcome::Done)
                return outcome;
            if (!ring && block == places[1])
                std::memcpy(places[1] + kBlockBytes, next, lookAhead);
        }
        const std::uint64_t start = std::uint64_t{k} * kBlockBytes;
        const std::uint64_t imageBytes =
            storedImageBytes > start
                ? std::min<std::uint64_t>(kBlockBytes, storedImageBytes - start)
                : 0;
        const auto pixels = static_cast<std::size_t>(imageBytes / stored);
        const auto spanBytes = static_cast<std::size_t>(end - block);
        for (std::size_t first = 0; first < pixels; first += kPiecePixels) {
            const std::size_t count = std::min(kPiecePixels, pixels - first);
            const std::span<const std::uint8_t> out = ConvertPiece(block, spanBytes, first, count);
            if (out.size() != count * static_cast<std::size_t>(format_.outputBytesPerPixel))
                return Outcome::Unsupported;
            if (!write(out))
                return Outcome::WriteFailed;
        }
        if (progress) {
            const std::uint32_t seconds = timer.RemainingSeconds(k + 1, blockCount);
            progress->OnProgress(k + 1, blockCount, RetrievalTimer::Format(seconds), seconds);
        }
        if (cancel.load())
            return Outcome::Cancelled;
    }
    return Outcome::Done;
}

}  // namespace scanora
