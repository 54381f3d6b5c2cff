#include "ui/QVPropertyPage.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "context/AppContext.h"
#include "settings/SettingLists.h"
#include "ui/GuiThread.h"
#include "ui/QorvaneDialog.h"

namespace scanora::ui {

namespace {

// Runs `work` with the record type of a kind.
template <typename Work>
void ForKind(SettingKind kind, Work&& work)
{
    switch (kind) {
    case SettingKind::Size: work(SizeSetting{}); break;
    case SettingKind::Exposure: work(ExposureSetting{}); break;
    case SettingKind::Curve: work(CurveSetting{}); break;
    default: work(HistogramSetting{}); break;
    }
}

QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QVPropertyPage::QVPropertyPage(AppContext& app, SettingKind kind, QWidget* parent)
    : QWidget(parent), app_(app), kind_(kind)
{
    settings_ = new QComboBox(this);
    settings_->addItems(
        {"New Setting ...", "Update Current Setting ...", "Delete Current Setting ..."});
    connect(settings_, &QComboBox::activated, this, &QVPropertyPage::Activated);
    prompt_ = [](QWidget* parent) {
        return QorvaneDialog::Ask(parent, QorvaneDialog::kSettingNamePrompt);
    };
}

void QVPropertyPage::ShowList()
{
    SCANORA_ASSERT_GUI_THREAD();
    RemoveAll();
    ForKind(kind_, [&]<typename Record>(const Record&) {
        const auto& list = app_.Lists().List<Record>();
        for (std::size_t i = 1; i <= list.Count(); ++i)
            if (const Record* record = list.Get(i))
                settings_->addItem(QString::fromStdString(record->GetName()));
    });
    ShowCurrent();
}

void QVPropertyPage::AddName(std::string_view name)
{
    SCANORA_ASSERT_GUI_THREAD();
    settings_->addItem(ToQString(name));
    settings_->setCurrentIndex(settings_->count() - 1);
}

void QVPropertyPage::SelectPosition(std::size_t position)
{
    SCANORA_ASSERT_GUI_THREAD();
    const int entry = static_cast<int>(position) + kDeleteEntry;
    if (entry >= kFirstRecordEntry && entry < settings_->count())
        settings_->setCurrentIndex(entry);
}

void QVPropertyPage::RemoveAll()
{
    SCANORA_ASSERT_GUI_THREAD();
    while (settings_->count() > kFirstRecordEntry) settings_->removeItem(settings_->count() - 1);
}

void QVPropertyPage::ShowDeleteAllowed(bool allowed)
{
    SCANORA_ASSERT_GUI_THREAD();
    settings_->setItemText(kDeleteEntry, allowed ? QStringLiteral("Delete Current Setting ...")
                                                 : ToQString(SettingListDisplays::kCantDeleteText));
}

void QVPropertyPage::Activated(int entry)
{
    if (entry == kNewEntry) {
        NewSetting();
    } else if (entry == kUpdateEntry) {
        UpdateCurrentSetting();
    } else if (entry == kDeleteEntry) {
        DeleteCurrentSetting();
    } else {
        ForKind(kind_, [&]<typename Record>(const Record&) {
            app_.Lists().Select<Record>(static_cast<std::int16_t>(entry - kDeleteEntry),
                                        app_.Tools());
        });
        Q_EMIT settingApplied();
    }
    ShowCurrent();
}

void QVPropertyPage::ShowCurrent()
{
    SCANORA_ASSERT_GUI_THREAD();
    // The box shows the current record again, not the command just chosen.
    ForKind(kind_, [&]<typename Record>(const Record&) {
        const int current = app_.Lists().CurrentIndex<Record>();
        settings_->setCurrentIndex(current > 0 ? current + kDeleteEntry : -1);
        ShowDeleteAllowed(app_.Lists().CanDeleteCurrent<Record>());
    });
}

void QVPropertyPage::NewSetting()
{
    ForKind(kind_, [&]<typename Record>(const Record&) {
        auto record = app_.Tools().Create<Record>();
        const std::optional<QString> name = prompt_(this);
        if (!name || name->trimmed().isEmpty())
            return;  // cancelled: the record is dropped
        record->SetName(name->trimmed().toStdString());
        SettingLists& lists = app_.Lists();
        if (!lists.Append(std::move(record))) {
            app_.Ui().Beep();
            return;
        }
        // Appending moves the current position on by one, which is the new record only when
        // the last one was current: select it, so that an update writes into it and not into
        // its neighbour.
        lists.Select<Record>(static_cast<std::int16_t>(lists.List<Record>().Count()), app_.Tools());
    });
    ShowCurrent();
}

void QVPropertyPage::UpdateCurrentSetting()
{
    bool asNew = false;
    ForKind(kind_, [&]<typename Record>(const Record&) {
        Record* current = app_.Lists().Current<Record>();
        // The first curve (the 14-bit linear mode) is never overwritten.
        const bool protectedCurve =
            kind_ == SettingKind::Curve && app_.Lists().CurrentIndex<Record>() == 1;
        if (!current || !current->IsChangeable() || protectedCurve)
            asNew = true;
        else
            app_.Tools().Capture(*current);
    });
    if (asNew)
        NewSetting();
}

void QVPropertyPage::DeleteCurrentSetting()
{
    bool removed = false;
    ForKind(kind_, [&]<typename Record>(const Record&) {
        SettingLists& lists = app_.Lists();
        const Record* current = lists.Current<Record>();
        if (!current || !lists.CanDeleteCurrent<Record>()) {
            app_.Ui().Beep();
            return;
        }
        const std::string question = "Delete " + current->GetName() + "?";
        if (app_.Ui().ShowMessage(question, MessageIcon::Question, MessageButtons::YesNo) !=
            MessageResult::Yes)
            return;
        removed = lists.RemoveCurrent<Record>(app_.Tools());
    });
    if (removed)
        Q_EMIT settingApplied();
}

void QVPropertyPage::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Period && (event->modifiers() & Qt::ControlModifier)) {
        Q_EMIT abortKeyPressed();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace scanora::ui
