#include "ui/NoInsertDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace scanora::ui {

namespace {

constexpr std::uint16_t kModelCodes[3] = {4, 7, 1};

}  // namespace

NoInsertDialog::NoInsertDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("No Insert Detected");
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(
        "A controller has been detected with no insert attached.  The software needs to know "
        "which insert type was used to scan the files.  Please select a camera model before "
        "downloading files.",
        this);
    text->setWordWrap(true);
    layout->addWidget(text);
    const char* names[3] = {"Model Arden, Model Birch, Model Birch Plus",
                            "Model Cedar, Model Cedar Plus", "Model Dogwood Plus"};
    for (int i = 0; i < 3; ++i) {
        choices_[i] = new QRadioButton(names[i], this);
        layout->addWidget(choices_[i]);
    }
    choices_[0]->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

std::uint16_t NoInsertDialog::ModelCode() const
{
    for (int i = 0; i < 3; ++i)
        if (choices_[i]->isChecked())
            return kModelCodes[i];
    return kModelCodes[0];
}

QRadioButton* NoInsertDialog::Choice(int index) const
{
    return index >= 0 && index < 3 ? choices_[index] : nullptr;
}

}  // namespace scanora::ui
