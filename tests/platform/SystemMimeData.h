#pragma once

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace vantel::test {

// The throw-away home's system data folder holds nothing, so file types are
// unknown there. Tests that tell images from documents link the system's
// MIME database into it before the first test runs.
class SystemMimeData : public ::testing::Environment {
public:
    void SetUp() override
    {
        const QString folder = qEnvironmentVariable("XDG_DATA_DIRS").split(u':').value(0);
        if (folder.isEmpty() || !QFileInfo(QStringLiteral("/usr/share/mime")).isDir())
            return;
        QDir().mkpath(folder);
        if (!QFileInfo::exists(folder + QStringLiteral("/mime")))
            QFile::link(QStringLiteral("/usr/share/mime"), folder + QStringLiteral("/mime"));
    }
};

inline const bool systemMimeDataRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new SystemMimeData);
    return true;
}();

} // namespace vantel::test
