#include "imaging/DisplayColorTransform.h"

#include <lcms2.h>

#include <limits>
#include <utility>

namespace scanora {

namespace {

constexpr std::size_t kBytesPerPixel = 3;
// Little CMS counts bytes in 32 bits.
constexpr std::size_t kMaxLcmsBytes = std::numeric_limits<cmsUInt32Number>::max();
// An ICC profile starts with a 128-byte header whose first four bytes give its size.
constexpr std::size_t kHeaderBytes = 128;
// Messages past this length are cut: a broken profile can report the same fault many times.
constexpr std::size_t kMaxMessageLength = 1024;

struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using ProfileHandle = std::unique_ptr<void, ProfileCloser>;

// The size a profile's header declares (big-endian).
std::size_t DeclaredSize(std::span<const std::uint8_t> bytes)
{
    return std::size_t{bytes[0]} << 24 | std::size_t{bytes[1]} << 16 | std::size_t{bytes[2]} << 8 |
           std::size_t{bytes[3]};
}

}  // namespace

// The Little CMS context with its own error handler, the transform made in it, and the
// messages the handler collected. Held by pointer so that the context's user data, which points
// here, stays put when the owner moves.
struct DisplayColorTransform::Lcms {
    Lcms() : context(cmsCreateContext(nullptr, this))
    {
        if (context != nullptr)
            cmsSetLogErrorHandlerTHR(context, &Lcms::Collect);
    }
    ~Lcms()
    {
        if (transform != nullptr)
            cmsDeleteTransform(transform);
        if (context != nullptr)
            cmsDeleteContext(context);
    }
    Lcms(const Lcms&) = delete;
    Lcms& operator=(const Lcms&) = delete;

    void Note(const std::string& text)
    {
        if (message.size() >= kMaxMessageLength)
            return;
        if (!message.empty())
            message += "; ";
        message += text;
        if (message.size() > kMaxMessageLength)
            message.resize(kMaxMessageLength);
    }

    static void Collect(cmsContext context, cmsUInt32Number /*code*/, const char* text)
    {
        auto* self = static_cast<Lcms*>(cmsGetContextUserData(context));
        if (self != nullptr && text != nullptr)
            self->Note(text);
    }

    // An RGB profile from `bytes`, or built-in sRGB for no bytes; null (with a message) when the
    // bytes are not a usable RGB profile. `role` names the profile in the message.
    ProfileHandle OpenRgb(std::span<const std::uint8_t> bytes, const char* role)
    {
        if (bytes.size() > kMaxLcmsBytes) {
            Note(std::string("the ") + role + " colour profile is too large");
            return nullptr;
        }
        // Little CMS reads a profile cut short as far as it goes; it is not used here.
        if (!bytes.empty() && (bytes.size() < kHeaderBytes || DeclaredSize(bytes) > bytes.size())) {
            Note(std::string("the ") + role + " colour profile is incomplete");
            return nullptr;
        }
        ProfileHandle profile(
            bytes.empty() ? cmsCreate_sRGBProfileTHR(context)
                          : cmsOpenProfileFromMemTHR(context, bytes.data(),
                                                     static_cast<cmsUInt32Number>(bytes.size())));
        if (profile == nullptr) {
            Note(std::string("the ") + role + " colour profile cannot be read");
            return nullptr;
        }
        if (cmsGetColorSpace(profile.get()) != cmsSigRgbData) {
            Note(std::string("the ") + role + " colour profile is not an RGB profile");
            return nullptr;
        }
        return profile;
    }

    cmsContext context = nullptr;
    cmsHTRANSFORM transform = nullptr;
    std::string message;
};

DisplayColorTransform::DisplayColorTransform(std::span<const std::uint8_t> sourceProfile,
                                             std::span<const std::uint8_t> displayProfile)
    : lcms_(std::make_unique<Lcms>())
{
    if (lcms_->context == nullptr) {
        lcms_->Note("the colour management cannot be started");
        return;
    }
    const ProfileHandle source = lcms_->OpenRgb(sourceProfile, "image's");
    const ProfileHandle display = source ? lcms_->OpenRgb(displayProfile, "display's") : nullptr;
    if (!source || !display)
        return;
    lcms_->transform = cmsCreateTransformTHR(lcms_->context, source.get(), TYPE_RGB_8,
                                             display.get(), TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
    if (lcms_->transform == nullptr)
        lcms_->Note("the colour profiles give no transform");
}

DisplayColorTransform::~DisplayColorTransform() = default;
DisplayColorTransform::DisplayColorTransform(DisplayColorTransform&&) noexcept = default;
DisplayColorTransform& DisplayColorTransform::operator=(DisplayColorTransform&&) noexcept = default;

bool DisplayColorTransform::IsValid() const
{
    return lcms_ != nullptr && lcms_->transform != nullptr;
}

const std::string& DisplayColorTransform::ErrorMessage() const
{
    static const std::string kNone;
    return lcms_ != nullptr ? lcms_->message : kNone;
}

bool DisplayColorTransform::Apply(std::span<std::uint8_t> rows, int width, int height,
                                  std::size_t stride)
{
    if (!IsValid() || width < 0 || height < 0)
        return false;
    if (width == 0 || height == 0)
        return true;
    const auto rowBytes = static_cast<std::size_t>(width) * kBytesPerPixel;
    const auto lastRow = static_cast<std::size_t>(height - 1);
    if (stride < rowBytes || stride > kMaxLcmsBytes || rows.size() < rowBytes ||
        lastRow > (rows.size() - rowBytes) / stride)
        return false;
    const auto lcmsStride = static_cast<cmsUInt32Number>(stride);
    cmsDoTransformLineStride(lcms_->transform, rows.data(), rows.data(),
                             static_cast<cmsUInt32Number>(width),
                             static_cast<cmsUInt32Number>(height), lcmsStride, lcmsStride, 0, 0);
    return true;
}

}  // namespace scanora
