#include "support/ShownTexts.h"

#include "model/L10n.h"
#include "model/LocalizedStrings.h"
#include "platform/Bundle.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTabBar>
#include <QTextDocumentFragment>

namespace vantel::test {

namespace {

void addMenu(QStringList& texts, const QMenu* menu, QSet<const QMenu*>& seen)
{
    if (!menu || seen.contains(menu))
        return;
    seen.insert(menu);
    texts << menu->title();
    for (const QAction* action : menu->actions()) {
        texts << action->text() << action->toolTip();
        addMenu(texts, action->menu(), seen);
    }
}

void addWidget(QStringList& texts, const QWidget* widget, QSet<const QMenu*>& menus)
{
    texts << widget->toolTip() << widget->accessibleName() << widget->accessibleDescription();
    for (const QAction* action : widget->actions()) {
        texts << action->text() << action->toolTip();
        addMenu(texts, action->menu(), menus);
    }
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        texts << (Qt::mightBeRichText(label->text()) ? QTextDocumentFragment::fromHtml(label->text()).toPlainText()
                                                     : label->text());
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        texts << button->text();
    if (const auto* button = qobject_cast<const QPushButton*>(widget))
        addMenu(texts, button->menu(), menus);
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget))
        texts << edit->placeholderText();
    if (const auto* group = qobject_cast<const QGroupBox*>(widget))
        texts << group->title();
    if (const auto* combo = qobject_cast<const QComboBox*>(widget))
        for (int i = 0; i < combo->count(); ++i)
            texts << combo->itemText(i);
    if (const auto* tabs = qobject_cast<const QTabBar*>(widget))
        for (int i = 0; i < tabs->count(); ++i)
            texts << tabs->tabText(i) << tabs->tabToolTip(i);
    if (const auto* view = qobject_cast<const QAbstractItemView*>(widget); view && view->model())
        for (int column = 0; column < view->model()->columnCount(); ++column)
            texts << view->model()->headerData(column, Qt::Horizontal).toString();
}

QSet<QString> words(const QString& text)
{
    static const QRegularExpression placeholder(QStringLiteral("%[0-9A-Za-z]+"));
    static const QRegularExpression word(QStringLiteral("\\p{L}+"));
    QSet<QString> found;
    const QString plain = QString(text).remove(placeholder).remove(QLatin1Char('&'));
    for (auto it = word.globalMatch(plain); it.hasNext();)
        found.insert(it.next().captured().toLower());
    return found;
}

// The words of the English texts that no German text uses.
QSet<QString> englishOnlyWords()
{
    QFile file(platform::Bundle::main().resourcePath() + QStringLiteral("/de.lproj/Localizable.strings"));
    const auto german = file.open(QIODevice::ReadOnly) ? LocalizedStrings::parse(file.readAll()) : std::nullopt;
    if (!german)
        return {QStringLiteral("the German table is missing")};
    QHash<QString, QString> englishOfKey;
    for (const L10n::Entry& entry : L10n::entries())
        englishOfKey.insert(QString::fromLatin1(entry.key), QString::fromUtf8(entry.english));
    QSet<QString> english;
    QSet<QString> shared;
    for (auto it = german->cbegin(); it != german->cend(); ++it) {
        english.unite(words(englishOfKey.value(it.key(), it.key())));
        shared.unite(words(it.value()));
    }
    return english.subtract(shared);
}

} // namespace

QStringList shownTexts(const QWidget* window)
{
    QStringList texts{window->windowTitle()};
    QSet<const QMenu*> menus;
    addWidget(texts, window, menus);
    for (const QWidget* child : window->findChildren<QWidget*>())
        addWidget(texts, child, menus);
    texts.removeAll(QString());
    texts.removeDuplicates();
    return texts;
}

QStringList englishLeftInGerman(const QWidget* window)
{
    // A path or an address names a thing, in no language; an image's name
    // ("icon_folder_home") is no word a user reads, and counts.
    QStringList texts;
    for (const QString& text : shownTexts(window))
        if (!text.startsWith(QLatin1Char('/')) && !text.contains(QLatin1String("://")))
            texts << text;
    return englishLeftInGerman(texts);
}

QStringList englishLeftInGerman(const QStringList& texts)
{
    if (LocalizedStrings::main().language() != QLatin1String("de"))
        return {};
    static const QSet<QString> englishOnly = englishOnlyWords();
    static const QRegularExpression path(QStringLiteral("\\S*/\\S*"));
    QStringList found;
    for (const QString& text : texts) {
        for (const QString& word : words(QString(text).remove(path))) {
            if (englishOnly.contains(word)) {
                found << QStringLiteral("\"%1\" in \"%2\"").arg(word, text);
                break;
            }
        }
    }
    return found;
}

} // namespace vantel::test
