#include "platform/DesktopEntry.h"

#include "ScopedEnvironment.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

#include <sys/stat.h>

using vantel::platform::DesktopEntry;

namespace {

DesktopEntry parsed(const QByteArray& text)
{
    QString error;
    auto entry = DesktopEntry::parse(text, &error);
    EXPECT_TRUE(entry.has_value()) << error.toStdString();
    return entry.value_or(DesktopEntry());
}

QString fixture(const char* relative)
{
    return QStringLiteral(VANTEL_FIXTURES_DIR "/desktop-entries/") + QString::fromUtf8(relative);
}

} // namespace

TEST(DesktopEntryTest, RejectsFilesThatAreNotDesktopEntries)
{
    const char* invalid[] = {
        "",                                              // no group at all
        "# only a comment\n",                            // still no group
        "Name=x\n[Desktop Entry]\n",                     // key before the first group
        "[Other Group]\nName=x\n[Desktop Entry]\n",      // wrong first group
        "[Desktop Entry]\nthis line has no equals sign\n",
        "[Desktop Entry]\nName=x\n[Desktop Entry]\n",    // group twice
        "[Desktop Entry\nName=x\n",                      // unterminated header
        "[Desktop\xff Entry]\nName=x\n",                // a group header that is not UTF-8
    };
    for (const char* text : invalid) {
        QString error;
        EXPECT_FALSE(DesktopEntry::parse(QByteArray(text), &error).has_value()) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
    }

    QString error;
    EXPECT_FALSE(DesktopEntry::parse("[Desktop Entry]\nName=ok\nbroken\n", &error));
    EXPECT_TRUE(error.contains(QStringLiteral("line 3"))) << error.toStdString();

    EXPECT_FALSE(DesktopEntry::load(QString(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(DesktopEntry::load(QStringLiteral("/nonexistent/x.desktop"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("/nonexistent/x.desktop")));
}

TEST(DesktopEntryTest, PassesOverABadKeyOrValueAndKeepsTheEntry)
{
    for (const char* text : {"[Desktop Entry]\nType=Application\nName=App\nX-Foo Bar=1\nName[]=x\nName[de]=\xff\xfe\n"
                             "Comment=\xc3\nExec=sh\n",
                             "[Desktop Entry]\r\nType=Application\r\nName[de]=\xff\r\nX-Foo Bar=1\r\nName[]=x\r\n"
                             "Comment=\xc3\r\nName=App\r\nExec=sh\r\n"}) {
        const DesktopEntry entry = parsed(text);
        EXPECT_EQ(entry.name(QStringLiteral("de_DE")), QStringLiteral("App")) << "the bad translation falls back";
        EXPECT_FALSE(entry.hasKey(QStringLiteral("Comment")));
        EXPECT_TRUE(entry.isLaunchableApplication());
        ASSERT_EQ(entry.skippedLines().size(), 4) << entry.skippedLines().join(u'\n').toStdString();
        EXPECT_TRUE(entry.skippedLines().join(u'|').contains(QStringLiteral("invalid key \"X-Foo Bar\"")));
    }
    EXPECT_TRUE(parsed("[Desktop Entry]\nName=ok\n").skippedLines().isEmpty());
}

TEST(DesktopEntryTest, AcceptsCommentsBlankLinesCrlfAndSpacesAroundEquals)
{
    const DesktopEntry entry = parsed("# leading comment\n\n[Desktop Entry]\r\n"
                                      "Type = Application\r\n"
                                      "  Name=  Spaced Name  \n"
                                      "# inside\n"
                                      "Exec=run\n"
                                      "[Desktop Action x]\nName=Action\n");
    EXPECT_EQ(entry.type(), QStringLiteral("Application"));
    EXPECT_EQ(entry.name(QStringLiteral("C")), QStringLiteral("Spaced Name  "));
    EXPECT_EQ(entry.groups(), (QStringList{QStringLiteral("Desktop Entry"), QStringLiteral("Desktop Action x")}));
    EXPECT_EQ(entry.string(QStringLiteral("Name"), QStringLiteral("Desktop Action x")), QStringLiteral("Action"));
    EXPECT_FALSE(entry.string(QStringLiteral("Missing")).has_value());
}

TEST(DesktopEntryTest, FindsEveryKeyOfAnUnorderedFileAndKeepsARepeatedKeysLastValue)
{
    QByteArray text = "[Desktop Entry]\n";
    // Written in descending order with gaps, so each key lands between others.
    for (int i = 40; i > 0; --i)
        text += "K" + QByteArray::number(i * 7 % 41) + "=v" + QByteArray::number(i * 7 % 41) + "\n";
    text += "K5=repeated\nName=Main\n[Desktop Action b]\nName=B\nK5=other\n[Desktop Action a]\nName=A\n";
    const DesktopEntry entry = parsed(text);
    for (int i = 1; i <= 40; ++i) {
        const QString key = QStringLiteral("K%1").arg(i);
        EXPECT_EQ(entry.string(key), i == 5 ? QStringLiteral("repeated") : QStringLiteral("v%1").arg(i)) << i;
    }
    EXPECT_FALSE(entry.hasKey(QStringLiteral("K0")));
    EXPECT_FALSE(entry.hasKey(QStringLiteral("K41")));
    EXPECT_EQ(entry.name(QStringLiteral("C")), QStringLiteral("Main"));
    EXPECT_EQ(entry.string(QStringLiteral("K5"), QStringLiteral("Desktop Action b")), QStringLiteral("other"));
    EXPECT_EQ(entry.string(QStringLiteral("Name"), QStringLiteral("Desktop Action a")), QStringLiteral("A"));
    EXPECT_FALSE(entry.hasKey(QStringLiteral("K6"), QStringLiteral("Desktop Action a")));
    EXPECT_EQ(entry.groups(), (QStringList{QStringLiteral("Desktop Entry"), QStringLiteral("Desktop Action b"),
                                           QStringLiteral("Desktop Action a")}));
    const DesktopEntry reduced = entry.reducedTo({QStringLiteral("K9"), QStringLiteral("Name"), QStringLiteral("K5")});
    EXPECT_EQ(reduced.string(QStringLiteral("K5")), QStringLiteral("repeated"));
    EXPECT_EQ(reduced.string(QStringLiteral("K9")), QStringLiteral("v9"));
    EXPECT_EQ(reduced.name(QStringLiteral("C")), QStringLiteral("Main"));
    EXPECT_FALSE(reduced.hasKey(QStringLiteral("K6")));
}

TEST(DesktopEntryTest, ResolvesEscapesInStringsAndLists)
{
    const DesktopEntry entry = parsed("[Desktop Entry]\n"
                                      "Comment=a\\sb\\nc\\td\\re\\\\f\\q\n"
                                      "Keywords=one;two\\;half;back\\\\;;\n"
                                      "Categories=A;B\n"
                                      "Empty=\n");
    EXPECT_EQ(entry.string(QStringLiteral("Comment")), QStringLiteral("a b\nc\td\re\\f\\q"));
    EXPECT_EQ(entry.stringList(QStringLiteral("Keywords")),
              (QStringList{QStringLiteral("one"), QStringLiteral("two;half"), QStringLiteral("back\\"), QString()}));
    EXPECT_EQ(entry.stringList(QStringLiteral("Categories")), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_TRUE(entry.stringList(QStringLiteral("Empty")).isEmpty());
    EXPECT_TRUE(entry.stringList(QStringLiteral("Missing")).isEmpty());
}

TEST(DesktopEntryTest, PicksTheBestLocalizedVariant)
{
    const DesktopEntry entry = parsed("[Desktop Entry]\n"
                                      "Name=Plain\n"
                                      "Name[de]=Deutsch\n"
                                      "Name[de_CH]=Schweiz\n"
                                      "Name[de@formal]=Formell\n"
                                      "Name[sr_RS@latin]=Latinica\n"
                                      "Keywords=a;b;\n"
                                      "Keywords[de]=x;y;\n");
    EXPECT_EQ(entry.name(QStringLiteral("de_DE.UTF-8")), QStringLiteral("Deutsch"));
    EXPECT_EQ(entry.name(QStringLiteral("de_CH.UTF-8")), QStringLiteral("Schweiz"));
    EXPECT_EQ(entry.name(QStringLiteral("de_CH@formal")), QStringLiteral("Schweiz")); // country before modifier
    EXPECT_EQ(entry.name(QStringLiteral("de_AT@formal")), QStringLiteral("Formell"));
    EXPECT_EQ(entry.name(QStringLiteral("sr_RS.UTF-8@latin")), QStringLiteral("Latinica"));
    EXPECT_EQ(entry.name(QStringLiteral("sr_RS")), QStringLiteral("Plain"));
    EXPECT_EQ(entry.name(QStringLiteral("fr_FR")), QStringLiteral("Plain"));
    EXPECT_EQ(entry.localeStringList(QStringLiteral("Keywords"), QStringLiteral("de_DE")),
              (QStringList{QStringLiteral("x"), QStringLiteral("y")}));

    EXPECT_EQ(DesktopEntry::localeVariants(QStringLiteral("de_DE.UTF-8@euro")),
              (QStringList{QStringLiteral("de_DE@euro"), QStringLiteral("de_DE"), QStringLiteral("de@euro"), QStringLiteral("de")}));
    EXPECT_TRUE(DesktopEntry::localeVariants(QString()).isEmpty());
}

TEST(DesktopEntryTest, FollowsTheEnvironmentsMessagesLocale)
{
    const DesktopEntry entry = parsed("[Desktop Entry]\nName=Plain\nName[de]=Deutsch\n");
    const vantel::test::ScopedEnvironment all("LC_ALL", QByteArray());
    const vantel::test::ScopedEnvironment messages("LC_MESSAGES", QByteArray());
    const vantel::test::ScopedEnvironment lang("LANG", "de_DE.UTF-8");
    EXPECT_EQ(entry.name(), QStringLiteral("Deutsch"));
    qputenv("LC_ALL", "C.UTF-8"); // LC_ALL wins, and C means untranslated
    EXPECT_EQ(entry.name(), QStringLiteral("Plain"));
    qputenv("LC_ALL", "de");
    EXPECT_EQ(entry.name(), QStringLiteral("Deutsch"));
}

TEST(DesktopEntryTest, ReadsBooleansStrictly)
{
    const DesktopEntry entry = parsed("[Desktop Entry]\nA=true\nB=false\nC=1\nD=yes\nE=True\n");
    EXPECT_TRUE(entry.boolean(QStringLiteral("A")));
    EXPECT_FALSE(entry.boolean(QStringLiteral("B"), true));
    EXPECT_TRUE(entry.boolean(QStringLiteral("C")));
    EXPECT_FALSE(entry.boolean(QStringLiteral("D")));
    EXPECT_TRUE(entry.boolean(QStringLiteral("D"), true)); // unknown text keeps the default
    EXPECT_FALSE(entry.boolean(QStringLiteral("E")));
    EXPECT_TRUE(entry.boolean(QStringLiteral("Missing"), true));
}

TEST(DesktopEntryTest, SplitsExecByItsQuotingRules)
{
    const DesktopEntry entry = parsed("[Desktop Entry]\n"
                                      "Exec=\"/opt/My App/run\" --title \"say \\\\\"hi\\\\\"\"  %U --x=%f 100%%\n");
    const auto arguments = entry.execArguments();
    ASSERT_TRUE(arguments.has_value());
    EXPECT_EQ(*arguments, (QStringList{QStringLiteral("/opt/My App/run"), QStringLiteral("--title"),
                                      QStringLiteral("say \"hi\""), QStringLiteral("%U"), QStringLiteral("--x=%f"),
                                      QStringLiteral("100%%")}));

    QString error;
    EXPECT_FALSE(parsed("[Desktop Entry]\nExec=\"unterminated arg\n").execArguments(&error).has_value());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(parsed("[Desktop Entry]\nExec=\"\" x\n").execArguments(),
              (QStringList{QString(), QStringLiteral("x")}));
    EXPECT_TRUE(parsed("[Desktop Entry]\nName=x\n").execArguments()->isEmpty());
}

TEST(DesktopEntryTest, DecidesWhatIsALaunchableApplication)
{
    EXPECT_TRUE(parsed("[Desktop Entry]\nType=Application\nName=A\nExec=sh\n").isLaunchableApplication());
    EXPECT_TRUE(parsed("[Desktop Entry]\nType=Application\nName=A\nExec=sh\nNoDisplay=true\n").isLaunchableApplication());
    EXPECT_TRUE(parsed("[Desktop Entry]\nType=Application\nName=A\nDBusActivatable=true\n").isLaunchableApplication());
    EXPECT_TRUE(parsed("[Desktop Entry]\nType=Application\nName=A\nExec=sh\nTryExec=sh\n").isLaunchableApplication());
    EXPECT_TRUE(parsed("[Desktop Entry]\nType=Application\nName=A\nExec=\"/bin/sh\" -c \"x y\" %U\n").isLaunchableApplication());

    EXPECT_FALSE(parsed("[Desktop Entry]\nType=Application\nName=A\nExec=sh\nHidden=true\n").isLaunchableApplication());
    EXPECT_FALSE(parsed("[Desktop Entry]\nType=Link\nName=A\nURL=http://x/\n").isLaunchableApplication());
    EXPECT_FALSE(parsed("[Desktop Entry]\nType=Application\nName=A\n").isLaunchableApplication());
    EXPECT_FALSE(parsed("[Desktop Entry]\nType=Application\nExec=sh\n").isLaunchableApplication());
    EXPECT_FALSE(parsed("[Desktop Entry]\nType=Application\nName=A\nExec=x\nTryExec=vantel-not-installed-anywhere\n")
                     .isLaunchableApplication());
    // A program that is not there, or quoting that cannot be split, starts nothing.
    for (const char* exec : {"vantel-not-installed-anywhere %U", "/nonexistent/vantel-program", "\"sh -c x", "\"\" sh",
                             "relative/sh"}) {
        EXPECT_FALSE(parsed(QByteArray("[Desktop Entry]\nType=Application\nName=A\nExec=") + exec + "\n")
                         .isLaunchableApplication())
            << exec;
        EXPECT_FALSE(parsed(QByteArray("[Desktop Entry]\nType=Application\nName=A\nDBusActivatable=true\nExec=") + exec
                            + "\n")
                         .isLaunchableApplication())
            << exec;
    }
}

TEST(DesktopEntryTest, FiltersByDesktopEnvironment)
{
    const DesktopEntry only = parsed("[Desktop Entry]\nOnlyShowIn=GNOME;XFCE;\n");
    const DesktopEntry not_ = parsed("[Desktop Entry]\nNotShowIn=KDE;\n");
    EXPECT_TRUE(only.isShownIn({QStringLiteral("ubuntu"), QStringLiteral("GNOME")}));
    EXPECT_FALSE(only.isShownIn({QStringLiteral("KDE")}));
    EXPECT_FALSE(not_.isShownIn({QStringLiteral("KDE")}));
    EXPECT_TRUE(not_.isShownIn({QStringLiteral("GNOME")}));
}

TEST(DesktopEntryTest, DerivesDesktopIdsAndFindsPrograms)
{
    EXPECT_EQ(DesktopEntry::desktopId(QStringLiteral("/usr/share/applications/kde4/foo.desktop"),
                                      QStringLiteral("/usr/share/applications/")),
              QStringLiteral("kde4-foo.desktop"));
    EXPECT_EQ(DesktopEntry::desktopId(QStringLiteral("/usr/share/applications-extra/foo.desktop"),
                                      QStringLiteral("/usr/share/applications")),
              QString());

    EXPECT_FALSE(DesktopEntry::findExecutable(QStringLiteral("sh")).isEmpty());
    EXPECT_TRUE(DesktopEntry::findExecutable(QStringLiteral("vantel-not-installed-anywhere")).isEmpty());
    EXPECT_TRUE(DesktopEntry::findExecutable(QStringLiteral("relative/path")).isEmpty());
    EXPECT_TRUE(DesktopEntry::findExecutable(fixture("scope-a/editor.desktop")).isEmpty()); // not executable
}

TEST(DesktopEntryTest, LoadsARealFile)
{
    QString error;
    const auto entry = DesktopEntry::load(fixture("scope-a/editor.desktop"), &error);
    ASSERT_TRUE(entry.has_value()) << error.toStdString();
    EXPECT_EQ(entry->path(), fixture("scope-a/editor.desktop"));
    EXPECT_EQ(entry->name(QStringLiteral("de_DE.UTF-8")), QStringLiteral("Bearbeiter"));
    EXPECT_EQ(entry->name(QStringLiteral("fr_CA")), QString::fromUtf8("Éditeur"));
    EXPECT_EQ(entry->categories(), (QStringList{QStringLiteral("Utility"), QStringLiteral("TextEditor")}));
    EXPECT_EQ(entry->string(QStringLiteral("Comment")), QStringLiteral("Edit text files"));
    EXPECT_EQ(entry->execArguments(), (QStringList{QStringLiteral("editor"), QStringLiteral("%F")}));

    EXPECT_FALSE(DesktopEntry::load(fixture("scope-a/broken.desktop"), &error).has_value());
    EXPECT_TRUE(error.contains(QStringLiteral("broken.desktop")));
}

// What an index keeps of a file answers its keys as the whole file does, in
// the locale it was reduced for, and holds nothing else.
TEST(DesktopEntryTest, AReducedEntryAnswersItsKeysAlike)
{
    const auto entry = parsed("[Desktop Entry]\nType=Application\nName=Editor\nName[de]=Bearbeiter\n"
                              "Name[de_AT]=Editor AT\nName[fr]=Éditeur\nComment=Edits\nComment[de]=Bearbeitet\n"
                              "Exec=editor %F\nNoDisplay=true\nOnlyShowIn=XFCE;\n"
                              "[Desktop Action new]\nName=New\nExec=editor --new\n");
    const QStringList keys{QStringLiteral("Type"), QStringLiteral("Name"), QStringLiteral("Exec"),
                           QStringLiteral("NoDisplay"), QStringLiteral("OnlyShowIn"), QStringLiteral("Hidden")};
    for (const QString& locale : {QStringLiteral("de_AT.UTF-8"), QStringLiteral("de_DE"), QStringLiteral("fr"),
                                 QStringLiteral("ja_JP")}) {
        const DesktopEntry reduced = entry.reducedTo(keys, locale);
        EXPECT_EQ(reduced.name(locale), entry.name(locale)) << locale.toStdString();
        EXPECT_EQ(reduced.exec(), entry.exec());
        EXPECT_EQ(reduced.noDisplay(), entry.noDisplay());
        EXPECT_EQ(reduced.onlyShowIn(), entry.onlyShowIn());
        EXPECT_EQ(reduced.isHidden(), entry.isHidden());
        EXPECT_EQ(reduced.type(), entry.type());
        EXPECT_FALSE(reduced.hasKey(QStringLiteral("Comment")));
        EXPECT_FALSE(reduced.hasKey(QStringLiteral("Name[fr]")) && !locale.startsWith(QStringLiteral("fr")));
        EXPECT_EQ(reduced.groups(), QStringList{DesktopEntry::mainGroup});
    }
    EXPECT_EQ(entry.reducedTo(keys, QStringLiteral("de_AT")).name(QStringLiteral("de_AT")), QStringLiteral("Editor AT"));
}

// A reading that stores only some keys checks the whole file as a full one
// does, and what it keeps answers those keys alike.
TEST(DesktopEntryTest, AFilteredReadingChecksTheWholeFileAndAnswersItsKeysAlike)
{
    const QByteArray text = "[Desktop Entry]\nType=Application\nName=Editor\nName[de]=Bearbeiter\n"
                            "Name[de_AT]=Editor AT\nName[fr]=Éditeur\nComment=Edits\nComment[de]=Bearbeitet\n"
                            "Exec=editor\\s%F\nExec=editor %F\nNoDisplay=true\nBad Key=1\nIcon=editor\n"
                            "[Desktop Action new]\nName=New\nExec=editor --new\n";
    const QStringList keys{QStringLiteral("Type"), QStringLiteral("Name"), QStringLiteral("Exec"),
                           QStringLiteral("NoDisplay"), QStringLiteral("Hidden")};
    const auto whole = DesktopEntry::parse(text);
    ASSERT_TRUE(whole);
    for (const QString& locale : {QStringLiteral("de_AT.UTF-8"), QStringLiteral("de_DE"), QStringLiteral("fr"),
                                 QStringLiteral("ja_JP")}) {
        QString error;
        const auto filtered = DesktopEntry::parse(text, &error, {keys, locale});
        ASSERT_TRUE(filtered) << error.toStdString();
        EXPECT_EQ(filtered->skippedLines(), whole->skippedLines());
        EXPECT_EQ(filtered->groups(), whole->groups());
        EXPECT_FALSE(filtered->hasKey(QStringLiteral("Comment")));
        EXPECT_FALSE(filtered->hasKey(QStringLiteral("Icon")));
        EXPECT_FALSE(filtered->hasKey(QStringLiteral("Name"), QStringLiteral("Desktop Action new")));
        const DesktopEntry reduced = filtered->reducedTo(keys, locale);
        const DesktopEntry expected = whole->reducedTo(keys, locale);
        EXPECT_EQ(reduced.name(locale), expected.name(locale)) << locale.toStdString();
        EXPECT_EQ(reduced.name(locale), whole->name(locale)) << locale.toStdString();
        EXPECT_EQ(reduced.exec(), QStringLiteral("editor %F")) << "a repeated key keeps its last value";
        EXPECT_EQ(reduced.noDisplay(), true);
        EXPECT_EQ(reduced.type(), whole->type());
        EXPECT_EQ(reduced.isLaunchableApplication([](const QString&) { return QStringLiteral("/bin/editor"); }),
                  whole->isLaunchableApplication([](const QString&) { return QStringLiteral("/bin/editor"); }));
    }
    // A fault in a group whose keys are not stored still makes the file invalid.
    for (const QByteArray& bad : {text + "no equals sign\n", text + "[Desktop Action new]\n", text + "[broken\n"}) {
        QString error;
        EXPECT_FALSE(DesktopEntry::parse(bad, &error, {keys, {}})) << bad.toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
}

// A device, a FIFO or a /proc file says nothing useful of its size: each is
// refused with the reason, without waiting for a writer or reading on.
TEST(DesktopEntryTest, RefusesWhatIsNoRegularFileWhateverItsSizeSays)
{
    const QString folder = vantel::test::makeTempDir(QStringLiteral("endless"));
    const QString zero = folder + QStringLiteral("/zero.desktop");
    const QString fifo = folder + QStringLiteral("/fifo.desktop");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    for (const QString& path : {zero, fifo}) {
        const int code = vantel::test::exitCodeAsBoundedChild(
            [&] {
                QString error;
                if (DesktopEntry::load(path, &error))
                    return 1;
                return error.contains(path) && error.contains(QStringLiteral("not a regular file")) ? 0 : 2;
            },
            10, 256l << 20);
        EXPECT_EQ(code, 0) << path.toStdString();
    }

    // A regular file past the limit is refused before it is read.
    const QString large = folder + QStringLiteral("/large.desktop");
    {
        QFile file(large);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(64ll << 20));
    }
    QString error;
    EXPECT_FALSE(DesktopEntry::load(large, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("too large"))) << error.toStdString();
}
