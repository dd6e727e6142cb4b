#include "config/FirstRunConfig.h"

#include "datastore/DataStorage.h"
#include "model/L10n.h"
#include "config/Configuration.h"

#include <QFileInfo>
#include <QHash>

namespace vantel {

namespace {

struct Preset {
    const QString& (*tag)();
    QStringList applicationNames;   // "/Applications/" + name + ".app"
    QStringList paths;              // given in full
    QStringList desktopIDs;         // the Linux applications of the same kind
};

QStringList systemUtilities()
{
    return {QStringLiteral("Activity Monitor"), QStringLiteral("AirPort Utility"), QStringLiteral("Audio MIDI Setup"),
            QStringLiteral("Bluetooth File Exchange"), QStringLiteral("Boot Camp Assistant"),
            QStringLiteral("ColorSync Utility"), QStringLiteral("Console"), QStringLiteral("Digital Color Meter"),
            QStringLiteral("Disk Utility"), QStringLiteral("Grapher"), QStringLiteral("Keychain Access"),
            QStringLiteral("Migration Assistant"), QStringLiteral("Screenshot"), QStringLiteral("Script Editor"),
            QStringLiteral("System Information"), QStringLiteral("Terminal"), QStringLiteral("VoiceOver Utility")};
}

const QString& toolsSystemTag()
{
    static const QString tag = L10n::predefinedTag_Tools() + QStringLiteral("|System");
    return tag;
}

QList<Preset> presets()
{
    QStringList toolsApplePaths;
    for (const QString& root : {QStringLiteral("/Applications/"), QStringLiteral("/System/Applications/")}) {
        for (const QString& name : {QStringLiteral("App Store"), QStringLiteral("Automator"), QStringLiteral("Calculator")})
            toolsApplePaths.append(root + name + QStringLiteral(".app"));
        for (const QString& name : systemUtilities())
            toolsApplePaths.append(root + QStringLiteral("Utilities/") + name + QStringLiteral(".app"));
    }
    QStringList officeSystem;
    for (const QString& name : {QStringLiteral("Calendar"), QStringLiteral("Contacts"), QStringLiteral("Mail"), QStringLiteral("Maps")})
        officeSystem.append(QStringLiteral("/System/Applications/") + name + QStringLiteral(".app"));

    return {
        {&L10n::predefinedTag_Office,
         {QStringLiteral("Calcbot"), QStringLiteral("Calendar"), QStringLiteral("Cardhop"), QStringLiteral("Contacts"),
          QStringLiteral("Curio"), QStringLiteral("DEVONthink 3"), QStringLiteral("Diagrammix"), QStringLiteral("Diagrams"),
          QStringLiteral("Fantastical 2"), QStringLiteral("GoodNotes"), QStringLiteral("HoudahSpot"), QStringLiteral("Mail"),
          QStringLiteral("Maps"), QStringLiteral("Marked 2"), QStringLiteral("Mellel 4"), QStringLiteral("Mellel 5"),
          QStringLiteral("MindNode"), QStringLiteral("MoneyMoney"), QStringLiteral("Notes"), QStringLiteral("PDF Expert"),
          QStringLiteral("Soulver 3"), QStringLiteral("Things3")},
         officeSystem,
         {QStringLiteral("libreoffice-startcenter.desktop"), QStringLiteral("libreoffice-writer.desktop"),
          QStringLiteral("libreoffice-calc.desktop"), QStringLiteral("libreoffice-impress.desktop"),
          QStringLiteral("libreoffice-draw.desktop"), QStringLiteral("libreoffice-base.desktop"),
          QStringLiteral("libreoffice-math.desktop"), QStringLiteral("onlyoffice-desktopeditors.desktop"),
          QStringLiteral("org.kde.calligrawords.desktop"), QStringLiteral("org.kde.calligrasheets.desktop"),
          QStringLiteral("org.kde.calligrastage.desktop"), QStringLiteral("abiword.desktop"),
          QStringLiteral("gnumeric.desktop"), QStringLiteral("thunderbird.desktop"),
          QStringLiteral("org.mozilla.Thunderbird.desktop"), QStringLiteral("org.gnome.Evolution.desktop"),
          QStringLiteral("org.gnome.Geary.desktop"), QStringLiteral("claws-mail.desktop"),
          QStringLiteral("org.kde.kmail2.desktop"), QStringLiteral("org.kde.kontact.desktop"),
          QStringLiteral("org.kde.korganizer.desktop"), QStringLiteral("org.kde.kaddressbook.desktop"),
          QStringLiteral("org.gnome.Calendar.desktop"), QStringLiteral("org.gnome.Contacts.desktop"),
          QStringLiteral("org.gnome.Maps.desktop"), QStringLiteral("org.kde.marble.desktop"),
          QStringLiteral("org.gnome.Evince.desktop"), QStringLiteral("org.gnome.Papers.desktop"),
          QStringLiteral("org.kde.okular.desktop"), QStringLiteral("atril.desktop"),
          QStringLiteral("org.xfce.orage.desktop"), QStringLiteral("gnucash.desktop"),
          QStringLiteral("org.kde.kmymoney.desktop"), QStringLiteral("homebank.desktop"),
          QStringLiteral("org.gnome.Notes.desktop"), QStringLiteral("org.kde.calligraflow.desktop")}},
        {&L10n::predefinedTag_Office_Apple, {QStringLiteral("Keynote"), QStringLiteral("Numbers"), QStringLiteral("Pages")}, {}, {}},
        {&L10n::predefinedTag_Office_Microsoft,
         {QStringLiteral("Microsoft Excel"), QStringLiteral("Microsoft OneNote"), QStringLiteral("Microsoft Outlook"),
          QStringLiteral("Microsoft PowerPoint"), QStringLiteral("Microsoft Word")},
         {},
         {}},
        {&L10n::predefinedTag_Development,
         {QStringLiteral("CodeRunner"), QStringLiteral("PyCharm"), QStringLiteral("Xcode")},
         {},
         {QStringLiteral("code.desktop"), QStringLiteral("codium.desktop"), QStringLiteral("org.kde.kdevelop.desktop"),
          QStringLiteral("org.gnome.Builder.desktop"), QStringLiteral("org.qt-project.qtcreator.desktop"),
          QStringLiteral("eclipse.desktop"), QStringLiteral("geany.desktop"), QStringLiteral("org.geany.Geany.desktop"),
          QStringLiteral("pycharm-community.desktop"), QStringLiteral("codeblocks.desktop"),
          QStringLiteral("lazarus.desktop"), QStringLiteral("anjuta.desktop")}},
        {&L10n::predefinedTag_Development_Tools,
         {QStringLiteral("Cocoa JSON Editor"), QStringLiteral("Dash"), QStringLiteral("Fork"), QStringLiteral("Kite"),
          QStringLiteral("SnippetsLab")},
         {},
         {QStringLiteral("org.gnome.meld.desktop"), QStringLiteral("org.gnome.gitg.desktop"),
          QStringLiteral("git-cola.desktop"), QStringLiteral("org.kde.kompare.desktop"),
          QStringLiteral("org.gnome.Devhelp.desktop"), QStringLiteral("sqlitebrowser.desktop"),
          QStringLiteral("org.wireshark.Wireshark.desktop"), QStringLiteral("org.gnome.GHex.desktop"),
          QStringLiteral("org.kde.okteta.desktop"), QStringLiteral("org.kde.umbrello.desktop"),
          QStringLiteral("d-feet.desktop"), QStringLiteral("org.gnome.dfeet.desktop"),
          QStringLiteral("zeal.desktop"), QStringLiteral("org.zealdocs.zeal.desktop")}},
        {&L10n::predefinedTag_Graphics,
         {QStringLiteral("Acorn"), QStringLiteral("Affinity Designer"), QStringLiteral("Affinity Photo"),
          QStringLiteral("Affinity Publisher"), QStringLiteral("Alfred 4"), QStringLiteral("Amberlight 2"),
          QStringLiteral("Art Text 3"), QStringLiteral("Art Text 4"), QStringLiteral("Artistry Photo Pro"),
          QStringLiteral("Aurora HDR 2019"), QStringLiteral("Blender"), QStringLiteral("CameraBag Pro"),
          QStringLiteral("Flame Painter 4"), QStringLiteral("Flare 2"), QStringLiteral("FotoMagico 5"),
          QStringLiteral("GraphicConverter 11"), QStringLiteral("Logoist 3"), QStringLiteral("Logoist 4"),
          QStringLiteral("Luminar 3"), QStringLiteral("Luminar 4"), QStringLiteral("Luminar Flex"),
          QStringLiteral("Pixelmator Pro")},
         {},
         {QStringLiteral("gimp.desktop"), QStringLiteral("org.gimp.GIMP.desktop"),
          QStringLiteral("org.inkscape.Inkscape.desktop"), QStringLiteral("inkscape.desktop"),
          QStringLiteral("org.kde.krita.desktop"), QStringLiteral("blender.desktop"), QStringLiteral("darktable.desktop"),
          QStringLiteral("org.darktable.darktable.desktop"), QStringLiteral("rawtherapee.desktop"),
          QStringLiteral("org.gnome.Shotwell.desktop"), QStringLiteral("org.kde.digikam.desktop"),
          QStringLiteral("org.kde.showfoto.desktop"), QStringLiteral("org.kde.gwenview.desktop"),
          QStringLiteral("org.gnome.eog.desktop"), QStringLiteral("org.gnome.Loupe.desktop"),
          QStringLiteral("org.xfce.ristretto.desktop"), QStringLiteral("org.kde.kolourpaint.desktop"),
          QStringLiteral("mypaint.desktop"), QStringLiteral("scribus.desktop"), QStringLiteral("hugin.desktop"),
          QStringLiteral("luminance-hdr.desktop"), QStringLiteral("com.github.PintaProject.Pinta.desktop"),
          QStringLiteral("pinta.desktop"), QStringLiteral("org.kde.karbon.desktop"),
          QStringLiteral("fontforge.desktop"), QStringLiteral("synfig.desktop")}},
        {&L10n::predefinedTag_Tools,
         {QStringLiteral("1Password 7"), QStringLiteral("1Password"), QStringLiteral("A Better Finder Rename 11"),
          QStringLiteral("Amphetamine"), QStringLiteral("Archiver"), QStringLiteral("AutoMounter"),
          QStringLiteral("BetterZip"), QStringLiteral("BresinkSoftwareUpdater"), QStringLiteral("ChronoSync"),
          QStringLiteral("CleanMyDrive 2"), QStringLiteral("Cyberduck"), QStringLiteral("DaisyDisk"),
          QStringLiteral("DropDMG"), QStringLiteral("Droplr"), QStringLiteral("EasyFind"), QStringLiteral("EtreCheckPro"),
          QStringLiteral("Exporter for Contacts"), QStringLiteral("File Multi Tool 6"), QStringLiteral("ForkLift"),
          QStringLiteral("iTerm"), QStringLiteral("Keyboard Maestro"), QStringLiteral("Path Finder")},
         {},
         {QStringLiteral("org.keepassxc.KeePassXC.desktop"), QStringLiteral("keepassxc.desktop"),
          QStringLiteral("org.kde.krename.desktop"), QStringLiteral("filezilla.desktop"),
          QStringLiteral("bleachbit.desktop"), QStringLiteral("org.bleachbit.BleachBit.desktop"),
          QStringLiteral("io.github.cboxdoerfer.FSearch.desktop"), QStringLiteral("doublecmd.desktop"),
          QStringLiteral("org.kde.krusader.desktop"), QStringLiteral("com.gexperts.Tilix.desktop"),
          QStringLiteral("terminator.desktop"), QStringLiteral("org.kde.yakuake.desktop"), QStringLiteral("guake.desktop"),
          QStringLiteral("Alacritty.desktop"), QStringLiteral("kitty.desktop"), QStringLiteral("debian-xterm.desktop"),
          QStringLiteral("debian-uxterm.desktop"), QStringLiteral("xarchiver.desktop"), QStringLiteral("peazip.desktop"),
          QStringLiteral("org.kde.kgpg.desktop"), QStringLiteral("gufw.desktop"), QStringLiteral("stacer.desktop")}},
        {&L10n::predefinedTag_Tools_Apple, {}, toolsApplePaths, {}},
        // The desktop's own utilities, named for what they are rather than
        // after the maker of the Mac ones.
        {&toolsSystemTag,
         {},
         {},
         {QStringLiteral("org.gnome.Terminal.desktop"), QStringLiteral("org.gnome.Console.desktop"),
          QStringLiteral("org.kde.konsole.desktop"), QStringLiteral("xfce4-terminal.desktop"),
          QStringLiteral("org.gnome.SystemMonitor.desktop"), QStringLiteral("gnome-system-monitor.desktop"),
          QStringLiteral("org.kde.plasma-systemmonitor.desktop"), QStringLiteral("org.kde.ksysguard.desktop"),
          QStringLiteral("xfce4-taskmanager.desktop"), QStringLiteral("org.gnome.DiskUtility.desktop"),
          QStringLiteral("org.kde.partitionmanager.desktop"), QStringLiteral("gparted.desktop"),
          QStringLiteral("org.gnome.Calculator.desktop"), QStringLiteral("org.kde.kcalc.desktop"),
          QStringLiteral("galculator.desktop"), QStringLiteral("org.gnome.Screenshot.desktop"),
          QStringLiteral("org.kde.spectacle.desktop"), QStringLiteral("xfce4-screenshooter.desktop"),
          QStringLiteral("org.gnome.Settings.desktop"), QStringLiteral("gnome-control-center.desktop"),
          QStringLiteral("systemsettings.desktop"), QStringLiteral("xfce-settings-manager.desktop"),
          QStringLiteral("org.gnome.seahorse.Application.desktop"), QStringLiteral("org.kde.kwalletmanager5.desktop"),
          QStringLiteral("org.gnome.Logs.desktop"), QStringLiteral("org.kde.kinfocenter.desktop"),
          QStringLiteral("org.gnome.Software.desktop"), QStringLiteral("org.kde.discover.desktop"),
          QStringLiteral("synaptic.desktop"), QStringLiteral("org.gnome.FileRoller.desktop"),
          QStringLiteral("org.kde.ark.desktop"), QStringLiteral("engrampa.desktop"),
          QStringLiteral("org.gnome.baobab.desktop"), QStringLiteral("org.kde.filelight.desktop"),
          QStringLiteral("org.gnome.font-viewer.desktop"), QStringLiteral("org.gnome.Characters.desktop"),
          QStringLiteral("org.gnome.tweaks.desktop"), QStringLiteral("org.xfce.Catfish.desktop"),
          QStringLiteral("xfce4-appfinder.desktop"), QStringLiteral("org.gnome.Extensions.desktop"),
          QStringLiteral("org.kde.kcharselect.desktop"), QStringLiteral("org.kde.kfind.desktop")}},
        {&L10n::predefinedTag_Webdesign,
         {QStringLiteral("Blocs"), QStringLiteral("Hype4"), QStringLiteral("MAMP PRO"), QStringLiteral("RapidWeaver 8"),
          QStringLiteral("RapidWeaver"), QStringLiteral("Sparkle")},
         {QStringLiteral("/Applications/MAMP/MAMP.app")},
         {QStringLiteral("bluefish.desktop"), QStringLiteral("sigil.desktop"), QStringLiteral("com.sigil_ebook.Sigil.desktop")}},
        {&L10n::predefinedTag_Video,
         {QStringLiteral("Final Cut Pro"), QStringLiteral("Motion"), QStringLiteral("iMovie")},
         {},
         {QStringLiteral("org.kde.kdenlive.desktop"), QStringLiteral("org.shotcut.Shotcut.desktop"),
          QStringLiteral("shotcut.desktop"), QStringLiteral("org.openshot.OpenShot.desktop"),
          QStringLiteral("openshot-qt.desktop"), QStringLiteral("org.pitivi.Pitivi.desktop"),
          QStringLiteral("com.obsproject.Studio.desktop"), QStringLiteral("fr.handbrake.ghb.desktop"),
          QStringLiteral("vlc.desktop"), QStringLiteral("mpv.desktop"), QStringLiteral("org.gnome.Totem.desktop"),
          QStringLiteral("org.kde.dragonplayer.desktop"), QStringLiteral("org.kde.haruna.desktop"),
          QStringLiteral("org.xfce.Parole.desktop"), QStringLiteral("avidemux.desktop")}},
        {&L10n::predefinedTag_Textedit,
         {QStringLiteral("BBEdit"), QStringLiteral("CotEditor"), QStringLiteral("Craft"), QStringLiteral("Drafts")},
         {},
         {QStringLiteral("org.gnome.TextEditor.desktop"), QStringLiteral("org.gnome.gedit.desktop"),
          QStringLiteral("org.kde.kate.desktop"), QStringLiteral("org.kde.kwrite.desktop"),
          QStringLiteral("org.xfce.mousepad.desktop"), QStringLiteral("pluma.desktop"), QStringLiteral("xed.desktop"),
          QStringLiteral("gvim.desktop"), QStringLiteral("vim.desktop"), QStringLiteral("emacs.desktop"),
          QStringLiteral("featherpad.desktop"), QStringLiteral("l3afpad.desktop"), QStringLiteral("leafpad.desktop"),
          QStringLiteral("org.gnome.gitlab.somas.Apostrophe.desktop"), QStringLiteral("ghostwriter.desktop")}},
        {&L10n::predefinedTag_Backup,
         {QStringLiteral("Carbon Copy Cloner")},
         {},
         {QStringLiteral("org.gnome.DejaDup.desktop"), QStringLiteral("org.kde.kbackup.desktop"),
          QStringLiteral("backintime-qt.desktop"), QStringLiteral("backintime-qt-root.desktop"),
          QStringLiteral("timeshift-gtk.desktop"), QStringLiteral("luckybackup.desktop"), QStringLiteral("grsync.desktop"),
          QStringLiteral("org.gnome.World.PikaBackup.desktop"), QStringLiteral("com.borgbase.Vorta.desktop")}},
    };
}

} // namespace

void FirstRunConfig::fillPredefinedAppTag()
{
    predefinedAppTag_.clear();
    for (const Preset& preset : presets()) {
        const QString tag = preset.tag();
        for (const QString& name : preset.applicationNames)
            predefinedAppTag_.insert(QStringLiteral("/Applications/") + name + QStringLiteral(".app"), tag);
        for (const QString& path : preset.paths)
            predefinedAppTag_.insert(path, tag);
        for (const QString& id : preset.desktopIDs)
            predefinedAppTag_.insert(id, tag);
    }
}

namespace {

// The search scopes by their path with a closing slash, each at its first
// place in the list: a path finds its scope through the folders above it,
// however many scopes there are.
class ScopeIndex {
public:
    explicit ScopeIndex(const QStringList& scopes)
    {
        for (qsizetype i = 0; i < scopes.size(); ++i) {
            QString scope = scopes[i];
            if (!scope.endsWith(QLatin1Char('/')))
                scope += QLatin1Char('/');
            if (!byPrefix_.contains(scope))
                byPrefix_.insert(scope, i);
        }
    }

    // Below the first scope of the list that holds the path, the rest with
    // "-" for "/"; else the file name.
    QString desktopID(const QString& path) const
    {
        qsizetype first = -1;
        qsizetype length = 0;
        for (qsizetype slash = path.indexOf(QLatin1Char('/')); slash >= 0;
             slash = path.indexOf(QLatin1Char('/'), slash + 1)) {
            const auto found = byPrefix_.constFind(path.left(slash + 1));
            if (found != byPrefix_.cend() && (first < 0 || *found < first)) {
                first = *found;
                length = slash + 1;
            }
        }
        if (first < 0)
            return QFileInfo(path).fileName();
        return path.mid(length).replace(QLatin1Char('/'), QLatin1Char('-'));
    }

private:
    QHash<QString, qsizetype> byPrefix_;
};

} // namespace

QString FirstRunConfig::desktopID(const QString& path, const QStringList& searchScopes)
{
    return ScopeIndex(searchScopes).desktopID(path);
}

void FirstRunConfig::applyPredefinedTags(DataStorage& store, const QStringList& searchScopes)
{
    // Desktop IDs name entries whose paths depend on where they were found.
    const ScopeIndex scopes(searchScopes);
    QHash<QString, QStringList> pathsByID;
    for (const auto& entry : store.allData()->snapshot()) {
        if (!entry || entry->itemType() != ListviewItemType::application)
            continue;
        const QString path = entry->path();
        if (path.endsWith(QStringLiteral(".desktop")))
            pathsByID[scopes.desktopID(path)].append(path);
    }
    for (auto it = predefinedAppTag_.cbegin(); it != predefinedAppTag_.cend(); ++it) {
        if (it.key().startsWith(QLatin1Char('/'))) {
            store.setTag(it.key(), it.value());
            continue;
        }
        for (const QString& path : pathsByID.value(it.key()))
            store.setTag(path, it.value());
    }
    store.rebuildData(DataStorageRebuildReason::firstRun);
}

void FirstRunConfig::install(DataStorage& store)
{
    DataStorage* target = &store;
    store.setFirstRunPresets([target] {
        const Configuration& config = Configuration::shared();
        FirstRunConfig presets;
        presets.fillPredefinedAppTag();
        presets.applyPredefinedTags(*target, config.spotlightDefaultSearchScope() + config.customSpotlightSearchScope());
    });
}

} // namespace vantel
