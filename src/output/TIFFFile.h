#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "output/TIFFDescription.h"

namespace scanora {

class AtomicFile;
class OutputStream;
class TiffWriter;

// Every image file of the program goes through here: a TIFF or DNG file is written with Open,
// one WriteData per row (or any split of the rows) and Close, and the files the program wrote
// are read back with ReadDescription and ReadImage.
//
// A TIFFFile made with a path writes through a temporary file in the same folder that Close
// renames over the path, so the name only ever holds a complete image; one made with a stream
// writes into that stream and cannot read.
class TIFFFile {
public:
    explicit TIFFFile(std::filesystem::path path);
    // `stream` must outlive this object.
    explicit TIFFFile(OutputStream& stream);
    ~TIFFFile();
    TIFFFile(const TIFFFile&) = delete;
    TIFFFile& operator=(const TIFFFile&) = delete;

    // Takes a copy of `description` and writes everything that comes before the pixels. False
    // when the file cannot be created or the description cannot be written (see TiffWriter).
    bool Open(const TIFFDescription& description);
    // Appends pixel bytes: rows top to bottom, samples interleaved, 16-bit samples
    // little-endian. In all, exactly the image's bytes must be written before Close.
    bool WriteData(std::span<const std::uint8_t> bytes);
    // Appends 16-bit samples given in the machine's own byte order.
    bool WriteSamples(std::span<const std::uint16_t> samples);
    // Completes the file (and saves it under its name). False when the image is incomplete or
    // anything failed since Open; then no file is left under the name.
    bool Close();

    // Reads the description of the file at the path. False when the file cannot be opened or is
    // not a TIFF this program can read.
    bool ReadDescription();
    // Reads the description and the pixels (in the form WriteData takes them). False also when
    // the file ends before the pixels do.
    bool ReadImage(std::vector<std::uint8_t>& pixels);

    // What Open was given, or what was read.
    [[nodiscard]] const TIFFDescription& Description() const { return description_; }
    [[nodiscard]] const std::filesystem::path& Path() const { return path_; }
    // Why the last operation failed, for a log or a detail line; while the file is being
    // written, the first write that failed.
    [[nodiscard]] std::string Error() const;
    // The errno behind Error() when the file itself failed (0 otherwise).
    [[nodiscard]] int ErrorNumber() const;

private:
    bool Read(std::vector<std::uint8_t>* pixels);

    std::filesystem::path path_;
    std::unique_ptr<AtomicFile> file_;
    OutputStream* stream_ = nullptr;
    std::unique_ptr<TiffWriter> writer_;
    TIFFDescription description_;
    std::string error_;
    int errorNumber_ = 0;
};

}  // namespace scanora
