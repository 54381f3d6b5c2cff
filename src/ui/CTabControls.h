#pragma once

#include <QTabWidget>

#include "settings/QVSetting.h"

namespace scanora {
class AppContext;
}

namespace scanora::ui {

class PPColor;
class PPFocus;
class PPPano;
class PPSize;
class PPTone;
class QVPropertyPage;

// The tab panel beside the image: the size, colour, tone, focus and panorama pages.
class CTabControls : public QTabWidget {
    Q_OBJECT

public:
    enum Page : int { kSizePage = 0, kColorPage = 1, kTonePage = 2, kFocusPage = 3, kPanoPage = 4 };

    explicit CTabControls(AppContext& app, QWidget* parent = nullptr);

    [[nodiscard]] PPSize& SizePage() const { return *size_; }
    [[nodiscard]] PPColor& ColorPage() const { return *color_; }
    [[nodiscard]] PPTone& TonePage() const { return *tone_; }
    [[nodiscard]] PPFocus& FocusPage() const { return *focus_; }
    [[nodiscard]] PPPano& PanoPage() const { return *pano_; }
    // The page that lists the settings of a kind; null when no page does yet.
    [[nodiscard]] QVPropertyPage* PageFor(SettingKind kind) const;

    // A settings page that lives outside the tabs (the histogram panel's).
    void SetHistogramPage(QVPropertyPage* page) { histogram_ = page; }

    // Fills the pages from the tools.
    void Initialize();
    // The pages' controls off during a capture and on again after it.
    void SetCapturePagesEnabled(bool enabled);

Q_SIGNALS:
    void abortKeyPressed();

private:
    AppContext& app_;
    PPSize* size_ = nullptr;
    PPColor* color_ = nullptr;
    PPTone* tone_ = nullptr;
    PPFocus* focus_ = nullptr;
    PPPano* pano_ = nullptr;
    QVPropertyPage* histogram_ = nullptr;
};

}  // namespace scanora::ui
