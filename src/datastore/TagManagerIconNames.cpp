#include "datastore/TagManager.h"

namespace vantel {

// The symbols a user can choose for a tag, in the order the icon choosers
// show them; the first is the default symbol.
void TagManager::fillIconNames()
{
    static const char* const catalogue[] = {
        "icon_tags", "icon_container", "icon_folder_bookmark", "icon_folder_home", "icon_folder_image",
        "icon_folder_heart", "icon_folder_edit", "icon_folder_exchange", "icon_folder_sync",
        "icon_folder_warning", "icon_folder_cash", "icon_folder_code", "icon_folder_lock",
        "icon_folder_archive", "icon_folder_share", "icon_folder_network", "icon_folder_media",
        "icon_folder_music", "icon_folder_download", "icon_folder_text", "icon_usb", "icon_code", "icon_zsh",
        "icon_code_1", "icon_code_2", "icon_code_3", "icon_code_4", "icon_code_5", "icon_code_6", "icon_code_7",
        "icon_code_8", "icon_code_9", "icon_code_10", "icon_code_11", "icon_code_12", "icon_code_13",
        "icon_code_14", "icon_code_15", "icon_window_network", "icon_window_cloud", "icon_window_mail",
        "icon_window_music", "icon_window_search", "icon_window_skull", "icon_window_sync", "icon_window_type",
        "icon_window_rss", "icon_window_edit", "icon_window_chart", "icon_app-window-download",
        "icon_app-window-heart", "icon_app-window-lock", "icon_app-window-search", "icon_app-window-settings",
        "icon_app-window-share", "icon_cloud", "icon_document", "icon_documents1", "icon_documents2",
        "icon_common-file-settings-1", "icon_common-file-text-check", "icon_common-file-text-edit",
        "icon_common-file-text-lock", "icon_common-file-text-search", "icon_common-file-text-warning",
        "icon_common-file-text", "icon_data-file-bars", "icon_data-file-graph", "icon_data-file-lock",
        "icon_data-file-star", "icon_file-zip-1", "icon_list-edit", "icon_list-to-do", "icon_office-file-doc",
        "icon_office-file-graph-alternate", "icon_office-file-hierarchy-alternate", "icon_office-file-pdf",
        "icon_office-file-sheet", "icon_office-file-text", "icon_office-file-txt", "icon_money_dollar",
        "icon_money_euro", "icon_money_bitcoin", "icon_money_bitcoin_chip", "icon_money_yen", "icon_edit",
        "icon_favs", "icon_game", "icon_video_game_control", "icon_paint", "icon_prefs1", "icon_prefs2",
        "icon_people", "icon_audio", "icon_video", "icon_url", "icon_social", "icon_movie", "icon_list",
        "icon_archive", "icon_documents3", "icon_meeting_1", "icon_meeting_2", "icon_office", "icon_todo",
        "icon_3D", "icon_smart_house", "icon_drive_2", "icon_performance", "icon_gauge_dashboard",
        "icon_browser_gauge", "icon_chart", "icon_presentations", "icon_storage", "icon_drive", "icon_backup",
        "icon_config", "icon_database", "icon_download", "icon_photo", "icon_chat", "icon_computer",
        "icon_image", "icon_image_2", "icon_apple", "icon_microsoft", "icon_accounting-calculator",
        "icon_accounting-invoice", "icon_browser-idea", "icon_bulb-1", "icon_monitor-programming-book",
        "icon_optimization-clock", "icon_programming-book", "icon_task-list-check-2", "icon_task-list-plain-1",
        "icon_task-list-text", "icon_team-share-idea", "icon_computer_ram", "icon_computer_chip",
        "icon_envelope", "icon_voice_id", "icon_login_keys", "icon_ai_brain",
    };
    for (const char* name : catalogue)
        iconNames_.append(QString::fromLatin1(name));
}

} // namespace vantel
