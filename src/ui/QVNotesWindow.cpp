#include "ui/QVNotesWindow.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>

#include "acquire/CaptureSequence.h"
#include "platform/TextConversion.h"
#include "ui/GuiThread.h"
#include "ui/SavedPosition.h"

namespace scanora::ui {

QVNotesWindow::QVNotesWindow(const QString& captureNotes, const QString& userNotes,
                             const QString& imageName, QWidget* parent)
    : QDialog(parent), limit_(std::max(0, kMaxNotes - static_cast<int>(captureNotes.size())))
{
    SCANORA_ASSERT_GUI_THREAD();
    setWindowTitle(imageName.isEmpty() ? QString(kCaption)
                                       : QString(kCaption) + " for " + imageName);

    auto* generated = new QGroupBox(kGeneratedTitle, this);
    auto* captureText = new QLabel(captureNotes, generated);
    captureText->setObjectName("captureNotes");
    captureText->setWordWrap(true);
    captureText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    captureText->setMinimumWidth(360);
    auto* generatedLayout = new QVBoxLayout(generated);
    generatedLayout->addWidget(captureText);

    auto* label = new QLabel(kUserNotesLabel, this);
    userNotes_ = new QPlainTextEdit(this);
    userNotes_->setObjectName("userNotes");
    userNotes_->setTabChangesFocus(true);
    userNotes_->setPlainText(userNotes.left(limit_));
    label->setBuddy(userNotes_);
    connect(userNotes_, &QPlainTextEdit::textChanged, this, &QVNotesWindow::KeepWithinLimit);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(generated);
    layout->addWidget(label);
    layout->addWidget(userNotes_, 1);
    layout->addWidget(buttons);

    adjustSize();
    SavedPosition(kWindowNumber).Restore(*this, false);
}

QVNotesWindow::~QVNotesWindow()
{
    SavedPosition(kWindowNumber).Save(*this);
}

QString QVNotesWindow::UserNotes() const
{
    return userNotes_->toPlainText();
}

void QVNotesWindow::KeepWithinLimit()
{
    QString text = userNotes_->toPlainText();
    const int excess = static_cast<int>(text.size()) - limit_;
    if (excess <= 0)
        return;
    // What was just typed or pasted ends at the cursor: that is what does not fit.
    const int end = userNotes_->textCursor().position();
    const int start = std::max(0, end - excess);
    text.remove(start, std::min<qsizetype>(excess, text.size() - start));
    text.truncate(limit_);
    const QSignalBlocker block(userNotes_);
    userNotes_->setPlainText(text);
    QTextCursor cursor = userNotes_->textCursor();
    cursor.setPosition(std::min(start, static_cast<int>(text.size())));
    userNotes_->setTextCursor(cursor);
}

std::optional<QString> QVNotesWindow::Edit(QWidget* parent, const QString& captureNotes,
                                           const QString& userNotes, const QString& imageName)
{
    QVNotesWindow window(captureNotes, userNotes, imageName, parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.UserNotes();
}

void QVNotesWindow::EditNextCapture(QWidget* parent, CaptureSequence& capture)
{
    const QString captureNotes =
        QString::fromStdString(TextConversion::FromCamera(capture.NextCaptureNotes()));
    const std::optional<QString> notes =
        Edit(parent, captureNotes, QString::fromStdString(capture.UserText()));
    if (notes)
        capture.SetUserText(notes->toStdString());
}

}  // namespace scanora::ui
