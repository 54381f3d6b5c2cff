// Colour management of the preview on screen: the chosen profile and the display's profile,
// and when the transform between them is made again.

#include <gtest/gtest.h>

#include <QColorSpace>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include "settings/QVCameraSetting.h"
#include "support/TempDir.h"
#include "ui/DisplayProfile.h"
#include "ui/PreviewColorManagement.h"

namespace scanora {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ProfileBytes(QColorSpace::TransferFunction transfer)
{
    const QByteArray icc = QColorSpace(QColorSpace::Primaries::SRgb, transfer).iccProfile();
    return {icc.begin(), icc.end()};
}

std::filesystem::path WriteFile(const std::filesystem::path& path, const Bytes& bytes)
{
    QFile file(QString::fromStdString(path.string()));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    return path;
}

// An RGB888 image of one grey level, five pixels wide so that its rows are padded.
QImage Grey(int level)
{
    QImage image(5, 3, QImage::Format_RGB888);
    image.fill(QColor(level, level, level));
    return image;
}

// The red level of every pixel, when they all agree; nothing otherwise.
std::optional<int> Level(const QImage& image)
{
    const int first = qRed(image.pixel(0, 0));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != image.pixel(0, 0))
                return std::nullopt;
        }
    }
    return first;
}

// Sets or clears an environment variable for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::optional<std::string>& value) : name_(name)
    {
        if (qEnvironmentVariableIsSet(name))
            saved_ = qgetenv(name);
        if (value)
            qputenv(name, QByteArray::fromStdString(*value));
        else
            qunsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (saved_)
            qputenv(name_, *saved_);
        else
            qunsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    std::optional<QByteArray> saved_;
};

class PreviewColorManagementTest : public ::testing::Test {
protected:
    void Choose(const std::filesystem::path& path, bool embed)
    {
        setting_.Prefs().iccProfileName = path.string();
        setting_.Prefs().embedICCProfile = embed;
    }

    test::TempDir folder_;
    const std::filesystem::path linear_ = WriteFile(
        folder_.Path() / "linear.icc", ProfileBytes(QColorSpace::TransferFunction::Linear));
    const std::filesystem::path gamma_ =
        WriteFile(folder_.Path() / "gamma.icc", ProfileBytes(QColorSpace::TransferFunction::Gamma));
    QVCameraSetting setting_;
    PreviewColorManagement colour_;
};

TEST_F(PreviewColorManagementTest, ConvertsFromTheChosenProfileIntoTheDisplays)
{
    // Both sides sRGB: nothing to do.
    colour_.Update(setting_, {});
    EXPECT_FALSE(colour_.Converts());
    QImage image = Grey(128);
    EXPECT_TRUE(colour_.Apply(image));
    EXPECT_EQ(Level(image), 128);

    // A linear profile embedded: mid grey is much lighter on an sRGB display.
    Choose(linear_, true);
    colour_.Update(setting_, {});
    ASSERT_TRUE(colour_.Converts()) << colour_.ErrorMessage();
    image = Grey(128);
    EXPECT_TRUE(colour_.Apply(image));
    ASSERT_TRUE(Level(image));
    EXPECT_NEAR(*Level(image), 188, 2);

    // Not embedded: the preview is sRGB and goes to a linear display darker.
    Choose(linear_, false);
    colour_.Update(setting_, ProfileBytes(QColorSpace::TransferFunction::Linear));
    image = Grey(188);
    EXPECT_TRUE(colour_.Apply(image));
    ASSERT_TRUE(Level(image));
    EXPECT_NEAR(*Level(image), 128, 2);

    QImage other(4, 4, QImage::Format_ARGB32);
    other.fill(Qt::gray);
    const QImage before = other;
    EXPECT_FALSE(colour_.Apply(other)) << "only RGB888 is converted";
    EXPECT_EQ(other, before);
}

TEST_F(PreviewColorManagementTest, RebuildsOnlyWhenTheSwitchTheNameOrTheDisplayChanges)
{
    Choose(linear_, true);
    const Bytes display = ProfileBytes(QColorSpace::TransferFunction::Gamma);
    colour_.Update(setting_, display);
    const int first = colour_.Generation();
    colour_.Update(setting_, Bytes(display));
    EXPECT_EQ(colour_.Generation(), first) << "same settings, same display bytes";

    Choose(gamma_, true);
    colour_.Update(setting_, display);
    EXPECT_EQ(colour_.Generation(), first + 1) << "another profile";

    Choose(gamma_, false);
    colour_.Update(setting_, display);
    EXPECT_EQ(colour_.Generation(), first + 2) << "switched off";
    Choose(linear_, false);
    colour_.Update(setting_, display);
    EXPECT_EQ(colour_.Generation(), first + 2) << "the name does not matter while off";

    colour_.Update(setting_, {});
    EXPECT_EQ(colour_.Generation(), first + 3) << "another display";
    colour_.Update(setting_, {});
    EXPECT_EQ(colour_.Generation(), first + 3);
}

TEST_F(PreviewColorManagementTest, AnUnusableChosenProfileFallsBackToSrgb)
{
    const std::filesystem::path broken = WriteFile(folder_.Path() / "broken.icc", {1, 2, 3, 4});
    Choose(broken, true);
    colour_.Update(setting_, {});
    EXPECT_FALSE(colour_.Converts());
    EXPECT_FALSE(colour_.ErrorMessage().empty());
    QImage image = Grey(128);
    EXPECT_TRUE(colour_.Apply(image));
    EXPECT_EQ(Level(image), 128);

    // The display is still served: sRGB into the linear display.
    colour_.Update(setting_, ProfileBytes(QColorSpace::TransferFunction::Linear));
    EXPECT_TRUE(colour_.Converts());
    EXPECT_FALSE(colour_.ErrorMessage().empty());
    image = Grey(188);
    colour_.Apply(image);
    ASSERT_TRUE(Level(image));
    EXPECT_NEAR(*Level(image), 128, 2);

    // A chosen file that is missing is no profile at all, and no complaint.
    Choose(folder_.Path() / "missing.icc", true);
    colour_.Update(setting_, {});
    EXPECT_FALSE(colour_.Converts());
    EXPECT_TRUE(colour_.ErrorMessage().empty());
}

TEST_F(PreviewColorManagementTest, DisplayProfileComesFromTheNamedFileOrIsSrgb)
{
    QWidget widget;
    const Bytes linear = ProfileBytes(QColorSpace::TransferFunction::Linear);
    {
        const ScopedEnvironment named(DisplayProfile::kEnvironmentVariable, linear_.string());
        DisplayProfile profile;
        EXPECT_EQ(profile.ForWidget(widget), linear);
        EXPECT_EQ(profile.ForScreen(nullptr), linear);

        // Read once per screen until forgotten.
        WriteFile(linear_, {9, 9, 9});
        EXPECT_EQ(profile.ForWidget(widget), linear);
        profile.Forget();
        EXPECT_EQ(profile.ForWidget(widget), (Bytes{9, 9, 9}));
    }
    {
        const ScopedEnvironment missing(DisplayProfile::kEnvironmentVariable,
                                        (folder_.Path() / "missing.icc").string());
        EXPECT_TRUE(DisplayProfile().ForWidget(widget).empty());
    }
    // Without the variable the offscreen test platform has no profile to offer.
    const ScopedEnvironment none(DisplayProfile::kEnvironmentVariable, std::nullopt);
    EXPECT_TRUE(DisplayProfile().ForWidget(widget).empty());
}

}  // namespace
}  // namespace scanora
