#include "config/SystemConfiguration.h"

#include "platform/MainQueue.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "platform/XdgPaths.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>

namespace vantel {

namespace {

QString describe(const QVariant& value)
{
    return value.isValid() ? QString::fromLatin1(value.metaType().name()) + QLatin1Char(':') + value.toString() : QString();
}

} // namespace

SystemConfiguration& SystemConfiguration::shared()
{
    static SystemConfiguration* instance = new SystemConfiguration(globalDomainFilePath());
    return *instance;
}

QString SystemConfiguration::globalDomainFilePath()
{
    return QFileInfo(platform::XdgPaths::settingsFile()).absolutePath() + QStringLiteral("/GlobalPreferences.plist");
}

SystemConfiguration::SystemConfiguration(const QString& globalDomainFile)
    : defaults_(std::make_unique<platform::UserDefaults>(globalDomainFile))
{
    lastValue_ = describe(defaults_->objectForKey(tableViewDefaultSizeModeKey));
    // The watcher lives on the main thread, so observers that redraw are
    // called there whoever created this object.
    platform::MainQueue::sync([this] { watch(); });
}

SystemConfiguration::~SystemConfiguration()
{
    platform::MainQueue::sync([this] { watcher_.reset(); });
}

void SystemConfiguration::watch()
{
    watcher_ = std::make_unique<QFileSystemWatcher>();
    const QFileInfo file(defaults_->filePath());
    // The folder too: the file is replaced, not rewritten, and may not exist yet.
    watcher_->addPath(file.absolutePath());
    if (file.exists())
        watcher_->addPath(file.absoluteFilePath());
    const auto changed = [this] { fileChanged(); };
    QObject::connect(watcher_.get(), &QFileSystemWatcher::fileChanged, watcher_.get(), changed);
    QObject::connect(watcher_.get(), &QFileSystemWatcher::directoryChanged, watcher_.get(), changed);
}

void SystemConfiguration::fileChanged()
{
    const QFileInfo file(defaults_->filePath());
    if (file.exists() && !watcher_->files().contains(file.absoluteFilePath()))
        watcher_->addPath(file.absoluteFilePath());
    defaults_->reload();
    const QString value = describe(defaults_->objectForKey(tableViewDefaultSizeModeKey));
    if (value == lastValue_)
        return;
    lastValue_ = value;
    updateSidebarSize();
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("systemSidebarSizeChanged"));
}

SidebarSize SystemConfiguration::readSidebarSizeMode() const
{
    const QVariant value = defaults_->objectForKey(tableViewDefaultSizeModeKey);
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const qint64 v = value.toLongLong();
        if (v >= 1 && v <= 3)
            return SidebarSize(v - 1);
        break;
    }
    default:
        break;
    }
    return SidebarSize::medium;
}

SidebarSize SystemConfiguration::updateSidebarSize()
{
    const SidebarSize size = readSidebarSizeMode();
    sidebarSize_.store(size);
    switch (size) {
    case SidebarSize::small:
        sidebarIconSize_.store(16.0);
        sidebarRowHeight_.store(24.0);
        sidebarTextSize_.store(11.0);
        break;
    case SidebarSize::medium:
        sidebarIconSize_.store(18.0);
        sidebarRowHeight_.store(28.0);
        sidebarTextSize_.store(13.0);
        break;
    case SidebarSize::large:
        sidebarIconSize_.store(20.0);
        sidebarRowHeight_.store(32.0);
        sidebarTextSize_.store(15.0);
        break;
    }
    return size;
}

} // namespace vantel
