#pragma once

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

namespace scanora {
class ImageNotes;
}

namespace scanora::ui {

// The notes of one image on the camera's disk: the capture notes the program wrote when it was
// taken, read-only, and the user's notes to edit, no longer than the header leaves room for.
class ImageNotesDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kCaption = " File Information & Notes";

    // `notes` in the camera's character set; `imageName` for the title.
    ImageNotesDialog(const QString& imageName, const ImageNotes& notes, QWidget* parent = nullptr);

    [[nodiscard]] QString UserNotes() const;
    [[nodiscard]] QLineEdit* UserNotesEdit() const { return userNotes_; }

private:
    QPlainTextEdit* captureNotes_ = nullptr;
    QLineEdit* userNotes_ = nullptr;
};

}  // namespace scanora::ui
