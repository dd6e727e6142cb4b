#include "platform/Bundle.h"

#include "platform/SymbolicImage.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QStandardPaths>

#include <mutex>
#include <string_view>
#include <utility>

namespace vantel::platform {

namespace {

// Each image name of the application and the freedesktop icon that shows it.
// An empty icon name means the bundle draws its own, as images/<name>.svg.
// Tag symbols are monochrome so that a tint shows, and no two of them share
// a picture.
constexpr std::pair<std::string_view, std::string_view> imageTable[] = {
    // The status item's four pictures: the bundle's own, in colour, so they
    // read on light and dark panels alike.
    {"statusbar-1", ""},
    {"statusbar-2", ""},
    {"statusbar-3", ""},
    {"statusbar-4", ""},
    // Entries that cannot be used, and URL entries by scheme.
    {"unkownObject", "question"},
    {"url_Custom", "link"},
    {"url_HTTPs", "globe"},
    {"url_Shortcuts", "system-run"},
    {"url_KeyboardMaestro", "input-keyboard"},
    {"url_Mail", "mail-message"},
    {"url_Things", "view-task"},
    {"url_Ulysses", "document-edit"},
    {"url_DevonThink", "folder-documents"},
    {"url_Craft", "note"},
    {"url_Drafts", "document-new"},
    {"icon_folder", "folder"},
    {"icon_tags", "tag"},
    // The entry list: the plate behind a tag's symbol, the badge of a tag
    // that opens all its entries, and the dot under a running application.
    {"tag_Background", ""},
    {"overlay_Execute", ""},
    {"status_AppActive", ""},
    // A path that cannot be reached, and a URL no application opens.
    {"status_unknown", "emblem-question"},
    {"toolbar_question", "dialog-question"},
    // The sidebar's categories.
    {"icon_allApplications", "view-list-icons"},
    {"icon_allFolders", "folder-open"},
    {"icon_allFiles", "document-multiple"},
    {"icon_allFavorites", "favorite"},
    {"icon_recentApplications", "document-open-recent"},
    {"icon_openApplications", "window"},
    {"icon_shortcuts", "system-run"},
    {"icon_container", "archive-insert"},
    {"icon_folder_bookmark", "folder-bookmark"},
    {"icon_folder_home", "user-home"},
    {"icon_folder_image", "folder-image"},
    {"icon_folder_heart", "love"},
    {"icon_folder_edit", "folder-notes"},
    {"icon_folder_exchange", "folder-remote"},
    {"icon_folder_sync", "folder-sync"},
    {"icon_folder_warning", "folder-important"},
    {"icon_folder_cash", "folder-calculate"},
    {"icon_folder_code", "folder-development"},
    {"icon_folder_lock", "folder-locked"},
    {"icon_folder_archive", "folder-tar"},
    {"icon_folder_share", "folder-publicshare"},
    {"icon_folder_network", "folder-network"},
    {"icon_folder_media", "folder-videos"},
    {"icon_folder_music", "folder-music"},
    {"icon_folder_download", "folder-download"},
    {"icon_folder_text", "folder-text"},
    {"icon_usb", "drive-removable-media-usb"},
    {"icon_code", "code-context"},
    {"icon_zsh", ""},
    {"icon_code_1", "code-block"},
    {"icon_code_2", "code-class"},
    {"icon_code_3", "code-function"},
    {"icon_code_4", "code-typedef"},
    {"icon_code_5", "code-variable"},
    {"icon_code_6", "debug-run"},
    {"icon_code_7", "run-build"},
    {"icon_code_8", "format-text-code"},
    {"icon_code_9", "format-indent-more"},
    {"icon_code_10", "format-indent-less"},
    {"icon_code_11", "run-build-configure"},
    {"icon_code_12", "project-development"},
    {"icon_code_13", "vcs-diff"},
    {"icon_code_14", "vcs-merge"},
    {"icon_code_15", "vcs-commit"},
    {"icon_window_network", "network-wired"},
    {"icon_window_cloud", "cloud-upload"},
    {"icon_window_mail", "mail-message"},
    {"icon_window_music", "music-note-16th"},
    {"icon_window_search", "edit-find"},
    {"icon_window_skull", "crosshairs"},
    {"icon_window_sync", "view-refresh"},
    {"icon_window_type", "format-text-bold"},
    {"icon_window_rss", "rss"},
    {"icon_window_edit", "document-edit"},
    {"icon_window_chart", "office-chart-line"},
    {"icon_app-window-download", "download"},
    {"icon_app-window-heart", ""},
    {"icon_app-window-lock", "system-lock-screen"},
    {"icon_app-window-search", "file-zoom-in"},
    {"icon_app-window-settings", "configure"},
    {"icon_app-window-share", "document-share"},
    {"icon_cloud", ""},
    {"icon_document", "document-single"},
    {"icon_documents1", "document-multiple"},
    {"icon_documents2", "window-duplicate"},
    {"icon_common-file-settings-1", "document-properties"},
    {"icon_common-file-text-check", ""},
    {"icon_common-file-text-edit", "document-edit-sign"},
    {"icon_common-file-text-lock", "auth-sim-locked"},
    {"icon_common-file-text-search", "document-preview-archive"},
    {"icon_common-file-text-warning", ""},
    {"icon_common-file-text", "text-plain"},
    {"icon_data-file-bars", "office-chart-bar"},
    {"icon_data-file-graph", "office-chart-area"},
    {"icon_data-file-lock", ""},
    {"icon_data-file-star", "rating"},
    {"icon_file-zip-1", "archive-extract"},
    {"icon_list-edit", "view-list-details"},
    {"icon_list-to-do", "view-task"},
    {"icon_office-file-doc", "office-report"},
    {"icon_office-file-graph-alternate", "office-chart-pie"},
    {"icon_office-file-hierarchy-alternate", "view-list-tree"},
    {"icon_office-file-pdf", "viewpdf"},
    {"icon_office-file-sheet", ""},
    {"icon_office-file-text", ""},
    {"icon_office-file-txt", "note"},
    {"icon_money_dollar", ""},
    {"icon_money_euro", ""},
    {"icon_money_bitcoin", ""},
    {"icon_money_bitcoin_chip", ""},
    {"icon_money_yen", ""},
    {"icon_edit", "draw-freehand"},
    {"icon_favs", "bookmarks"},
    {"icon_game", ""},
    {"icon_video_game_control", "input-gamepad"},
    {"icon_paint", "draw-brush"},
    {"icon_prefs1", ""},
    {"icon_prefs2", "preferences-other"},
    {"icon_people", "system-users"},
    {"icon_audio", "audio-volume-high"},
    {"icon_video", "video-television"},
    {"icon_url", "edit-link"},
    {"icon_social", "im-user"},
    {"icon_movie", "media-playback-start"},
    {"icon_list", "view-list-text"},
    {"icon_archive", "archive-insert-directory"},
    {"icon_documents3", "document-open-folder"},
    {"icon_meeting_1", ""},
    {"icon_meeting_2", "meeting-organizer"},
    {"icon_office", "folder-presentation"},
    {"icon_todo", "checkbox"},
    {"icon_3D", "draw-cuboid"},
    {"icon_smart_house", "go-home"},
    {"icon_drive_2", "drive-harddisk"},
    {"icon_performance", "speedometer"},
    {"icon_gauge_dashboard", ""},
    {"icon_browser_gauge", ""},
    {"icon_chart", "office-chart-scatter"},
    {"icon_presentations", "view-presentation"},
    {"icon_storage", "database-index"},
    {"icon_drive", ""},
    {"icon_backup", "backup"},
    {"icon_config", "configure-shortcuts"},
    {"icon_database", "network-server-database"},
    {"icon_download", "document-save"},
    {"icon_photo", "camera-photo"},
    {"icon_chat", "dialog-messages"},
    {"icon_computer", "computer"},
    {"icon_image", "viewimage"},
    {"icon_image_2", "insert-image"},
    {"icon_apple", ""},
    {"icon_microsoft", ""},
    {"icon_accounting-calculator", ""},
    {"icon_accounting-invoice", ""},
    {"icon_browser-idea", "help-hint"},
    {"icon_bulb-1", ""},
    {"icon_monitor-programming-book", "help-contents"},
    {"icon_optimization-clock", "clock"},
    {"icon_programming-book", ""},
    {"icon_task-list-check-2", "task-complete"},
    {"icon_task-list-plain-1", "format-list-unordered"},
    {"icon_task-list-text", "format-list-ordered"},
    {"icon_team-share-idea", "user-group-properties"},
    {"icon_computer_ram", ""},
    {"icon_computer_chip", ""},
    {"icon_envelope", "mail-unread-new"},
    {"icon_voice_id", "audio-input-microphone"},
    {"icon_login_keys", "dialog-password"},
    {"icon_ai_brain", ""},
};

std::optional<std::string_view> themeNameFor(const QString& name)
{
    const QByteArray key = name.toUtf8();
    const std::string_view wanted(key.constData(), static_cast<size_t>(key.size()));
    for (const auto& [image, theme] : imageTable) {
        if (image == wanted)
            return theme;
    }
    return std::nullopt;
}

// Makes Breeze the theme of last resort. Without a desktop's platform theme
// (offscreen, a bare X session) Qt knows neither a theme nor the system's
// icon folders, so those are added too.
void useBreezeAsFallback()
{
    QStringList paths = QIcon::themeSearchPaths();
    QStringList wanted = QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                                   QStandardPaths::LocateDirectory);
    wanted << QDir::homePath() + QStringLiteral("/.icons") << QStringLiteral("/usr/share/icons");
    for (const QString& path : wanted) {
        if (!paths.contains(path) && QFileInfo(path).isDir())
            paths << path;
    }
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(QStringLiteral("breeze"));
    else
        QIcon::setFallbackThemeName(QStringLiteral("breeze"));
}

// Breeze draws its icons in one colour at 16 and 22 pixels and in colour
// above; the single-colour vectors scale cleanly to any size and take a tint.
QString breezeSingleColour(const QString& themeName)
{
    static const char* const contexts[] = {"actions", "places", "devices", "status", "apps", "categories",
                                           "emblems", "mimetypes", "preferences", "emotes", "applets"};
    static const char* const sizes[] = {"22", "16", "24"};
    for (const QString& root : QIcon::themeSearchPaths()) {
        const QString theme = root + QStringLiteral("/breeze/");
        if (!QFileInfo(theme).isDir())
            continue;
        for (const char* size : sizes) {
            for (const char* context : contexts) {
                const QString file = theme + QLatin1String(context) + u'/' + QLatin1String(size) + u'/' + themeName
                    + QStringLiteral(".svg");
                if (QFileInfo::exists(file))
                    return file;
            }
        }
    }
    return {};
}

// The named images take a tint, so they must be drawn in one colour. The
// user's own theme goes first with its symbolic icon, or its plain one when
// that is single-colour too; Breeze's single-colour one after it. A theme
// with only a full-colour icon gives way to Breeze or the bundle's own
// picture (`bundled`), and is used only when neither has one.
QIcon themeIcon(const QString& themeName, bool bundled)
{
    Bundle::setUpIconThemes();
    QIcon fullColour;
    if (QIcon::themeName() != QLatin1String("breeze")) {
        if (QIcon::hasThemeIcon(themeName + QStringLiteral("-symbolic")))
            return QIcon::fromTheme(themeName + QStringLiteral("-symbolic"));
        QIcon icon = QIcon::fromTheme(themeName);
        if (!icon.isNull() && isSymbolicImage(icon))
            return icon;
        fullColour = icon;
    }
    const QString file = breezeSingleColour(themeName);
    if (!file.isEmpty())
        return QIcon(file);
    if (bundled)
        return {};
    if (!fullColour.isNull())
        return fullColour;
    return QIcon::fromTheme(themeName);
}

} // namespace

void Bundle::setUpIconThemes()
{
    static std::once_flag fallback;
    std::call_once(fallback, useBreezeAsFallback);
}

std::optional<QIcon> Bundle::imageNamed(const QString& name) const
{
    const std::optional<std::string_view> theme = themeNameFor(name);
    if (!theme)
        return std::nullopt;
    if (!theme->empty()) {
        // Found once per name: the lists ask for the same symbols on every paint.
        static std::mutex mutex;
        static QHash<QString, QIcon> found;
        std::lock_guard lock(mutex);
        auto it = found.constFind(name);
        if (it == found.constEnd()) {
            const QString themeName = QString::fromLatin1(theme->data(), static_cast<qsizetype>(theme->size()));
            const bool bundled = pathForResource(name, QStringLiteral("svg"), QStringLiteral("images")).has_value();
            it = found.insert(name, themeIcon(themeName, bundled));
        }
        if (!it->isNull())
            return *it;
    }
    const std::optional<QString> path = pathForResource(name, QStringLiteral("svg"), QStringLiteral("images"));
    if (!path)
        return std::nullopt;
    QIcon icon(*path);
    if (icon.isNull())
        return std::nullopt;
    return icon;
}

} // namespace vantel::platform
