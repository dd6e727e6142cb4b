#include "settings/ui/ConfigSearchField.h"

#include "datastore/DataStorage.h"
#include "model/L10n.h"
#include "model/LocalizedStrings.h"

#include <QAction>
#include <QFocusEvent>
#include <QIcon>
#include <QMenu>
#include <QStyle>

namespace vantel::settingsui {

ConfigSearchField::ConfigSearchField(DataStorage& store, QWidget* parent)
    : QLineEdit(parent), store_(store)
{
    setClearButtonEnabled(true);
    setAccessibleName(localized("Search"));
    QIcon icon = QIcon::fromTheme(QStringLiteral("edit-find"));
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_FileDialogContentsView);
    magnifier_ = addAction(icon, QLineEdit::LeadingPosition);
    magnifier_->setToolTip(localized("Search by"));
    connect(magnifier_, &QAction::triggered, this, [this] {
        if (searchMenu_)
            searchMenu_->popup(mapToGlobal(QPoint(0, height())));
    });
    connect(this, &QLineEdit::textChanged, this, [this] { applySearch(); });
}

QString ConfigSearchField::titleOf(ConfigEnumFilterSearchFor searchFor)
{
    switch (searchFor) {
    case ConfigEnumFilterSearchFor::name: return L10n::customSearchField_SearchForName();
    case ConfigEnumFilterSearchFor::tag: return L10n::customSearchField_SearchForTag();
    case ConfigEnumFilterSearchFor::comment: return L10n::customSearchField_SearchForComment();
    case ConfigEnumFilterSearchFor::path: return L10n::customSearchField_SearchForPath();
    }
    return L10n::customSearchField_SearchForName();
}

void ConfigSearchField::buildSearchMenu()
{
    if (searchMenu_)
        return;
    searchMenu_ = new QMenu(localized("Menu"), this);
    for (ConfigEnumFilterSearchFor searchFor : allConfigEnumFilterSearchFor()) {
        QAction* item = searchMenu_->addAction(titleOf(searchFor));
        connect(item, &QAction::triggered, this, [this, item] { changeSearchFieldItem(item); });
    }
}

void ConfigSearchField::changeSearchFieldItem(QAction* sender)
{
    const QString placeholder = placeholderText();
    const QString title = sender ? sender->text() : QString();
    if (title == placeholder)
        return;
    setPlaceholderText(title);
    applySearch();
}

ConfigEnumFilterSearchFor ConfigSearchField::searchForFromPlaceholder() const
{
    const QString placeholder = placeholderText();
    for (ConfigEnumFilterSearchFor searchFor : allConfigEnumFilterSearchFor())
        if (!placeholder.isEmpty() && placeholder == titleOf(searchFor))
            return searchFor;
    return ConfigEnumFilterSearchFor::name;
}

void ConfigSearchField::applySearch()
{
    store_.filterConfigData().setConfigTableViewSearchString(text());
    store_.filterConfigData().setConfigTableViewFilterSearchFor(searchForFromPlaceholder());
    if (textDidChangeHandler)
        textDidChangeHandler();
}

void ConfigSearchField::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (textDidEndEditingHandler)
        textDidEndEditingHandler();
}

} // namespace vantel::settingsui
