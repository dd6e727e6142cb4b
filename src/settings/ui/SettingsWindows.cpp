#include "settings/ui/SettingsWindows.h"

#include "model/LocalizedStrings.h"
#include "platform/ui/UiCatalog.h"
#include "settings/ui/ConfigTabViewController_Settings.h"
#include "settings/ui/ConfigViewControllerHotkeyOverview.h"
#include "settings/ui/ConfigViewControllerInfo.h"
#include "settings/ui/ConfigViewControllerVersionedBackup.h"
#include "settings/ui/SettingsWindowController.h"
#include "settings/ui/VersionHistoryWindowContent.h"
#include "shell/VantelWindowEnum.h"

namespace vantel {

namespace {

using Kind = VantelWindowEnum::Kind;
using Frame = SettingsWindowController::Frame;

template <class Content>
void registerWindow(Kind kind, const QString& title, Frame frame)
{
    platform::UiCatalog& catalog = platform::UiCatalog::main();
    const QString file = VantelWindowEnum::getStoryBoardAsString(kind);
    const QString contentIdentifier = VantelWindowEnum::getViewControllerIdentifier(kind);
    catalog.registerFactory(file, contentIdentifier, [] { return std::make_shared<Content>(); });
    catalog.registerFactory(file, VantelWindowEnum::getWindowControllerIdentifier(kind), [kind, file, contentIdentifier,
                                                                                          title, frame] {
        std::shared_ptr<ViewController> content
            = platform::UiCatalog::main().instantiateAs<ViewController>(file, contentIdentifier);
        if (!content)
            return std::shared_ptr<SettingsWindowController>();
        auto controller = std::make_shared<SettingsWindowController>(std::move(content), title, frame);
        // The titled windows have no Cancel: Escape closes them, as the title
        // bar's button does (the frameless ones' panels close on it themselves).
        controller->window()->setClosesOnEscape(frame == Frame::titled);
        return controller;
    });
}

} // namespace

void registerSettingsWindows()
{
    registerWindow<ConfigTabViewController_Settings>(Kind::settings, localized("Preferences"), Frame::titled);
    registerWindow<ConfigViewControllerVersionedBackup>(Kind::versionedBackup,
                                                        localized("Save configuration (versioned)"), Frame::titled);
    registerWindow<ConfigViewControllerInfo>(Kind::info, localized("About Vantel"), Frame::frameless);
    registerWindow<ConfigViewControllerHotkeyOverview>(Kind::hotkeyOverview,
                                                       localized("Overview of keyboard shortcuts"), Frame::frameless);
    registerWindow<VersionHistoryWindowContent>(Kind::versionHistory, localized("What's new?"), Frame::frameless);
}

} // namespace vantel
