#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace scanora::ui {

// What a Save-As dialog asks for: its title, the proposed file name, the filters and the
// extension added to a name typed without one.
struct SaveFileRequest {
    QString title;
    QString proposedName;
    QString filter;
    QString defaultSuffix;
};

// Asks for a file to write; an empty path when the user cancelled. Tests answer in its place.
using SaveFileChooser = std::function<QString(QWidget* parent, const SaveFileRequest& request)>;

// The program's Save-As dialog, which asks before it replaces a file.
QString AskForSaveFile(QWidget* parent, const SaveFileRequest& request);

}  // namespace scanora::ui
