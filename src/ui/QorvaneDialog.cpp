#include "ui/QorvaneDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace scanora::ui {

QorvaneDialog::QorvaneDialog(const QString& prompt, const QString& text, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QApplication::applicationDisplayName());
    auto* layout = new QVBoxLayout(this);
    prompt_ = new QLabel(prompt, this);
    edit_ = new QLineEdit(text, this);
    edit_->selectAll();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(prompt_);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
}

QString QorvaneDialog::Text() const
{
    return edit_->text();
}

std::optional<QString> QorvaneDialog::Ask(QWidget* parent, const QString& prompt,
                                          const QString& text)
{
    QorvaneDialog dialog(prompt, text, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Text();
}

}  // namespace scanora::ui
