#include "ui/ImageNotesDialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <climits>

#include "cameradisk/ImageNotes.h"
#include "platform/TextConversion.h"

namespace scanora::ui {

namespace {

QString FromCamera(const std::string& text)
{
    return QString::fromStdString(TextConversion::FromCamera(text));
}

}  // namespace

ImageNotesDialog::ImageNotesDialog(const QString& imageName, const ImageNotes& notes,
                                   QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString(kCaption) + " for " + imageName);
    auto* layout = new QVBoxLayout(this);
    auto* generated = new QGroupBox(" Program Generated Information ", this);
    auto* generatedLayout = new QVBoxLayout(generated);
    captureNotes_ = new QPlainTextEdit(FromCamera(notes.CaptureNotes()), generated);
    captureNotes_->setReadOnly(true);
    generatedLayout->addWidget(captureNotes_);
    layout->addWidget(generated);

    layout->addWidget(new QLabel("User Notes", this));
    userNotes_ = new QLineEdit(FromCamera(notes.UserNotes()), this);
    // The camera keeps one byte a character.
    userNotes_->setMaxLength(
        static_cast<int>(std::min<std::size_t>(notes.UserNotesLimit(), INT_MAX)));
    layout->addWidget(userNotes_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(480, 260);
}

QString ImageNotesDialog::UserNotes() const
{
    return userNotes_->text();
}

}  // namespace scanora::ui
