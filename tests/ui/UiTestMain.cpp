// The GUI tests' main: one QApplication for every test (offscreen unless the run names a
// platform), with the user's settings and preferences kept out of reach.

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

namespace {

// Every test starts from an empty profile for the view: what one test leaves behind there (the
// display mode, the crop mask) would otherwise greet the next one.
class FreshViewProfile final : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        QSettings profile;
        profile.remove("Settings/Scan Colors");
        profile.remove("Settings/Mask Crop");
    }
};

}  // namespace

int main(int argc, char** argv)
{
    // Offscreen unless the run asks for a platform (the screenshots under Xvfb).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A configuration folder of this process's own: the settings of tests running at the same
    // time in other processes stay apart. (Qt's test mode would put every process's settings in
    // one shared folder under the home folder.)
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Qorvane Digital Cameras");
    QApplication::setApplicationName("Scanora Tests");
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshViewProfile);
    return RUN_ALL_TESTS();
}
