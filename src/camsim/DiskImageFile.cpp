#include "camsim/DiskImageFile.h"

#include <algorithm>
#include <string_view>

#include "camsim/CameraModel.h"

namespace camsim {

namespace {

constexpr std::string_view kMagic = "QVSIMG01";
constexpr std::size_t kPlanes = 7;
constexpr std::size_t kWideLanes = 4;

class ByteWriter {
public:
    void Bytes(std::span<const std::uint8_t> bytes)
    {
        out_.insert(out_.end(), bytes.begin(), bytes.end());
    }
    void Number(std::uint64_t value, std::size_t size)
    {
        for (std::size_t i = 0; i < size; ++i)
            out_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    std::vector<std::uint8_t> Take() { return std::move(out_); }

private:
    std::vector<std::uint8_t> out_;
};

// Reads little-endian numbers; every read past the end fails, and so does every read after it.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::span<const std::uint8_t> Bytes(std::size_t count)
    {
        ok_ = ok_ && count <= bytes_.size() - at_;
        if (!ok_)
            return {};
        const auto taken = bytes_.subspan(at_, count);
        at_ += count;
        return taken;
    }
    std::uint64_t Number(std::size_t size)
    {
        std::uint64_t value = 0;
        const auto bytes = Bytes(size);
        for (std::size_t i = 0; i < bytes.size(); ++i) value |= std::uint64_t{bytes[i]} << (8 * i);
        return value;
    }
    [[nodiscard]] bool Finished() const { return ok_ && at_ == bytes_.size(); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

std::vector<std::uint8_t> Plane(const LookupTables& tables, std::size_t index)
{
    if (index >= kWideLanes)
        return tables.NarrowTable(index - kWideLanes);
    std::vector<std::uint8_t> plane(LookupTables::kPlaneSize);
    const std::size_t first = (index % 2) * LookupTables::kPlaneSize;
    const int shift = index >= 2 ? 8 : 0;
    for (std::size_t i = 0; i < plane.size(); ++i)
        plane[i] = static_cast<std::uint8_t>(tables.WideTable()[first + i] >> shift);
    return plane;
}

bool SoundGeometry(const CaptureGeometry& g)
{
    if (g.model < 1 || g.model > 7 || g.insertCode < 1 || g.insertCode > 4)
        return false;
    const CameraModel& model = CameraModel::ForCode(g.model);
    return g.sizeStep >= model.minSizeStep && g.sizeStep < model.maxSizeStep &&
           g.pixelsPerLine >= 1 && g.pixelsPerLine <= 0xFFFF && g.lines >= 1 && g.lines <= 0xFFFF;
}

}  // namespace

std::vector<std::uint8_t> DiskImageFile::Encode(const RecordedImage& image)
{
    ByteWriter out;
    out.Bytes(std::span(reinterpret_cast<const std::uint8_t*>(kMagic.data()), kMagic.size()));
    out.Bytes(image.header);
    out.Number(image.captureTime, 4);
    const CaptureRecipe& recipe = image.recipe;
    const CaptureGeometry& g = recipe.geometry;
    out.Number(static_cast<std::uint32_t>(g.model), 4);
    out.Number(static_cast<std::uint32_t>(g.insertCode), 4);
    out.Number(static_cast<std::uint32_t>(g.sizeStep), 4);
    out.Number(g.pixelsPerLine, 4);
    out.Number(g.lines, 4);
    out.Number(g.firstPixelPosition, 2);
    out.Number(g.firstLinePosition, 2);
    out.Number(recipe.exposure.integration, 2);
    for (const std::uint16_t gain : recipe.exposure.gainCodes) out.Number(gain, 2);
    out.Number(recipe.format, 2);
    out.Number(recipe.calibrated ? 1 : 0, 1);
    for (std::size_t plane = 0; plane < kPlanes; ++plane) out.Bytes(Plane(recipe.tables, plane));
    return out.Take();
}

std::optional<RecordedImage> DiskImageFile::Decode(std::span<const std::uint8_t> bytes)
{
    ByteReader in(bytes);
    const auto magic = in.Bytes(kMagic.size());
    if (!std::equal(magic.begin(), magic.end(), kMagic.begin(), kMagic.end()))
        return std::nullopt;
    RecordedImage image;
    const auto header = in.Bytes(image.header.size());
    std::copy(header.begin(), header.end(), image.header.begin());
    image.captureTime = static_cast<std::uint32_t>(in.Number(4));
    CaptureRecipe& recipe = image.recipe;
    CaptureGeometry& g = recipe.geometry;
    g.model = static_cast<std::int32_t>(in.Number(4));
    g.insertCode = static_cast<std::int32_t>(in.Number(4));
    g.sizeStep = static_cast<std::int32_t>(static_cast<std::uint32_t>(in.Number(4)));
    g.pixelsPerLine = static_cast<std::uint32_t>(in.Number(4));
    g.lines = static_cast<std::uint32_t>(in.Number(4));
    g.firstPixelPosition = static_cast<std::uint16_t>(in.Number(2));
    g.firstLinePosition = static_cast<std::uint16_t>(in.Number(2));
    recipe.exposure.integration = static_cast<std::uint16_t>(in.Number(2));
    for (std::uint16_t& gain : recipe.exposure.gainCodes)
        gain = static_cast<std::uint16_t>(in.Number(2));
    recipe.format = static_cast<std::uint16_t>(in.Number(2));
    const std::uint64_t calibrated = in.Number(1);
    recipe.calibrated = calibrated == 1;
    for (std::size_t plane = 0; plane < kPlanes; ++plane) {
        const auto bytesOfPlane = in.Bytes(LookupTables::kPlaneSize);
        if (bytesOfPlane.size() != LookupTables::kPlaneSize)
            return std::nullopt;
        const std::span<const std::uint8_t, LookupTables::kPlaneSize> fixed(bytesOfPlane.data(),
                                                                            bytesOfPlane.size());
        if (plane < kWideLanes)
            recipe.tables.LoadWidePart(plane, fixed);
        else
            recipe.tables.LoadNarrow(plane - kWideLanes, fixed);
    }
    if (!in.Finished() || calibrated > 1 || !SoundGeometry(g) ||
        !CaptureRecipe::IsKnownFormat(recipe.format))
        return std::nullopt;
    return image;
}

}  // namespace camsim
