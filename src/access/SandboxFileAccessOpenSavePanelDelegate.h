#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace vantel {

// The rule of the permission chooser: only the requested location and its
// ancestors may be chosen.
class SandboxFileAccessOpenSavePanelDelegate {
public:
    SandboxFileAccessOpenSavePanelDelegate() = default;
    explicit SandboxFileAccessOpenSavePanelDelegate(const QUrl& requested);

    QStringList pathComponents;

    // True when the candidate's components are a prefix of the requested ones.
    bool isAllowed(const QString& candidatePath) const;

    // "/" followed by each part of the cleaned path; empty for no path.
    static QStringList componentsOf(const QString& path);

    // The reason shown when the user picks something off the requested path.
    static QString wrongFileDescription();
};

} // namespace vantel
