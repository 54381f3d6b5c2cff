#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QPlainTextEdit;

namespace scanora {
class CaptureSequence;
}

namespace scanora::ui {

// The image notes: the capture notes the program generated, read-only, and the user's own
// notes to edit, for an image on the camera's disk or for the next capture. The user notes
// never grow past what the capture notes leave of the header's 254 characters. The window
// remembers where it was placed.
class QVNotesWindow : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kCaption = " File Information & Notes";
    static constexpr const char* kGeneratedTitle = " Program Generated Information ";
    static constexpr const char* kUserNotesLabel = "User Notes";
    static constexpr int kMaxNotes = 254;
    static constexpr int kWindowNumber = 1;

    // `imageName` names the camera image the notes belong to; empty for the next capture.
    QVNotesWindow(const QString& captureNotes, const QString& userNotes, const QString& imageName,
                  QWidget* parent = nullptr);
    ~QVNotesWindow() override;

    [[nodiscard]] QString UserNotes() const;
    [[nodiscard]] int UserNotesLimit() const { return limit_; }
    [[nodiscard]] QPlainTextEdit* UserNotesEdit() const { return userNotes_; }

    // Shows the window modally; the edited user notes on OK, nothing on Cancel.
    static std::optional<QString> Edit(QWidget* parent, const QString& captureNotes,
                                       const QString& userNotes, const QString& imageName = {});
    // The panel's notes for the next capture: the capture notes the current settings give and
    // the user notes held for it; OK hands the edited user notes to the capture.
    static void EditNextCapture(QWidget* parent, CaptureSequence& capture);

private:
    // Cuts what was typed or pasted to the limit, keeping the cursor where it was.
    void KeepWithinLimit();

    QPlainTextEdit* userNotes_ = nullptr;
    int limit_ = 0;
};

}  // namespace scanora::ui
