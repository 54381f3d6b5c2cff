// Feeds arbitrary bytes to the TIFF reader as the contents of a file: the header and directory
// walk, every entry's value, and the pixel reads must take them without reading out of bounds,
// crashing, or allocating more than the file could hold.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "output/TiffInput.h"
#include "output/TiffReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    scanora::MemoryTiffInput input(std::span(data, size));
    scanora::TiffReader reader(input);
    if (!reader.ReadDescription())
        return 0;
    const scanora::TIFFDescription& description = reader.Description();
    // A row that the file cannot hold is never asked for; the reader must refuse it anyway.
    if (description.RowBytes() <= size) {
        std::vector<std::uint8_t> row(description.RowBytes());
        reader.ReadRows(description.height - 1, row);
        reader.ReadRows(description.height, row);
    }
    std::vector<std::uint8_t> pixels;
    reader.ReadImage(pixels);
    return 0;
}
