#include "ui/MainWindowPreferences.h"

#include <QComboBox>
#include <QLabel>

#include "context/AppContext.h"
#include "ui/CTabControls.h"
#include "ui/GuiThread.h"
#include "ui/MainControl.h"
#include "ui/PPColor.h"
#include "ui/PreferenceDisplaysOnGui.h"
#include "ui/QVMainFrame.h"
#include "ui/QVUIHandler.h"
#include "ui/QorvaneView.h"

namespace scanora::ui {

MainWindowPreferences::MainWindowPreferences(QVMainFrame& frame, AppContext& app)
    : frame_(frame),
      app_(app),
      gui_(std::make_unique<GuiThread>()),
      seam_(std::make_unique<PreferenceDisplaysOnGui>(*gui_, *this))
{
    app_.AttachPreferenceDisplays(seam_.get());
}

MainWindowPreferences::~MainWindowPreferences()
{
    app_.AttachPreferenceDisplays(nullptr);
    gui_->Close();
}

void MainWindowPreferences::ShowCameraColorMode(std::int16_t mode)
{
    SCANORA_ASSERT_GUI_THREAD();
    frame_.Handler().SelectColorMode(mode);
}

void MainWindowPreferences::ShowPreviewAppearance(const PreviewAppearance& appearance)
{
    SCANORA_ASSERT_GUI_THREAD();
    frame_.View().SetAppearance(appearance);
}

std::string MainWindowPreferences::ScanNameField() const
{
    SCANORA_ASSERT_GUI_THREAD();
    return frame_.Panel().Text(MainControl::kScanName).toStdString();
}

void MainWindowPreferences::ShowScanName(std::string_view name)
{
    SCANORA_ASSERT_GUI_THREAD();
    frame_.Panel().SetText(MainControl::kScanName,
                           QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
}

int MainWindowPreferences::ControlPosition() const
{
    SCANORA_ASSERT_GUI_THREAD();
    return frame_.ControlPosition();
}

void MainWindowPreferences::SetControlPosition(int position)
{
    SCANORA_ASSERT_GUI_THREAD();
    if (position != frame_.ControlPosition())
        frame_.SetControlPosition(position);
}

std::int32_t MainWindowPreferences::CurrentProfileIndex() const
{
    SCANORA_ASSERT_GUI_THREAD();
    return frame_.Tabs().ColorPage().ProfileBox()->currentIndex() + 1;
}

void MainWindowPreferences::ShowProfiles(const std::vector<std::string>&, std::int32_t, bool)
{
    SCANORA_ASSERT_GUI_THREAD();
    // The page shows the record's list as it stands, which is what was handed here.
    frame_.Tabs().ColorPage().ShowProfiles();
}

void MainWindowPreferences::ShowTimeLapse(std::int16_t, std::int16_t, bool on)
{
    SCANORA_ASSERT_GUI_THREAD();
    // The series itself reads its length and interval from the record when it runs.
    frame_.StatusPane(1).setText(
        on ? QString::fromUtf8(kTimeLapseStatus.data(), kTimeLapseStatus.size()) : QString());
}

bool MainWindowPreferences::RulersShown() const
{
    SCANORA_ASSERT_GUI_THREAD();
    return frame_.View().GuidesShown();
}

void MainWindowPreferences::ShowRulers(bool shown)
{
    SCANORA_ASSERT_GUI_THREAD();
    frame_.View().SetGuidesShown(shown);
}

}  // namespace scanora::ui
