#include "output/TIFFFile.h"

#include "output/FileTiffInput.h"
#include "output/TiffReader.h"
#include "output/TiffWriter.h"
#include "platform/AtomicFile.h"

namespace scanora {

TIFFFile::TIFFFile(std::filesystem::path path) : path_(std::move(path))
{
}

TIFFFile::TIFFFile(OutputStream& stream) : stream_(&stream)
{
}

TIFFFile::~TIFFFile() = default;

bool TIFFFile::Open(const TIFFDescription& description)
{
    description_ = description;
    error_.clear();
    errorNumber_ = 0;
    writer_.reset();
    OutputStream* stream = stream_;
    if (!stream) {
        file_ = std::make_unique<AtomicFile>(path_);
        if (!file_->Open()) {
            error_ = file_->Error();
            errorNumber_ = file_->ErrorNumber();
            file_.reset();
            return false;
        }
        stream = file_.get();
    }
    writer_ = std::make_unique<TiffWriter>(*stream);
    if (!writer_->Open(description)) {
        // The file's own words say which file and why.
        if (file_ && file_->Failed()) {
            error_ = file_->Error();
            errorNumber_ = file_->ErrorNumber();
        } else {
            error_ =
                stream->Failed() ? "cannot write the file" : "the image cannot be stored in a TIFF";
        }
        writer_.reset();
        file_.reset();
        return false;
    }
    return true;
}

bool TIFFFile::WriteData(std::span<const std::uint8_t> bytes)
{
    return writer_ && writer_->WriteData(bytes);
}

bool TIFFFile::WriteSamples(std::span<const std::uint16_t> samples)
{
    return writer_ && writer_->WriteSamples(samples);
}

std::string TIFFFile::Error() const
{
    if (error_.empty() && file_ && file_->Failed())
        return file_->Error();
    return error_;
}

int TIFFFile::ErrorNumber() const
{
    if (error_.empty() && file_ && file_->Failed())
        return file_->ErrorNumber();
    return errorNumber_;
}

bool TIFFFile::Close()
{
    if (!writer_)
        return false;
    bool closed = writer_->Close();
    writer_.reset();
    if (!closed) {
        const bool fileFailed = file_ && file_->Failed();
        error_ = fileFailed ? file_->Error() : "the image was not written completely";
        errorNumber_ = fileFailed ? file_->ErrorNumber() : 0;
    }
    if (file_) {
        if (closed && !file_->Commit()) {
            error_ = file_->Error();
            errorNumber_ = file_->ErrorNumber();
            closed = false;
        }
        file_.reset();  // without a commit, the temporary file goes with it
    }
    return closed;
}

bool TIFFFile::ReadDescription()
{
    return Read(nullptr);
}

bool TIFFFile::ReadImage(std::vector<std::uint8_t>& pixels)
{
    return Read(&pixels);
}

bool TIFFFile::Read(std::vector<std::uint8_t>* pixels)
{
    error_.clear();
    errorNumber_ = 0;
    FileTiffInput input;
    if (!input.Open(path_)) {
        error_ = input.Error();
        return false;
    }
    TiffReader reader(input);
    const bool read = pixels ? reader.ReadImage(*pixels) : reader.ReadDescription();
    description_ = reader.Description();
    if (!read)
        error_ = reader.Error();
    return read;
}

}  // namespace scanora
