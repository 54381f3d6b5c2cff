#include "output/TiffLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

namespace scanora {

namespace {

using tiff::Type;

// Larger images than this are refused rather than risk overflowing the size arithmetic.
constexpr std::uint64_t kMaxImageBytes = std::uint64_t{1} << 48;
constexpr std::size_t kDescriptionArea = 256;
constexpr std::size_t kDateTimeLength = 19;

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void Put64(std::vector<std::uint8_t>& out, std::uint64_t value)
{
    for (int shift = 0; shift < 64; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// trunc(value), held to the range of the 32-bit field it goes into (NaN becomes 0).
std::uint32_t TruncUnsigned(double value)
{
    if (!(value > 0.0))
        return 0;
    if (value >= 4294967295.0)
        return std::numeric_limits<std::uint32_t>::max();
    return static_cast<std::uint32_t>(value);
}

std::int32_t TruncSigned(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

// A text as the file keeps it: up to its first NUL, at most `limit` characters.
std::string_view FileText(const std::string& text,
                          std::size_t limit = std::numeric_limits<std::size_t>::max())
{
    const std::string_view view(text.c_str());
    return view.substr(0, limit);
}

std::vector<std::uint8_t> TextBytes(std::string_view text)
{
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

// Rationals with a fixed denominator: trunc(value × scale) / scale.
std::vector<std::uint8_t> Rationals(const float* values, std::size_t count, double scale)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i) {
        Put32(bytes, TruncUnsigned(static_cast<double>(values[i]) * scale));
        Put32(bytes, static_cast<std::uint32_t>(scale));
    }
    return bytes;
}

std::vector<std::uint8_t> SignedRationals(const double* values, std::size_t count, double scale)
{
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i) {
        Put32(bytes, static_cast<std::uint32_t>(TruncSigned(values[i] * scale)));
        Put32(bytes, static_cast<std::uint32_t>(scale));
    }
    return bytes;
}

std::array<std::uint8_t, 4> Bytes4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d)
{
    return {a, b, c, d};
}

}  // namespace

std::optional<TiffLayout> TiffLayout::Plan(const TIFFDescription& description)
{
    if (description.width == 0 || description.height == 0)
        return std::nullopt;
    if (description.samplesPerPixel != 1 && description.samplesPerPixel != 3)
        return std::nullopt;
    if (description.bitsPerSample == 0 || description.bitsPerSample > 16)
        return std::nullopt;
    if (description.height > kMaxImageBytes / description.RowBytes())
        return std::nullopt;

    TiffLayout layout(description);
    layout.Arrange(false);
    if (!layout.FitsClassic())
        layout.Arrange(true);
    return layout;
}

TiffLayout::TiffLayout(const TIFFDescription& d)
    : stripBytes_(d.ImageBytes()), rowsPerStrip_(d.height)
{
    const std::uint16_t spp = d.samplesPerPixel;
    const auto bits = static_cast<std::uint16_t>(d.BytesPerSample() * 8);

    // The data blocks, in the order they follow the directories.
    std::vector<std::uint8_t> bitsArray;
    for (int i = 0; i < 3; ++i) Put16(bitsArray, bits);
    const std::size_t bitsBlock = AddBlock(std::move(bitsArray));

    std::vector<std::uint8_t> resolution;
    Put32(resolution, TruncUnsigned(d.xResolution * 10000.0));
    Put32(resolution, 10000);
    const std::size_t resolutionBlock = AddBlock(std::move(resolution));

    std::optional<std::size_t> descriptionBlock;
    std::uint64_t descriptionCount = 0;
    if (d.description) {
        const std::string_view text = FileText(*d.description, kDescriptionArea - 1);
        std::vector<std::uint8_t> area(kDescriptionArea, 0);
        std::copy(text.begin(), text.end(), area.begin());
        descriptionBlock = AddBlock(std::move(area));
        descriptionCount = text.size() + 1;
    }

    std::optional<std::size_t> iccBlock;
    if (!d.iccProfile.empty())
        iccBlock = AddBlock(d.iccProfile);

    const auto addText = [this](const std::optional<std::string>& text) {
        return text ? std::optional(AddBlock(TextBytes(FileText(*text)))) : std::nullopt;
    };
    const std::optional<std::size_t> uniqueModelBlock = addText(d.uniqueCameraModel);

    std::optional<std::size_t> matrix1Block, matrix2Block, balanceBlock, neutralBlock;
    if (d.isDng) {
        if (d.illuminant1 != 0)
            matrix1Block = AddBlock(SignedRationals(d.colorMatrix1.data(), 3u * spp, 1000000.0));
        if (d.illuminant2 != 0)
            matrix2Block = AddBlock(SignedRationals(d.colorMatrix2.data(), 3u * spp, 1000000.0));
        balanceBlock = AddBlock(Rationals(d.analogBalance.data(), spp, 10000.0));
        neutralBlock = AddBlock(Rationals(d.asShotNeutral.data(), spp, 10000.0));
    }
    const std::optional<std::size_t> serialBlock = addText(d.cameraSerialNumber);

    std::optional<std::size_t> dateBlock;
    if (d.dateTime) {
        // Always 19 characters and the NUL, as the 20-byte entries announce.
        std::string date(FileText(*d.dateTime, kDateTimeLength));
        date.resize(kDateTimeLength, ' ');
        dateBlock = AddBlock(TextBytes(date));
    }
    const std::optional<std::size_t> softwareBlock = addText(d.software);
    const std::optional<std::size_t> makeBlock = addText(d.make);
    const std::optional<std::size_t> modelBlock = addText(d.model);

    std::optional<std::size_t> exposureBlock, shutterBlock, makerNoteBlock, commentBlock;
    bool commentEntry = false;
    if (d.hasExif) {
        if (d.exposureDenominator != 0) {
            std::vector<std::uint8_t> exposure;
            Put32(exposure, 1);
            Put32(exposure, d.exposureDenominator);
            exposureBlock = AddBlock(std::move(exposure));
            std::vector<std::uint8_t> shutter;
            Put32(shutter, static_cast<std::uint32_t>(TruncSigned(
                               std::log2(static_cast<double>(d.exposureDenominator)) * 1000000.0)));
            Put32(shutter, 1000000);
            shutterBlock = AddBlock(std::move(shutter));
        }
        if (!d.makerNote.empty())
            makerNoteBlock = AddBlock(d.makerNote);
        if (!d.rawUserComment.empty()) {
            commentBlock = AddBlock(d.rawUserComment);
            commentEntry = true;
        } else if (d.userComment) {
            const std::string_view text = FileText(*d.userComment);
            constexpr std::size_t code = sizeof(tiff::kAsciiCommentCode);
            std::vector<std::uint8_t> comment(code + text.size() + 1, 0);
            std::copy_n(tiff::kAsciiCommentCode, code, comment.begin());
            std::copy(text.begin(), text.end(), comment.begin() + code);
            commentBlock = AddBlock(std::move(comment));
            commentEntry = !text.empty();
        }
    }

    // IFD0, in tag order.
    using namespace tiff;
    AddLong(ifd0_, kNewSubfileType, 0);
    AddLong(ifd0_, kImageWidth, d.width);
    AddLong(ifd0_, kImageLength, d.height);
    AddBlockEntry(ifd0_, kBitsPerSample, Type::Short, spp, bitsBlock);
    AddShort(ifd0_, kCompression, 1);
    AddShort(ifd0_, kPhotometricInterpretation, d.photometric);
    if (descriptionBlock)
        AddBlockEntry(ifd0_, kImageDescription, Type::Ascii, descriptionCount, *descriptionBlock);
    AddText(ifd0_, kMake, makeBlock);
    AddText(ifd0_, kModel, modelBlock);
    AddSpecial(ifd0_, kStripOffsets, ValueKind::StripOffset);
    if (d.orientation != 0)
        AddShort(ifd0_, kOrientation, d.orientation);
    AddShort(ifd0_, kSamplesPerPixel, spp);
    AddLong(ifd0_, kRowsPerStrip, rowsPerStrip_);
    AddSpecial(ifd0_, kStripByteCounts, ValueKind::StripByteCount);
    AddBlockEntry(ifd0_, kXResolution, Type::Rational, 1, resolutionBlock);
    AddBlockEntry(ifd0_, kYResolution, Type::Rational, 1, resolutionBlock);
    AddShort(ifd0_, kPlanarConfiguration, 1);
    AddShort(ifd0_, kResolutionUnit, static_cast<std::uint16_t>(d.resolutionUnit));
    AddText(ifd0_, kSoftware, softwareBlock);
    if (dateBlock)
        AddBlockEntry(ifd0_, kDateTime, Type::Ascii, kDateTimeLength + 1, *dateBlock);
    if (d.hasExif)
        AddSpecial(ifd0_, kExifIfd, ValueKind::ExifDirectory);
    if (iccBlock)
        AddBlockEntry(ifd0_, kInterColorProfile, Type::Undefined, d.iccProfile.size(), *iccBlock);
    if (d.isDng) {
        AddImmediate(ifd0_, kDngVersion, Type::Byte, 4, Bytes4(1, 1, 0, 0));
        AddImmediate(ifd0_, kDngBackwardVersion, Type::Byte, 4, Bytes4(1, 0, 0, 0));
    }
    // A DNG names its camera even when the caller gave no name: then an empty text.
    if (uniqueModelBlock)
        AddText(ifd0_, kUniqueCameraModel, uniqueModelBlock);
    else if (d.isDng)
        AddImmediate(ifd0_, kUniqueCameraModel, Type::Ascii, 1, {});
    if (matrix1Block)
        AddBlockEntry(ifd0_, kColorMatrix1, Type::SRational, 3u * spp, *matrix1Block);
    if (matrix2Block)
        AddBlockEntry(ifd0_, kColorMatrix2, Type::SRational, 3u * spp, *matrix2Block);
    if (balanceBlock)
        AddBlockEntry(ifd0_, kAnalogBalance, Type::Rational, spp, *balanceBlock);
    if (neutralBlock)
        AddBlockEntry(ifd0_, kAsShotNeutral, Type::Rational, spp, *neutralBlock);
    if (serialBlock)
        AddText(ifd0_, kCameraSerialNumber, serialBlock);
    else if (d.isDng)
        AddImmediate(ifd0_, kCameraSerialNumber, Type::Ascii, 1, {});
    if (d.isDng) {
        AddShort(ifd0_, kMakerNoteSafety, d.makerNoteSafety);
        if (d.illuminant1 != 0)
            AddShort(ifd0_, kCalibrationIlluminant1, d.illuminant1);
        if (d.illuminant2 != 0)
            AddShort(ifd0_, kCalibrationIlluminant2, d.illuminant2);
    }

    if (!d.hasExif)
        return;
    // The EXIF directory, in tag order.
    if (exposureBlock)
        AddBlockEntry(exif_, kExposureTime, Type::Rational, 1, *exposureBlock);
    AddShort(exif_, kIsoSpeedRatings, d.isoSpeed);
    AddImmediate(exif_, kExifVersion, Type::Undefined, 4, Bytes4('0', '2', '2', '0'));
    if (dateBlock) {
        AddBlockEntry(exif_, kDateTimeOriginal, Type::Ascii, kDateTimeLength + 1, *dateBlock);
        AddBlockEntry(exif_, kDateTimeDigitized, Type::Ascii, kDateTimeLength + 1, *dateBlock);
    }
    if (shutterBlock)
        AddBlockEntry(exif_, kShutterSpeedValue, Type::SRational, 1, *shutterBlock);
    // The maker note entry is always there; without a note it counts 0 bytes.
    if (makerNoteBlock)
        AddBlockEntry(exif_, kMakerNote, Type::Undefined, d.makerNote.size(), *makerNoteBlock);
    else
        AddImmediate(exif_, kMakerNote, Type::Undefined, 0, {});
    if (commentEntry) {
        AddBlockEntry(exif_, kUserComment, Type::Undefined, blocks_[*commentBlock].bytes.size(),
                      *commentBlock);
    }
    AddImmediate(exif_, kFlashpixVersion, Type::Undefined, 4, Bytes4('0', '0', '1', '0'));
    AddShort(exif_, kColorSpace, 65535);
    AddShort(exif_, kSensingMethod, 7);
}

std::size_t TiffLayout::AddBlock(std::vector<std::uint8_t> bytes)
{
    blocks_.push_back(Block{std::move(bytes)});
    return blocks_.size() - 1;
}

void TiffLayout::AddImmediate(std::vector<Entry>& directory, std::uint16_t tag, tiff::Type type,
                              std::uint64_t count, std::array<std::uint8_t, 4> value)
{
    directory.push_back(Entry{tag, type, count, ValueKind::Immediate, value});
}

void TiffLayout::AddShort(std::vector<Entry>& directory, std::uint16_t tag, std::uint16_t value)
{
    AddImmediate(
        directory, tag, Type::Short, 1,
        Bytes4(static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8), 0, 0));
}

void TiffLayout::AddLong(std::vector<Entry>& directory, std::uint16_t tag, std::uint32_t value)
{
    std::vector<std::uint8_t> bytes;
    Put32(bytes, value);
    AddImmediate(directory, tag, Type::Long, 1, Bytes4(bytes[0], bytes[1], bytes[2], bytes[3]));
}

void TiffLayout::AddBlockEntry(std::vector<Entry>& directory, std::uint16_t tag, tiff::Type type,
                               std::uint64_t count, std::size_t block)
{
    directory.push_back(Entry{tag, type, count, ValueKind::Block, {}, block});
}

void TiffLayout::AddText(std::vector<Entry>& directory, std::uint16_t tag,
                         const std::optional<std::size_t>& block)
{
    if (block)
        AddBlockEntry(directory, tag, Type::Ascii, blocks_[*block].bytes.size(), *block);
}

void TiffLayout::AddSpecial(std::vector<Entry>& directory, std::uint16_t tag, ValueKind kind)
{
    directory.push_back(Entry{tag, Type::Long, 1, kind});
}

std::uint64_t TiffLayout::ValueSize(const Entry& entry) const
{
    return entry.count * tiff::TypeSize(static_cast<std::uint16_t>(entry.type));
}

std::uint64_t TiffLayout::DirectorySize(const std::vector<Entry>& directory) const
{
    if (directory.empty())
        return 0;
    return bigTiff_ ? 8 + 20 * directory.size() + 8 : 2 + 12 * directory.size() + 4;
}

void TiffLayout::Arrange(bool bigTiff)
{
    bigTiff_ = bigTiff;
    headerSize_ = bigTiff ? tiff::kBigTiffHeaderSize : tiff::kClassicHeaderSize;
    for (std::vector<Entry>* directory : {&ifd0_, &exif_}) {
        for (Entry& entry : *directory) {
            if (entry.kind == ValueKind::StripOffset || entry.kind == ValueKind::StripByteCount)
                entry.type = bigTiff ? Type::Long8 : Type::Long;
            else if (entry.kind == ValueKind::ExifDirectory)
                entry.type = bigTiff ? Type::Ifd8 : Type::Long;
        }
    }
    // The classic layout always carries every block; BigTIFF only those that do not fit into
    // their entries.
    for (Block& block : blocks_) block.written = !bigTiff;
    for (const std::vector<Entry>* directory : {&ifd0_, &exif_}) {
        for (const Entry& entry : *directory) {
            if (entry.kind == ValueKind::Block && ValueSize(entry) > InlineCapacity())
                blocks_[entry.block].written = true;
        }
    }

    std::uint64_t offset = headerSize_ + DirectorySize(ifd0_);
    exifOffset_ = exif_.empty() ? 0 : offset;
    offset += DirectorySize(exif_);
    for (Block& block : blocks_) {
        block.offset = offset;
        if (block.written)
            offset += block.bytes.size() + (block.bytes.size() & 1);
    }
    stripOffset_ = offset;
}

bool TiffLayout::FitsClassic() const
{
    return StripEnd() <= std::numeric_limits<std::uint32_t>::max();
}

std::vector<std::uint8_t> TiffLayout::Header(bool final) const
{
    std::vector<std::uint8_t> out{'I', 'I'};
    if (bigTiff_) {
        Put16(out, tiff::kBigTiffMagic);
        Put16(out, 8);  // bytes per offset
        Put16(out, 0);
        Put64(out, final ? headerSize_ : 0);
    } else {
        Put16(out, tiff::kClassicMagic);
        Put32(out, final ? static_cast<std::uint32_t>(headerSize_) : 0);
    }
    return out;
}

std::vector<std::uint8_t> TiffLayout::Directories(bool final) const
{
    std::vector<std::uint8_t> out;
    AppendDirectory(out, ifd0_, final);
    if (!exif_.empty())
        AppendDirectory(out, exif_, final);
    return out;
}

std::vector<std::uint8_t> TiffLayout::Head(bool final) const
{
    std::vector<std::uint8_t> out = Header(final);
    const std::vector<std::uint8_t> directories = Directories(final);
    out.insert(out.end(), directories.begin(), directories.end());
    for (const Block& block : blocks_) {
        if (!block.written)
            continue;
        out.insert(out.end(), block.bytes.begin(), block.bytes.end());
        if (block.bytes.size() & 1)
            out.push_back(0);  // keeps the next block at an even offset
    }
    return out;
}

void TiffLayout::AppendDirectory(std::vector<std::uint8_t>& out,
                                 const std::vector<Entry>& directory, bool final) const
{
    if (bigTiff_)
        Put64(out, directory.size());
    else
        Put16(out, static_cast<std::uint16_t>(directory.size()));
    for (const Entry& entry : directory) {
        Put16(out, entry.tag);
        Put16(out, static_cast<std::uint16_t>(entry.type));
        if (bigTiff_)
            Put64(out, entry.count);
        else
            Put32(out, static_cast<std::uint32_t>(entry.count));
        AppendValueField(out, entry, final);
    }
    if (bigTiff_)
        Put64(out, 0);  // no next directory
    else
        Put32(out, 0);
}

void TiffLayout::AppendValueField(std::vector<std::uint8_t>& out, const Entry& entry,
                                  bool final) const
{
    const std::size_t start = out.size();
    const auto putNumber = [&](std::uint64_t value) {
        if (bigTiff_)
            Put64(out, value);
        else
            Put32(out, static_cast<std::uint32_t>(value));
    };
    switch (entry.kind) {
    case ValueKind::Immediate:
        out.insert(out.end(), entry.immediate.begin(), entry.immediate.end());
        break;
    case ValueKind::Block: {
        const Block& block = blocks_[entry.block];
        const std::uint64_t size = ValueSize(entry);
        // Values that fit are held in the entry itself, left-justified.
        if (size <= InlineCapacity())
            out.insert(out.end(), block.bytes.begin(),
                       block.bytes.begin() + static_cast<std::ptrdiff_t>(size));
        else
            putNumber(block.offset);
        break;
    }
    case ValueKind::StripOffset: putNumber(final ? stripOffset_ : 0); break;
    case ValueKind::StripByteCount: putNumber(final ? stripBytes_ : 0); break;
    case ValueKind::ExifDirectory: putNumber(exifOffset_); break;
    }
    out.resize(start + InlineCapacity(), 0);
}

}  // namespace scanora
