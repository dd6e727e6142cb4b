#include "config/ExportImportData.h"

#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <mutex>

namespace vantel {

namespace {

QVariant dataOrNull(const std::optional<QByteArray>& data)
{
    return data ? QVariant(*data) : QVariant();
}

} // namespace

QString ExportImportData::archiveName()
{
    return QStringLiteral("Vantel.ExportImportData");
}

QString ExportImportData::archiveClassName() const
{
    return archiveName();
}

void ExportImportData::registerArchiveClass()
{
    static std::once_flag once;
    std::call_once(once, [] {
        platform::KeyedUnarchiver::registerClass(archiveName(), [](platform::KeyedUnarchiver& coder) {
            return platform::ArchivablePtr(initWithCoder(coder));
        });
    });
}

void ExportImportData::encode(platform::KeyedArchiver& coder) const
{
    // The order of the keys is the file's documented order.
    coder.encodeObject(dataOrNull(allDataArchive), QStringLiteral("allDataArchive"));
    coder.encodeObject(dataOrNull(allTagsArchive), QStringLiteral("tagArchive"));
    coder.encodeObject(dataOrNull(urlTemplateArchive), QStringLiteral("urlTemplateArchive"));
    coder.encodeObject(dataOrNull(globalKeyCombo), QStringLiteral("globalKeyCombo"));
    coder.encodeInteger(windowViewStyle, QStringLiteral("windowViewStyle"));
    coder.encodeInteger(clickType, QStringLiteral("clickType"));
    coder.encodeBool(mainPopoverAnimated, QStringLiteral("mainPopoverAnimated"));
    coder.encodeObject(alternateFolderBrowser, QStringLiteral("alternateFolderBrowser"));
    coder.encodeObject(customSpotlightSearchScope, QStringLiteral("customSpotlightSearchScope"));
    coder.encodeBool(searchForComments, QStringLiteral("searchForComments"));
    coder.encodeBool(searchForTags, QStringLiteral("searchForTags"));
    coder.encodeBool(selectingTagsInMainWindowLaunchAll, QStringLiteral("selectingTagsInMainWindowLaunchAll"));
    coder.encodeFloat(entryBackgroundAlphaValue, QStringLiteral("entryBackgroundAlphaValue"));
    coder.encodeBool(useSmallModeInMainView, QStringLiteral("useSmallModeInMainView"));
    coder.encodeBool(showPathInMainView, QStringLiteral("showPathInMainView"));
    coder.encodeBool(hotkeyBorder, QStringLiteral("hotkeyBorder"));
    coder.encodeBool(translucentBackgroundRight, QStringLiteral("translucentBackgroundRight"));
    coder.encodeObject(MainWindowWidths::rawValue(mainWindowWidth), QStringLiteral("mainWindowWidth"));
    coder.encodeObject(MainWindowHeights::rawValue(mainWindowHeight), QStringLiteral("mainWindowHeight"));
}

std::shared_ptr<ExportImportData> ExportImportData::initWithCoder(platform::KeyedUnarchiver& coder)
{
    auto object = std::make_shared<ExportImportData>();
    object->allDataArchive = coder.decodeData(QStringLiteral("allDataArchive"));
    object->allTagsArchive = coder.decodeData(QStringLiteral("tagArchive"));
    object->urlTemplateArchive = coder.decodeData(QStringLiteral("urlTemplateArchive"));
    object->globalKeyCombo = coder.decodeData(QStringLiteral("globalKeyCombo"));
    object->windowViewStyle = coder.decodeInteger(QStringLiteral("windowViewStyle"));
    object->clickType = coder.decodeInteger(QStringLiteral("clickType"));
    object->mainPopoverAnimated = coder.decodeBool(QStringLiteral("mainPopoverAnimated"));
    object->alternateFolderBrowser = coder.decodeString(QStringLiteral("alternateFolderBrowser")).value_or(QString());
    object->customSpotlightSearchScope.clear();
    if (const auto array = coder.decodeArray(QStringLiteral("customSpotlightSearchScope"))) {
        QStringList scope;
        bool allStrings = true;
        for (const QVariant& element : *array) {
            if (element.metaType() != QMetaType::fromType<QString>()) {
                allStrings = false;
                break;
            }
            scope.append(element.toString());
        }
        if (allStrings)
            object->customSpotlightSearchScope = scope;
    }
    object->searchForComments = coder.decodeBool(QStringLiteral("searchForComments"));
    object->searchForTags = coder.decodeBool(QStringLiteral("searchForTags"));
    object->selectingTagsInMainWindowLaunchAll = coder.decodeBool(QStringLiteral("selectingTagsInMainWindowLaunchAll"));
    object->entryBackgroundAlphaValue = coder.decodeFloat(QStringLiteral("entryBackgroundAlphaValue"));
    object->useSmallModeInMainView = coder.decodeBool(QStringLiteral("useSmallModeInMainView"));
    object->showPathInMainView = coder.decodeBool(QStringLiteral("showPathInMainView"));
    object->hotkeyBorder = coder.decodeBool(QStringLiteral("hotkeyBorder"));
    object->translucentBackgroundRight = coder.decodeBool(QStringLiteral("translucentBackgroundRight"));
    object->mainWindowWidth = MainWindowWidths::fromStoredValue(coder.decodeString(QStringLiteral("mainWindowWidth")));
    object->mainWindowHeight = MainWindowHeights::fromStoredValue(coder.decodeString(QStringLiteral("mainWindowHeight")));
    return object;
}

} // namespace vantel
