#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace vantel::platform {

enum class AlertStyle { Warning = 0, Informational = 1, Critical = 2 };

// A modal alert: message, informative text and buttons in the order given
// (index 0 is the first button, the one an alert answers with by default).
struct AlertRequest {
    AlertStyle style = AlertStyle::Informational;
    QString messageText;
    QString informativeText;
    QStringList buttons;
    int defaultButton = 0;
    // The button that Escape and closing the window choose; -1 picks the one
    // titled "Cancel", else the last.
    int cancelButton = -1;
    bool showsSuppressionButton = false;
    QString suppressionButtonTitle = QStringLiteral("Do not show this message again");
    // About the user's files rather than a window (what loading found): in
    // the middle of the screen whatever window is up, and above it.
    bool centredOnScreen = false;
};

struct AlertResponse {
    // The index of the chosen button; -1 when the alert could not be shown.
    int buttonIndex = -1;
    bool suppressionChecked = false;
    bool isFirstButton() const { return buttonIndex == 0; }
};

// A modal chooser for existing files and/or folders.
struct OpenPanelRequest {
    QString title;
    QString message;
    QString prompt;          // the text of the accept button; empty: the toolkit's own
    QString directory;       // where the panel starts
    bool canChooseFiles = true;
    bool canChooseDirectories = false;
    bool allowsMultipleSelection = false;
    bool canCreateDirectories = false;
    bool showsHiddenFiles = false;
    bool resolvesAliases = true;
    // Optional: the file name extensions shown (without the dot) and what
    // the panel calls them; without any, every file is shown.
    QStringList allowedFileTypes;
    QString fileTypeDescription;
    // Optional: which items may be picked at all (others are shown disabled).
    std::function<bool(const QString& path)> isEnabled;
    // Optional: checked when the user accepts; a false answer refuses the
    // choice with a beep and the text put into *reason, and the panel stays.
    std::function<bool(const QString& path, QString* reason)> validate;
};

struct OpenPanelResponse {
    bool accepted = false;
    QStringList paths;       // absolute paths, in the order chosen
};

// A modal chooser for the name and folder of a file to write.
struct SavePanelRequest {
    QString title;
    QString message;
    QString directory;
    QString nameFieldStringValue;
    // Without other types allowed, a name is given the first extension
    // unless it already ends with one of them.
    QStringList allowedFileTypes;
    // What the panel's filter calls the allowed types.
    QString fileTypeDescription;
    bool allowsOtherFileTypes = false;
    bool canCreateDirectories = true;
};

struct SavePanelResponse {
    bool accepted = false;
    QString path;            // absolute
};

// Where modal questions go. The application installs the Qt implementation
// (platform/ui); tests install a ScriptedDialogProvider. Providers are called
// on the main thread only (see Dialogs).
class DialogProvider {
public:
    virtual ~DialogProvider() = default;
    virtual AlertResponse runAlert(const AlertRequest& request) = 0;
    virtual OpenPanelResponse runOpenPanel(const OpenPanelRequest& request) = 0;
    // A provider that has no save panel answers as cancelled, with a warning.
    virtual SavePanelResponse runSavePanel(const SavePanelRequest& request);

    // The path a save panel answers for `chosen`: the first allowed extension
    // appended unless other types are allowed or the name has one already.
    static QString pathWithAllowedExtension(const SavePanelRequest& request, const QString& chosen);
    // The text of a panel's file filter: "Description (*.a *.b)"; empty
    // without types.
    static QString fileFilter(const QStringList& types, const QString& description);
    // Whether the open panel shows the file: a folder always; a file when no
    // types are given or its name has one of them.
    static bool showsFile(const OpenPanelRequest& request, const QString& path);

    // The installed provider. Until one is installed, a provider that shows
    // nothing: it logs each question and answers as if it was cancelled.
    static std::shared_ptr<DialogProvider> shared();
    // Installs a provider; nullptr goes back to the one that shows nothing.
    static void setShared(std::shared_ptr<DialogProvider> provider);
};

} // namespace vantel::platform
