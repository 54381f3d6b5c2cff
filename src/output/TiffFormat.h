#pragma once

#include <cstdint>

// The numbers of the TIFF container that both the writer and the reader use: field types and
// their sizes, the tags we write or read, and the header marks.
namespace scanora::tiff {

enum class Type : std::uint16_t {
    Byte = 1,
    Ascii = 2,
    Short = 3,
    Long = 4,
    Rational = 5,
    SByte = 6,
    Undefined = 7,
    SShort = 8,
    SLong = 9,
    SRational = 10,
    Float = 11,
    Double = 12,
    Long8 = 16,   // BigTIFF
    SLong8 = 17,  // BigTIFF
    Ifd8 = 18,    // BigTIFF
};

// Bytes of one value of the type; 0 for a type this program does not know.
constexpr std::uint32_t TypeSize(std::uint16_t type)
{
    switch (static_cast<Type>(type)) {
    case Type::Byte:
    case Type::Ascii:
    case Type::SByte:
    case Type::Undefined: return 1;
    case Type::Short:
    case Type::SShort: return 2;
    case Type::Long:
    case Type::SLong:
    case Type::Float: return 4;
    case Type::Rational:
    case Type::SRational:
    case Type::Double:
    case Type::Long8:
    case Type::SLong8:
    case Type::Ifd8: return 8;
    }
    return 0;
}

enum Tag : std::uint16_t {
    kNewSubfileType = 254,
    kImageWidth = 256,
    kImageLength = 257,
    kBitsPerSample = 258,
    kCompression = 259,
    kPhotometricInterpretation = 262,
    kImageDescription = 270,
    kMake = 271,
    kModel = 272,
    kStripOffsets = 273,
    kOrientation = 274,
    kSamplesPerPixel = 277,
    kRowsPerStrip = 278,
    kStripByteCounts = 279,
    kXResolution = 282,
    kYResolution = 283,
    kPlanarConfiguration = 284,
    kResolutionUnit = 296,
    kSoftware = 305,
    kDateTime = 306,
    kExifIfd = 34665,
    kInterColorProfile = 34675,
    kDngVersion = 50706,
    kDngBackwardVersion = 50707,
    kUniqueCameraModel = 50708,
    kColorMatrix1 = 50721,
    kColorMatrix2 = 50722,
    kAnalogBalance = 50727,
    kAsShotNeutral = 50728,
    kCameraSerialNumber = 50735,
    kMakerNoteSafety = 50741,
    kCalibrationIlluminant1 = 50778,
    kCalibrationIlluminant2 = 50779,

    // The EXIF directory.
    kExposureTime = 33434,
    kIsoSpeedRatings = 34855,
    kExifVersion = 36864,
    kDateTimeOriginal = 36867,
    kDateTimeDigitized = 36868,
    kShutterSpeedValue = 37377,
    kMakerNote = 37500,
    kUserComment = 37510,
    kFlashpixVersion = 40960,
    kColorSpace = 40961,
    kSensingMethod = 41495,
};

constexpr std::uint16_t kClassicMagic = 42;
constexpr std::uint16_t kBigTiffMagic = 43;
constexpr std::uint32_t kClassicHeaderSize = 8;
constexpr std::uint32_t kBigTiffHeaderSize = 16;

// The 8-byte character code that starts an ASCII EXIF user comment.
constexpr char kAsciiCommentCode[8] = {'A', 'S', 'C', 'I', 'I', 0, 0, 0};

}  // namespace scanora::tiff
