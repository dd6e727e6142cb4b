#include "platform/ui/UiCatalog.h"

#include <QDebug>

namespace vantel::platform {

namespace {

QString key(const QString& storyboard, const QString& identifier)
{
    return storyboard + QLatin1Char('\n') + identifier;
}

} // namespace

UiCatalog& UiCatalog::main()
{
    static UiCatalog* const instance = new UiCatalog();
    return *instance;
}

const QHash<QString, QStringList>& UiCatalog::interfaceFiles()
{
    static const QHash<QString, QStringList> files{
        {QStringLiteral("Main"),
         {QStringLiteral("MainWindowController"), QStringLiteral("MainViewController"),
          QStringLiteral("TableViewCellMainWindow_Default"), QStringLiteral("TableViewCellMainWindow_Small"),
          QStringLiteral("TableViewCellMainWindowBackground"), QStringLiteral("HeaderCell"),
          QStringLiteral("IconCell"),
          QStringLiteral("TableViewPopupViewController")}},
        {QStringLiteral("ConfigData"),
         {QStringLiteral("ConfigWindowController"), QStringLiteral("ConfigViewController"),
          QStringLiteral("TableViewCell_Config_Entry"), QStringLiteral("TableViewCell_Config_Tags"),
          QStringLiteral("TableViewCell_Config_Hotkey"), QStringLiteral("TableViewCell_Config_Comment")}},
        {QStringLiteral("ConfigSettings"),
         {QStringLiteral("ConfigWindowControllerGeneral"), QStringLiteral("ConfigTabViewController_Settings"),
          QStringLiteral("TableViewCellConfigSearchScope"), QStringLiteral("TableViewCellConfigSandboxAccess"),
          QStringLiteral("TableViewCellConfigURLTemplate")}},
        {QStringLiteral("DialogInfo"),
         {QStringLiteral("ConfigWindowControllerInfo"), QStringLiteral("ConfigViewControllerInfo")}},
        {QStringLiteral("DialogFirstRun"),
         {QStringLiteral("FirstRunWindowController"), QStringLiteral("FirstRunViewController"),
          QStringLiteral("FirstRunSheet1"), QStringLiteral("FirstRunSheet2")}},
        {QStringLiteral("ConfigTags"),
         {QStringLiteral("ConfigWindowControllerTags"), QStringLiteral("ConfigViewControllerTags"),
          QStringLiteral("TableViewCell_Config_EditTags"), QStringLiteral("TableViewCell_Config_EditTags_HotkeyView"),
          QStringLiteral("TableViewCell_Config_EditTags_HotkeyLaunchAll")}},
        {QStringLiteral("DialogVersionHistory"),
         {QStringLiteral("VersionHistoryWindowController"), QStringLiteral("VersionHistoryViewController")}},
        {QStringLiteral("DialogAddModifyURL"),
         {QStringLiteral("ConfigWindowControllerAddModifyURL"), QStringLiteral("ConfigViewControllerAddModifyURL")}},
        {QStringLiteral("DialogVersionedBackup"),
         {QStringLiteral("ConfigWindowControllerVersionedBackup"), QStringLiteral("ConfigViewControllerVersionedBackup"),
          QStringLiteral("CellCreated"), QStringLiteral("CellFilename")}},
        {QStringLiteral("DialogHotkeyOverview"),
         {QStringLiteral("ConfigWindowControllerHotkeyOverview"), QStringLiteral("ConfigViewControllerHotkeyOverview")}},
    };
    return files;
}

bool UiCatalog::hasStoryboard(const QString& storyboard)
{
    return interfaceFiles().contains(storyboard);
}

bool UiCatalog::hasIdentifier(const QString& storyboard, const QString& identifier)
{
    const auto file = interfaceFiles().constFind(storyboard);
    return file != interfaceFiles().constEnd() && file->contains(identifier);
}

bool UiCatalog::registerFactory(const QString& storyboard, const QString& identifier, Factory factory)
{
    if (!hasIdentifier(storyboard, identifier)) {
        qWarning().noquote() << "UiCatalog: no identifier" << identifier << "in" << storyboard;
        return false;
    }
    if (factory)
        factories_.insert(key(storyboard, identifier), std::move(factory));
    else
        factories_.remove(key(storyboard, identifier));
    return true;
}

bool UiCatalog::hasFactory(const QString& storyboard, const QString& identifier) const
{
    return factories_.contains(key(storyboard, identifier));
}

void UiCatalog::clear()
{
    factories_.clear();
}

std::shared_ptr<QObject> UiCatalog::instantiate(const QString& storyboard, const QString& identifier,
                                                Failure* failure) const
{
    if (failure)
        *failure = Failure::none;
    if (!hasStoryboard(storyboard)) {
        if (failure)
            *failure = Failure::unknownStoryboard;
        return nullptr;
    }
    const auto found = factories_.constFind(key(storyboard, identifier));
    // Copied: the factory may register others while it runs.
    const Factory factory = found != factories_.constEnd() ? *found : Factory();
    std::shared_ptr<QObject> object = factory ? factory() : nullptr;
    if (!object && failure)
        *failure = Failure::unknownIdentifier;
    return object;
}

QString UiCatalog::failureText(Failure failure)
{
    switch (failure) {
    case Failure::none: return QString();
    case Failure::unknownStoryboard: return QStringLiteral("no such interface file");
    case Failure::unknownIdentifier: return QStringLiteral("no such identifier");
    case Failure::wrongClass: return QStringLiteral("wrong class");
    }
    return QString();
}

} // namespace vantel::platform
