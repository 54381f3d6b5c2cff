#pragma once

#include <dlfcn.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace scanora::test {

// libtiff as a reader we did not write, loaded when the test runs so that the tests build and
// skip without it. Only the handful of calls the tests need are looked up.
class LibTiff {
public:
    // What libtiff made of a file: its geometry, the rows asked for, and every error or warning.
    struct Image {
        bool opened = false;
        bool bigTiff = false;
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        std::uint16_t bitsPerSample = 0;
        std::uint16_t samplesPerPixel = 0;
        std::vector<std::uint8_t> rows;
        std::vector<std::string> messages;
    };

    // The library, or null when it is not installed.
    static std::unique_ptr<LibTiff> Load()
    {
        void* library = ::dlopen("libtiff.so.6", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr)
            library = ::dlopen("libtiff.so", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr)
            return nullptr;
        auto tiff = std::make_unique<LibTiff>(library);
        if (!tiff->Resolve())
            return nullptr;
        return tiff;
    }

    // Takes over a library handle from dlopen.
    explicit LibTiff(void* library) : library_(library) {}
    ~LibTiff() { ::dlclose(library_); }
    LibTiff(const LibTiff&) = delete;
    LibTiff& operator=(const LibTiff&) = delete;

    // Reads `count` rows from `first` on (all rows from `first` when count is 0).
    Image Read(const std::filesystem::path& path, std::uint32_t first = 0,
               std::uint32_t count = 0) const
    {
        Image image;
        void* options = optionsAlloc_();
        setErrorHandler_(options, &Collect, &image.messages);
        setWarningHandler_(options, &Collect, &image.messages);
        void* tiff = openExt_(path.c_str(), "r", options);
        optionsFree_(options);
        if (tiff == nullptr)
            return image;
        image.opened = true;
        image.bigTiff = isBigTiff_(tiff) != 0;
        getField_(tiff, kImageWidth, &image.width);
        getField_(tiff, kImageLength, &image.height);
        getField_(tiff, kBitsPerSample, &image.bitsPerSample);
        getField_(tiff, kSamplesPerPixel, &image.samplesPerPixel);
        const std::uint64_t rowBytes = scanlineSize_(tiff);
        if (count == 0 && first < image.height)
            count = image.height - first;
        std::vector<std::uint8_t> row(rowBytes);
        for (std::uint32_t y = first; y < first + count; ++y) {
            if (readScanline_(tiff, row.data(), y, 0) != 1) {
                image.messages.push_back("row " + std::to_string(y) + " cannot be read");
                break;
            }
            image.rows.insert(image.rows.end(), row.begin(), row.end());
        }
        close_(tiff);
        return image;
    }

private:
    using Handler = int (*)(void*, void*, const char*, const char*, va_list);

    static constexpr std::uint32_t kImageWidth = 256;
    static constexpr std::uint32_t kImageLength = 257;
    static constexpr std::uint32_t kBitsPerSample = 258;
    static constexpr std::uint32_t kSamplesPerPixel = 277;

    template <typename Function>
    bool Find(Function& function, const char* name)
    {
        function = reinterpret_cast<Function>(::dlsym(library_, name));
        return function != nullptr;
    }

    bool Resolve()
    {
        return Find(optionsAlloc_, "TIFFOpenOptionsAlloc") &&
               Find(optionsFree_, "TIFFOpenOptionsFree") &&
               Find(setErrorHandler_, "TIFFOpenOptionsSetErrorHandlerExtR") &&
               Find(setWarningHandler_, "TIFFOpenOptionsSetWarningHandlerExtR") &&
               Find(openExt_, "TIFFOpenExt") && Find(getField_, "TIFFGetField") &&
               Find(scanlineSize_, "TIFFScanlineSize64") &&
               Find(readScanline_, "TIFFReadScanline") && Find(isBigTiff_, "TIFFIsBigTIFF") &&
               Find(close_, "TIFFClose");
    }

    static int Collect(void*, void* messages, const char* module, const char* format,
                       va_list arguments)
    {
        char text[1024];
        std::vsnprintf(text, sizeof text, format, arguments);
        static_cast<std::vector<std::string>*>(messages)->push_back(
            std::string(module ? module : "") + ": " + text);
        return 1;
    }

    void* library_;
    void* (*optionsAlloc_)() = nullptr;
    void (*optionsFree_)(void*) = nullptr;
    void (*setErrorHandler_)(void*, Handler, void*) = nullptr;
    void (*setWarningHandler_)(void*, Handler, void*) = nullptr;
    void* (*openExt_)(const char*, const char*, void*) = nullptr;
    int (*getField_)(void*, std::uint32_t, ...) = nullptr;
    std::uint64_t (*scanlineSize_)(void*) = nullptr;
    int (*readScanline_)(void*, void*, std::uint32_t, std::uint16_t) = nullptr;
    int (*isBigTiff_)(void*) = nullptr;
    void (*close_)(void*) = nullptr;
};

}  // namespace scanora::test
