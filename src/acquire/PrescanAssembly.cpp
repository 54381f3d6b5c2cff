#include "acquire/PrescanAssembly.h"

#include <algorithm>
#include <limits>

#include "acquire/LinePlacement.h"
#include "acquire/PreviewImage.h"
#include "imaging/LineRealignment.h"
#include "settings/InsertRotation.h"

namespace scanora {

namespace {

constexpr std::size_t kBlock = PrescanAssembly::kBlockBytes;

std::size_t BlocksFor(std::size_t bytes)
{
    return (bytes + kBlock - 1) / kBlock;
}

}  // namespace

int PrescanPlan::ColourOffset(bool superPrescan, int maxSizeStep, int sizeStep,
                              std::uint16_t modelCode)
{
    int offset = superPrescan ? maxSizeStep - sizeStep : 1;
    if (modelCode == 1)
        offset *= 2;
    return std::max(offset, 0);
}

PrescanAssembly::PrescanAssembly(PreviewImage& image, const ColorCorrectingToneCurve* displayCurve)
    : image_(image), curve_(displayCurve)
{
}

PrescanAssembly::~PrescanAssembly() = default;

std::size_t PrescanAssembly::ScratchBytes(int pixels, int lines, int colourOffset)
{
    const auto lineBytes = static_cast<std::size_t>(std::max(pixels, 0)) * 6;
    const std::size_t blocksPerLine = BlocksFor(lineBytes);
    const std::size_t rows = static_cast<std::size_t>(std::max(lines, 0)) +
                             2 * static_cast<std::size_t>(std::max(colourOffset, 0));
    return BlocksFor(lineBytes * rows) * kBlock + (rows % 4) * blocksPerLine * kBlock +
           5 * blocksPerLine * kBlock;
}

PrescanAssembly::Start PrescanAssembly::Begin(const PrescanPlan& plan)
{
    Release();
    if (!image_.HasImage())
        return Start::NoImage;

    pixels_ = image_.Width();
    lines_ = image_.Height();
    firstLine_ = 0;
    lineCount_ = lines_;
    if (plan.crop) {
        // The crop comes from the size object; keep it inside the preview.
        firstLine_ = std::clamp(plan.crop->firstLine, 0, lines_);
        lineCount_ = std::clamp(plan.crop->lineCount, 0, lines_ - firstLine_);
    }
    colourOffset_ = std::clamp(plan.colourOffset, 0, std::numeric_limits<int>::max() / 4);
    orientation_ = InsertCodeForRotation(image_.Rotation());
    lineBytes_ = static_cast<std::size_t>(pixels_) * PreviewImage::kBytesPerPixel;
    const std::size_t leadLines = 2 * static_cast<std::size_t>(colourOffset_);
    total_ = lineBytes_ * (static_cast<std::size_t>(lineCount_) + leadLines);
    groupTarget_ = lineBytes_ * (leadLines + kGroupLines);
    bytesRead_ = 0;
    placed_ = 0;

    if (BlocksFor(std::min(groupTarget_, total_)) > std::numeric_limits<std::uint16_t>::max())
        return Start::TooLarge;

    imageBytes_ = image_.CurrentAllocation();
    const std::size_t readEnd = static_cast<std::size_t>(firstLine_) * lineBytes_ + ReadLimit();
    // Reading straight into the image writes the 2d trailing lines below the region, so that is
    // done only where they fall into the extra rows, never over rows outside the region.
    const bool direct = orientation_ == InsertRotation::kFromTop &&
                        firstLine_ + lineCount_ == lines_ && readEnd <= imageBytes_.size();
    if (direct) {
        target_ = imageBytes_;
    } else {
        const std::size_t bytes = std::max(ScratchBytes(pixels_, lines_, colourOffset_), readEnd);
        scratch_ = TryAllocateLarge<std::uint16_t>((bytes + 1) / 2, image_.MaxBufferBytes());
        if (!scratch_)
            return Start::NoMemory;
        // The camera's bytes of the 16-bit scratch samples.
        target_ = {reinterpret_cast<std::uint8_t*>(scratch_.get()), bytes};
    }
    active_ = true;
    return Start::Ready;
}

bool PrescanAssembly::IsComplete() const
{
    return !active_ || (placed_ >= lineCount_ && bytesRead_ >= total_);
}

std::size_t PrescanAssembly::ReadLimit() const
{
    return BlocksFor(total_) * kBlock;
}

std::size_t PrescanAssembly::PendingBytes() const
{
    if (!active_)
        return 0;
    const std::size_t target = std::min(groupTarget_, total_);
    return target > bytesRead_ ? target - bytesRead_ : 0;
}

std::uint16_t PrescanAssembly::BlocksToRead() const
{
    return static_cast<std::uint16_t>(BlocksFor(PendingBytes()));
}

std::span<std::uint8_t> PrescanAssembly::ReadBuffer()
{
    if (!active_)
        return {};
    return target_.subspan(static_cast<std::size_t>(firstLine_) * lineBytes_ + bytesRead_,
                           BlocksToRead() * kBlock);
}

PrescanAssembly::Rows PrescanAssembly::AssembleGroup()
{
    const int line = firstLine_ + placed_;
    if (IsComplete())
        return {line, 0};
    bytesRead_ += BlocksToRead() * kBlock;
    const int count = std::min(kGroupLines, lineCount_ - placed_);
    if (count > 0) {
        const auto lead = 2 * static_cast<std::size_t>(colourOffset_);
        const std::span<std::uint8_t> group =
            target_.subspan(static_cast<std::size_t>(line) * lineBytes_,
                            (static_cast<std::size_t>(count) + lead) * lineBytes_);
        RealignLines(
            group, static_cast<std::size_t>(count) * static_cast<std::size_t>(pixels_),
            SampleType::kColour16,
            3 * static_cast<std::size_t>(colourOffset_) * static_cast<std::size_t>(pixels_));
        PlaceLines(line, count, target_, imageBytes_, {pixels_, lines_}, orientation_);
        if (curve_ != nullptr)
            image_.ConvertPreviewRows(line, count, *curve_);
        placed_ += count;
    }
    groupTarget_ += kGroupLines * lineBytes_;
    return {line, count};
}

void PrescanAssembly::Release()
{
    active_ = false;
    scratch_.reset();
    target_ = {};
    imageBytes_ = {};
}

std::size_t PrescanAssembly::RemainingLines() const
{
    if (lineBytes_ == 0 || bytesRead_ >= total_)
        return 0;
    return (total_ - bytesRead_) / lineBytes_;
}

}  // namespace scanora
