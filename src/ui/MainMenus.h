#pragma once

#include <QObject>

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

#include "ui/ToolKind.h"

class QAction;
class QMenu;
class QToolBar;

namespace scanora {
class AppContext;
class PreferenceCommands;
}  // namespace scanora

namespace scanora::ui {

class CommandTable;
class FileManagerHost;
class QVMainFrame;
class QtUiPort;

// The main window's menus and toolbars: one factory per menu that makes each command's action
// with its handler and its state, in the order the menu shows them. Exclusive choices (capture
// and display mode, insert direction, page, control position, mouse tool) are action groups
// whose actions carry their value.
class MainMenus final : public QObject {
public:
    MainMenus(QVMainFrame& frame, AppContext& app, QtUiPort& ui);
    ~MainMenus() override;

    // Builds the menu bar's menus and the two toolbars.
    void Build();

    [[nodiscard]] QAction* Action(int command) const;
    bool Execute(int command);
    void Update();
    [[nodiscard]] QToolBar* FirstToolBar() const { return firstToolBar_; }
    [[nodiscard]] QToolBar* MainToolBar() const { return mainToolBar_; }
    // The camera disk's window and its other users (the File Manager command).
    [[nodiscard]] FileManagerHost& FileManager() const { return *fileManager_; }
    // What opens a folder for the user (the desktop's file manager unless a test sets it).
    void SetFolderOpener(std::function<void(const QString&)> opener);

private:
    void BuildFileMenu(QMenu* menu);
    void BuildCameraMenu(QMenu* menu);
    void BuildViewMenu(QMenu* menu);
    void BuildHelpMenu(QMenu* menu);
    void BuildToolBars();

    // True (after the message) when a capture runs and the command must not disturb it.
    bool RefusedDuringCapture();
    [[nodiscard]] bool CaptureRunning() const;
    // A camera is there and its disk is not being read (the File Manager, a script's retrieval):
    // Prescan and Scan are on. During a capture they stay on and say why they do nothing.
    [[nodiscard]] bool CaptureMayStart() const;
    // A prescan (or a loaded preview) is there to save, zoom and measure.
    [[nodiscard]] bool HasPreview() const;
    // The view's mouse tool, through one place.
    void SelectTool(ToolKind tool);
    [[nodiscard]] ToolKind CurrentTool() const;

    void SavePrescan();
    void LoadSettings();
    void SaveSettings();
    void ExportCurve();
    void ImportCurve();
    void SetInsert(std::int32_t code);
    void ShowAbout();
    // The log's folder, made when it is not there yet, opened for the user.
    void ShowLogFolder();

    QVMainFrame& frame_;
    AppContext& app_;
    QtUiPort& ui_;
    CommandTable* commands_ = nullptr;        // owned by this object
    FileManagerHost* fileManager_ = nullptr;  // owned by the frame
    std::unique_ptr<PreferenceCommands> preferenceCommands_;
    QToolBar* firstToolBar_ = nullptr;
    QToolBar* mainToolBar_ = nullptr;
    mutable bool previewTaken_ = false;
    std::function<void(const QString&)> folderOpener_;
};

}  // namespace scanora::ui
