#include "ui/CTabControls.h"

#include "camera/QVExposure.h"
#include "context/AppContext.h"
#include "settings/QVSize.h"
#include "ui/GuiThread.h"
#include "ui/PPColor.h"
#include "ui/PPFocus.h"
#include "ui/PPPano.h"
#include "ui/PPSize.h"
#include "ui/PPTone.h"

namespace scanora::ui {

CTabControls::CTabControls(AppContext& app, QWidget* parent) : QTabWidget(parent), app_(app)
{
    size_ = new PPSize(app_, this);
    color_ = new PPColor(app_, this);
    addTab(size_, "Size");
    addTab(color_, "Color");
    tone_ = new PPTone(app_, this);
    addTab(tone_, "Tone");
    focus_ = new PPFocus(app_, this);
    addTab(focus_, "Focus");
    pano_ = new PPPano(app_, this);
    addTab(pano_, "Pano");
    // A rotating capture's lines are the output's height: the size page shows the new size.
    connect(pano_, &PPPano::stageValuesChanged, this, [this] {
        size_->ShowOutputSize(SizeReadout::Of(app_.Size()));
        size_->Refresh(SizeReadout::Of(app_.Size()));
    });
    for (QVPropertyPage* page :
         {static_cast<QVPropertyPage*>(size_), static_cast<QVPropertyPage*>(color_),
          static_cast<QVPropertyPage*>(tone_)})
        connect(page, &QVPropertyPage::abortKeyPressed, this, &CTabControls::abortKeyPressed);
}

QVPropertyPage* CTabControls::PageFor(SettingKind kind) const
{
    switch (kind) {
    case SettingKind::Size: return size_;
    case SettingKind::Exposure: return color_;
    case SettingKind::Curve: return tone_;
    case SettingKind::Histogram: return histogram_;
    default: return nullptr;
    }
}

void CTabControls::Initialize()
{
    SCANORA_ASSERT_GUI_THREAD();
    size_->ShowList();
    color_->ShowList();
    tone_->ShowList();
    if (histogram_)
        histogram_->ShowList();
    size_->ShowOutputSize(SizeReadout::Of(app_.Size()));
    size_->Refresh(SizeReadout::Of(app_.Size()));
    color_->ShowExposure(app_.Exposure().Readout());
    color_->RefreshReadouts();
    color_->ShowProfiles();
    tone_->Refresh();
    pano_->Refresh();
}

void CTabControls::SetCapturePagesEnabled(bool enabled)
{
    SCANORA_ASSERT_GUI_THREAD();
    size_->SetControlsEnabled(enabled);
    color_->SetControlsEnabled(enabled);
    tone_->SetControlsEnabled(enabled);
    pano_->SetControlsEnabled(enabled);
}

}  // namespace scanora::ui
