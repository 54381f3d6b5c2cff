#include "output/TiffReader.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string_view>
#include <type_traits>

#include "output/TiffFormat.h"

namespace scanora {

namespace {

using tiff::Type;

// Tags of layouts this reader does not take.
constexpr std::uint16_t kTileWidth = 322;
constexpr std::uint16_t kTileOffsets = 324;
constexpr std::uint16_t kSampleFormat = 339;

std::string TagText(std::uint16_t tag)
{
    return "tag " + std::to_string(tag);
}

// Bytes of one directory entry: tag, type, count and value field.
constexpr std::size_t EntrySize(bool bigTiff)
{
    return bigTiff ? 20 : 12;
}

}  // namespace

bool TiffReader::Fail(std::string reason)
{
    error_ = std::move(reason);
    return false;
}

std::uint16_t TiffReader::Get16(const std::uint8_t* bytes) const
{
    return bigEndian_ ? static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1])
                      : static_cast<std::uint16_t>(bytes[1] << 8 | bytes[0]);
}

std::uint32_t TiffReader::Get32(const std::uint8_t* bytes) const
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= std::uint32_t{bytes[bigEndian_ ? 3 - i : i]} << (8 * i);
    return value;
}

std::uint64_t TiffReader::Get64(const std::uint8_t* bytes) const
{
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i) value |= std::uint64_t{bytes[bigEndian_ ? 7 - i : i]} << (8 * i);
    return value;
}

std::uint64_t TiffReader::GetOffset(const std::uint8_t* bytes) const
{
    return bigTiff_ ? Get64(bytes) : Get32(bytes);
}

bool TiffReader::ReadDescription()
{
    described_ = false;
    error_.clear();
    // What a file says when it leaves a field out.
    description_ = TIFFDescription{};
    description_.bitsPerSample = 1;
    description_.samplesPerPixel = 1;
    description_.photometric = 0;
    description_.xResolution = description_.yResolution = 0.0;
    description_.orientation = 0;
    description_.analogBalance = description_.asShotNeutral = {};
    bitsPerSample_ = {1};
    compression_ = planarConfiguration_ = 1;
    rowsPerStrip_ = std::numeric_limits<std::uint32_t>::max();
    stripOffsetEntry_.reset();
    stripByteCount_.reset();
    exifOffset_.reset();

    std::uint64_t firstDirectory = 0;
    if (!ReadHeader(firstDirectory))
        return false;
    std::vector<Entry> entries;
    if (!ReadDirectory(firstDirectory, entries))
        return false;
    for (const Entry& entry : entries) {
        if (!TakeImageEntry(entry))
            return false;
    }
    if (exifOffset_) {
        description_.hasExif = true;
        if (!ReadDirectory(*exifOffset_, entries))
            return false;
        for (const Entry& entry : entries) {
            if (!TakeExifEntry(entry))
                return false;
        }
    }
    return CheckImage();
}

bool TiffReader::ReadHeader(std::uint64_t& firstDirectory)
{
    std::array<std::uint8_t, tiff::kBigTiffHeaderSize> header{};
    if (input_.Size() < tiff::kClassicHeaderSize ||
        !input_.Read(0, std::span(header).first(tiff::kClassicHeaderSize)))
        return Fail("the file is shorter than a TIFF header");
    if (header[0] == 'I' && header[1] == 'I')
        bigEndian_ = false;
    else if (header[0] == 'M' && header[1] == 'M')
        bigEndian_ = true;
    else
        return Fail("not a TIFF file");
    description_.byteOrder =
        bigEndian_ ? TIFFDescription::kBigEndian : TIFFDescription::kLittleEndian;

    const std::uint16_t magic = Get16(&header[2]);
    if (magic == tiff::kClassicMagic) {
        bigTiff_ = false;
        firstDirectory = Get32(&header[4]);
    } else if (magic == tiff::kBigTiffMagic) {
        bigTiff_ = true;
        if (input_.Size() < tiff::kBigTiffHeaderSize || !input_.Read(0, header))
            return Fail("the file is shorter than a BigTIFF header");
        if (Get16(&header[4]) != 8 || Get16(&header[6]) != 0)
            return Fail("a BigTIFF file with offsets of another size");
        firstDirectory = Get64(&header[8]);
    } else {
        return Fail("not a TIFF file");
    }
    if (firstDirectory == 0)
        return Fail("the file has no image directory (it was not finished)");
    return true;
}

bool TiffReader::ReadDirectory(std::uint64_t offset, std::vector<Entry>& entries)
{
    entries.clear();
    const std::uint64_t size = input_.Size();
    const std::uint64_t countSize = bigTiff_ ? 8 : 2;
    const std::uint64_t entrySize = EntrySize(bigTiff_);
    std::array<std::uint8_t, 8> countBytes{};
    if (offset > size || size - offset < countSize ||
        !input_.Read(offset, std::span(countBytes).first(countSize)))
        return Fail("a directory lies outside the file");
    const std::uint64_t count = bigTiff_ ? Get64(countBytes.data()) : Get16(countBytes.data());
    if (count > (size - offset - countSize) / entrySize)
        return Fail("a directory runs past the end of the file");

    std::vector<std::uint8_t> bytes(count * entrySize);
    if (!input_.Read(offset + countSize, bytes))
        return Fail("a directory cannot be read");
    entries.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint8_t* raw = bytes.data() + i * entrySize;
        Entry entry;
        entry.tag = Get16(raw);
        entry.type = Get16(raw + 2);
        entry.count = bigTiff_ ? Get64(raw + 4) : Get32(raw + 4);
        const std::size_t fieldSize = bigTiff_ ? 8 : 4;
        std::copy_n(raw + entrySize - fieldSize, fieldSize, entry.field.begin());
        entries.push_back(entry);
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> TiffReader::ValueBytes(const Entry& entry)
{
    const std::uint32_t typeSize = tiff::TypeSize(entry.type);
    if (typeSize == 0) {
        Fail(TagText(entry.tag) + " has an unknown type");
        return std::nullopt;
    }
    const std::uint64_t capacity = bigTiff_ ? 8 : 4;
    if (entry.count <= capacity / typeSize) {
        const auto size = static_cast<std::ptrdiff_t>(entry.count * typeSize);
        return std::vector<std::uint8_t>(entry.field.begin(), entry.field.begin() + size);
    }
    const std::uint64_t fileSize = input_.Size();
    const std::uint64_t offset = GetOffset(entry.field.data());
    if (entry.count > fileSize / typeSize || offset > fileSize ||
        entry.count * typeSize > fileSize - offset) {
        Fail("the value of " + TagText(entry.tag) + " lies outside the file");
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(entry.count * typeSize);
    if (!input_.Read(offset, bytes)) {
        Fail("the value of " + TagText(entry.tag) + " cannot be read");
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::vector<std::uint64_t>> TiffReader::Numbers(const Entry& entry)
{
    std::uint32_t size = 0;
    switch (static_cast<Type>(entry.type)) {
    case Type::Byte: size = 1; break;
    case Type::Short: size = 2; break;
    case Type::Long: size = 4; break;
    case Type::Long8:
    case Type::Ifd8: size = 8; break;
    default:
        // Type 13 is the IFD type of classic TIFF: an offset like a LONG.
        if (entry.type == 13) {
            size = 4;
            break;
        }
        Fail(TagText(entry.tag) + " is not a whole number");
        return std::nullopt;
    }
    const std::optional<std::vector<std::uint8_t>> bytes = ValueBytes(entry);
    if (!bytes)
        return std::nullopt;
    std::vector<std::uint64_t> numbers;
    numbers.reserve(entry.count);
    for (std::size_t at = 0; at + size <= bytes->size(); at += size) {
        const std::uint8_t* raw = bytes->data() + at;
        numbers.push_back(size == 1   ? raw[0]
                          : size == 2 ? Get16(raw)
                          : size == 4 ? Get32(raw)
                                      : Get64(raw));
    }
    return numbers;
}

std::optional<std::uint64_t> TiffReader::Number(const Entry& entry, std::uint64_t limit)
{
    if (entry.count != 1) {
        Fail(TagText(entry.tag) + " should hold one value");
        return std::nullopt;
    }
    const std::optional<std::vector<std::uint64_t>> numbers = Numbers(entry);
    if (!numbers)
        return std::nullopt;
    if (numbers->front() > limit) {
        Fail(TagText(entry.tag) + " is out of range");
        return std::nullopt;
    }
    return numbers->front();
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> TiffReader::Rational(const Entry& entry)
{
    if (entry.type != static_cast<std::uint16_t>(Type::Rational) || entry.count == 0) {
        Fail(TagText(entry.tag) + " is not a rational number");
        return std::nullopt;
    }
    Entry first = entry;
    first.count = 1;
    const std::optional<std::vector<std::uint8_t>> bytes = ValueBytes(first);
    if (!bytes)
        return std::nullopt;
    return std::pair(Get32(bytes->data()), Get32(bytes->data() + 4));
}

std::optional<std::string> TiffReader::Text(const Entry& entry)
{
    if (entry.type != static_cast<std::uint16_t>(Type::Ascii)) {
        Fail(TagText(entry.tag) + " is not a text");
        return std::nullopt;
    }
    const std::optional<std::vector<std::uint8_t>> bytes = ValueBytes(entry);
    if (!bytes)
        return std::nullopt;
    const auto end = std::find(bytes->begin(), bytes->end(), std::uint8_t{0});
    return std::string(bytes->begin(), end);
}

std::optional<std::vector<std::uint8_t>> TiffReader::Opaque(const Entry& entry)
{
    if (entry.type != static_cast<std::uint16_t>(Type::Undefined) &&
        entry.type != static_cast<std::uint16_t>(Type::Byte)) {
        Fail(TagText(entry.tag) + " is not a byte string");
        return std::nullopt;
    }
    return ValueBytes(entry);
}

bool TiffReader::TakeImageEntry(const Entry& entry)
{
    constexpr std::uint64_t kMax16 = std::numeric_limits<std::uint16_t>::max();
    constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();
    constexpr std::uint64_t kMax64 = std::numeric_limits<std::uint64_t>::max();
    TIFFDescription& d = description_;
    const auto number = [&](std::uint64_t limit, auto& field) {
        const std::optional<std::uint64_t> value = Number(entry, limit);
        if (value)
            field = static_cast<std::remove_reference_t<decltype(field)>>(*value);
        return value.has_value();
    };
    const auto text = [&](std::optional<std::string>& field) {
        field = Text(entry);
        return field.has_value();
    };
    const auto resolution = [&](double& field) {
        const auto value = Rational(entry);
        if (value)
            field = value->second == 0 ? 0.0 : double(value->first) / double(value->second);
        return value.has_value();
    };

    switch (entry.tag) {
    case tiff::kImageWidth: return number(kMax32, d.width);
    case tiff::kImageLength: return number(kMax32, d.height);
    case tiff::kBitsPerSample: {
        std::optional<std::vector<std::uint64_t>> bits = Numbers(entry);
        if (bits)
            bitsPerSample_ = std::move(*bits);
        return bits.has_value();
    }
    case tiff::kCompression: return number(kMax16, compression_);
    case tiff::kPhotometricInterpretation: return number(kMax16, d.photometric);
    case tiff::kImageDescription: return text(d.description);
    case tiff::kMake: return text(d.make);
    case tiff::kModel: return text(d.model);
    case tiff::kStripOffsets:
        if (entry.count != 1)
            return Fail("the image is stored in several strips");
        return number(kMax64, stripOffsetEntry_.emplace());
    case tiff::kOrientation: return number(kMax16, d.orientation);
    case tiff::kSamplesPerPixel: return number(kMax16, d.samplesPerPixel);
    case tiff::kRowsPerStrip: return number(kMax32, rowsPerStrip_);
    case tiff::kStripByteCounts:
        if (entry.count != 1)
            return Fail("the image is stored in several strips");
        return number(kMax64, stripByteCount_.emplace());
    case tiff::kXResolution: return resolution(d.xResolution);
    case tiff::kYResolution: return resolution(d.yResolution);
    case tiff::kPlanarConfiguration: return number(kMax16, planarConfiguration_);
    case tiff::kResolutionUnit: return number(kMax16, d.resolutionUnit);
    case tiff::kSoftware: return text(d.software);
    case tiff::kDateTime: return text(d.dateTime);
    case tiff::kExifIfd: return number(kMax64, exifOffset_.emplace());
    case tiff::kInterColorProfile: {
        std::optional<std::vector<std::uint8_t>> profile = Opaque(entry);
        if (profile)
            d.iccProfile = std::move(*profile);
        return profile.has_value();
    }
    case tiff::kDngVersion: d.isDng = true; return true;
    case tiff::kUniqueCameraModel: return text(d.uniqueCameraModel);
    case tiff::kCameraSerialNumber: return text(d.cameraSerialNumber);
    case kTileWidth:
    case kTileOffsets: return Fail("the image is stored in tiles");
    case kSampleFormat: {
        const std::optional<std::vector<std::uint64_t>> formats = Numbers(entry);
        if (!formats)
            return false;
        if (std::any_of(formats->begin(), formats->end(), [](auto f) { return f != 1; }))
            return Fail("the samples are not unsigned integers");
        return true;
    }
    default: return true;  // a tag this program has no use for
    }
}

bool TiffReader::TakeExifEntry(const Entry& entry)
{
    TIFFDescription& d = description_;
    switch (entry.tag) {
    case tiff::kExposureTime: {
        const auto time = Rational(entry);
        if (!time)
            return false;
        // 1 / denominator seconds, as near as a 16-bit denominator says it.
        const double denominator =
            time->first == 0 ? 0.0 : std::floor(double(time->second) / time->first + 0.5);
        d.exposureDenominator = static_cast<std::uint16_t>(std::min(denominator, 65535.0));
        return true;
    }
    case tiff::kIsoSpeedRatings: {
        const std::optional<std::vector<std::uint64_t>> iso = Numbers(entry);
        if (iso && !iso->empty())
            d.isoSpeed = static_cast<std::uint16_t>(std::min<std::uint64_t>(iso->front(), 65535));
        return iso.has_value();
    }
    case tiff::kMakerNote: {
        std::optional<std::vector<std::uint8_t>> note = Opaque(entry);
        if (note)
            d.makerNote = std::move(*note);
        return note.has_value();
    }
    case tiff::kUserComment: {
        std::optional<std::vector<std::uint8_t>> comment = Opaque(entry);
        if (!comment)
            return false;
        const std::size_t code = sizeof(tiff::kAsciiCommentCode);
        if (comment->size() >= code &&
            std::equal(comment->begin(), comment->begin() + code, tiff::kAsciiCommentCode)) {
            const auto end = std::find(comment->begin() + code, comment->end(), 0);
            d.userComment = std::string(comment->begin() + code, end);
        }
        d.rawUserComment = std::move(*comment);
        return true;
    }
    default: return true;
    }
}

bool TiffReader::CheckImage()
{
    TIFFDescription& d = description_;
    if (d.width == 0 || d.height == 0)
        return Fail("the image has no width or height");
    if (d.samplesPerPixel != 1 && d.samplesPerPixel != 3)
        return Fail("the image has " + std::to_string(d.samplesPerPixel) + " samples per pixel");
    if (bitsPerSample_.size() != d.samplesPerPixel ||
        std::adjacent_find(bitsPerSample_.begin(), bitsPerSample_.end(), std::not_equal_to<>()) !=
            bitsPerSample_.end())
        return Fail("the samples of a pixel differ in depth");
    if (bitsPerSample_.front() != 8 && bitsPerSample_.front() != 16)
        return Fail("the samples have " + std::to_string(bitsPerSample_.front()) + " bits");
    d.bitsPerSample = static_cast<std::uint16_t>(bitsPerSample_.front());
    if (compression_ != 1)
        return Fail("the image is compressed");
    if (planarConfiguration_ != 1 && d.samplesPerPixel != 1)
        return Fail("the samples are stored in separate planes");
    if (!stripOffsetEntry_)
        return Fail("the file says nowhere where its image is");
    if (rowsPerStrip_ < d.height)
        return Fail("the image is stored in several strips");
    const std::uint64_t rowBytes = d.RowBytes();
    if (d.height > std::numeric_limits<std::uint64_t>::max() / rowBytes)
        return Fail("the image is too large");
    imageBytes_ = rowBytes * d.height;
    if (stripByteCount_ && *stripByteCount_ < imageBytes_)
        return Fail("the strip is shorter than the image");
    stripOffset_ = *stripOffsetEntry_;
    described_ = true;
    return true;
}

bool TiffReader::ReadRows(std::uint32_t firstRow, std::span<std::uint8_t> out)
{
    if (!described_)
        return false;
    const std::uint64_t rowBytes = description_.RowBytes();
    if (out.size() % rowBytes != 0 || firstRow > description_.height ||
        out.size() / rowBytes > description_.height - firstRow)
        return Fail("rows outside the image were asked for");
    const std::uint64_t size = input_.Size();
    const std::uint64_t start = firstRow * rowBytes;  // at most imageBytes_
    if (stripOffset_ > size || start > size - stripOffset_ ||
        out.size() > size - stripOffset_ - start)
        return Fail("the image data is shorter than the image");
    if (!input_.Read(stripOffset_ + start, out))
        return Fail("the image data cannot be read");
    if (bigEndian_ && description_.bitsPerSample == 16) {
        for (std::size_t i = 0; i + 1 < out.size(); i += 2) std::swap(out[i], out[i + 1]);
    }
    return true;
}

bool TiffReader::ReadImage(std::vector<std::uint8_t>& pixels)
{
    if (!described_ && !ReadDescription())
        return false;
    // Checked before anything is allocated: a few bytes cannot claim gigabytes.
    const std::uint64_t size = input_.Size();
    if (stripOffset_ > size || imageBytes_ > size - stripOffset_)
        return Fail("the image data is shorter than the image");
    pixels.resize(imageBytes_);
    return ReadRows(0, pixels);
}

}  // namespace scanora
