#include "settings/ui/ConfigViewControllerAddModifyURL.h"

#include "access/OpenObject.h"
#include "access/ParsedURL.h"
#include "access/URLManager.h"
#include "datastore/DataStorage.h"
#include "mainwindow/CoreViewController.h"
#include "model/LocalizedStrings.h"
#include "model/PathUtilities.h"
#include "platform/Bundle.h"
#include "platform/Workspace.h"
#include "popups/CustomTextField.h"
#include "settings/ui/ConfigViewControllerBase.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

namespace vantel::settingsui {

namespace {

constexpr int hostImageSide = 32;
constexpr int margin = 20;
constexpr int spacing = 8;

// A line edit draws formats given as an input-method event without a
// pre-edit text: the one way to colour parts of its text.
void applyFormats(QLineEdit& field, const URLAttributedString& colouring)
{
    QList<QInputMethodEvent::Attribute> attributes;
    const int cursor = field.cursorPosition();
    for (const QTextLayout::FormatRange& range : colouring.formats)
        attributes.append(QInputMethodEvent::Attribute(QInputMethodEvent::TextFormat, range.start - cursor, range.length,
                                                       range.format));
    QInputMethodEvent event(QString(), attributes);
    QCoreApplication::sendEvent(&field, &event);
}

// The symbol drawn for a dark window: a dark picture (dark lines, or a dark
// bubble with a light mark) has its lightness turned over, so that its lines
// show and its mark stays apart from them; a light one stays as it is.
QPixmap lightenedDarkSymbol(const QPixmap& picture)
{
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    qint64 lightness = 0;
    qint64 painted = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128) {
                lightness += QColor(image.pixel(x, y)).lightness();
                ++painted;
            }
    if (painted == 0 || lightness / painted >= 128)
        return picture;
    image.invertPixels(QImage::InvertRgb);
    QPixmap lightened = QPixmap::fromImage(image);
    lightened.setDevicePixelRatio(picture.devicePixelRatio());
    return lightened;
}

} // namespace

const QSize ConfigViewControllerAddModifyURL::preferredSize(750, 325);

ConfigViewControllerAddModifyURL::ConfigViewControllerAddModifyURL(QObject* parent)
    : ConfigViewControllerAddModifyURL(DataStorage::shared(), parent)
{
}

ConfigViewControllerAddModifyURL::ConfigViewControllerAddModifyURL(DataStorage& store, QObject* parent)
    : platform::ViewControllerBase(parent), vantel::ConfigViewControllerAddModifyURL(store)
{
    // Known before the first showing: a sheet takes its size when it is made.
    setPreferredContentSize(preferredSize);
    errorTimer_ = new QTimer(this);
    errorTimer_->setSingleShot(true);
    errorTimer_->setInterval(errorLabelSeconds * 1000);
    connect(errorTimer_, &QTimer::timeout, this, [this] { hideErrorlabel(); });
}

ConfigViewControllerAddModifyURL::~ConfigViewControllerAddModifyURL()
{
    delete placeholderMenu_;
    delete templateMenu_;
}

defaultVantelMainViewControllerState ConfigViewControllerAddModifyURL::currentState() const
{
    return CoreViewController::coreState(appearanceState());
}

void ConfigViewControllerAddModifyURL::presentAsSheet(const std::shared_ptr<ViewController>& controller)
{
    if (auto sheet = std::dynamic_pointer_cast<platform::ViewControllerBase>(controller))
        platform::ViewControllerBase::presentAsSheet(sheet);
}

QWidget* ConfigViewControllerAddModifyURL::loadView()
{
    auto* root = new QWidget();
    root->setWindowTitle(localized("Add or Modify URL"));

    auto* grid = new QGridLayout();
    grid->setHorizontalSpacing(spacing);
    grid->setVerticalSpacing(spacing);

    textFieldSiteURL_ = new CustomTextField(root);
    textFieldSiteURL_->setAccessibleName(QStringLiteral("URL"));
    textFieldSiteURL_->setFont(urlAttributedStringParser_.attributedStringFont());
    textFieldSiteURL_->setPlaceholderText(QStringLiteral("https://"));
    textFieldSiteTitle_ = new CustomTextField(root);
    textFieldSiteTitle_->setAccessibleName(localized("Title"));
    textFieldSiteComment_ = new CustomTextField(root);
    textFieldSiteComment_->setAccessibleName(localized("Comment"));

    urlTextStats_ = new QLabel(root);
    urlTextStats_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Room for the longest count, so the text never clips.
    urlTextStats_->setMinimumWidth(
        urlTextStats_->fontMetrics().horizontalAdvance(QStringLiteral("%1 (max.: %1)").arg(maximumURLLength)) + 4);
    urlInsertPlaceholder_ = new QPushButton(localized("Insert placeholder"), root);
    urlReplaceWithTemplate_ = new QPushButton(localized("Use template"), root);
    urlTest_ = new QPushButton(localized("Test"), root);
    // The menu buttons leave the focus (and so the editing) in the URL field.
    for (QPushButton* button : {urlInsertPlaceholder_, urlReplaceWithTemplate_})
        button->setFocusPolicy(Qt::NoFocus);

    auto* urlButtons = new QHBoxLayout();
    urlButtons->setSpacing(spacing);
    urlButtons->addWidget(urlInsertPlaceholder_);
    urlButtons->addWidget(urlReplaceWithTemplate_);
    urlButtons->addWidget(urlTest_);
    urlButtons->addStretch(1);
    urlButtons->addWidget(urlTextStats_);

    urlHostImage_ = new QLabel(root);
    urlHostImage_->setFixedSize(hostImageSide, hostImageSide);
    urlHostImage_->setAccessibleName(localized("Application"));
    urlHostPath_ = new QLabel(root);
    urlHostPath_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    urlHostPath_->setMinimumWidth(1);
    auto* host = new QHBoxLayout();
    host->setSpacing(spacing);
    host->addWidget(urlHostImage_);
    host->addWidget(urlHostPath_, 1);

    int row = 0;
    grid->addWidget(new QLabel(localized("URL:"), root), row, 0, Qt::AlignRight);
    grid->addWidget(textFieldSiteURL_, row++, 1);
    grid->addLayout(urlButtons, row++, 1);
    grid->addWidget(new QLabel(localized("Title:"), root), row, 0, Qt::AlignRight);
    grid->addWidget(textFieldSiteTitle_, row++, 1);
    grid->addWidget(new QLabel(localized("Comment:"), root), row, 0, Qt::AlignRight);
    grid->addWidget(textFieldSiteComment_, row++, 1);
    grid->addWidget(new QLabel(localized("Opens with:"), root), row, 0, Qt::AlignRight);
    grid->addLayout(host, row++, 1);
    grid->setColumnStretch(1, 1);

    errorLabel_ = new QLabel(root);
    errorLabel_->setWordWrap(true);
    errorLabel_->hide();

    auto* cancel = new QPushButton(localized("Cancel"), root);
    auto* ok = new QPushButton(localized("OK"), root);
    ok->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, [this] { buttonCancelClick(); });
    connect(ok, &QPushButton::clicked, this, [this] { buttonOKClick(); });
    connect(urlTest_, &QPushButton::clicked, this, [this] { buttonURLTestClick(); });
    connect(urlInsertPlaceholder_, &QPushButton::clicked, this, [this] { buttonURLInsertPlaceholderClick(); });
    connect(urlReplaceWithTemplate_, &QPushButton::clicked, this, [this] { buttonURLReplaceWithTemplateClick(); });
    // Return in any of the fields is the default button, as in a dialog.
    for (CustomTextField* field : {textFieldSiteURL_, textFieldSiteTitle_, textFieldSiteComment_})
        connect(field, &QLineEdit::returnPressed, this, [this] { buttonOKClick(); }, Qt::QueuedConnection);

    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(spacing);
    buttons->addWidget(errorLabel_, 1);
    // Keeps the buttons at their size while the error label is hidden.
    buttons->addStretch(0);
    cancel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    ok->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    buttons->addWidget(cancel);
    buttons->addWidget(ok);

    auto* column = new QVBoxLayout(root);
    column->setContentsMargins(margin, margin, margin, margin);
    column->setSpacing(spacing);
    column->addLayout(grid);
    column->addStretch(1);
    column->addLayout(buttons);

    QWidget::setTabOrder(textFieldSiteURL_, textFieldSiteTitle_);
    QWidget::setTabOrder(textFieldSiteTitle_, textFieldSiteComment_);
    QWidget::setTabOrder(textFieldSiteComment_, urlTest_);
    QWidget::setTabOrder(urlTest_, cancel);
    QWidget::setTabOrder(cancel, ok);

    placeholderMenu_ = new QMenu();
    templateMenu_ = new QMenu();
    return root;
}

void ConfigViewControllerAddModifyURL::viewDidLoad()
{
    textFieldSiteURL_->setMaxLength(maximumURLLength);
    textFieldSiteTitle_->setMaxLength(maximumTitleLength);
    textFieldSiteComment_->setMaxLength(maximumCommentLength);
    textFieldSiteURL_->didChangeHandler = [this] { urlTextChanged(); };
    textFieldSiteURL_->willBecomeFirstResponder = [this] { updateButtons(); };
    textFieldSiteURL_->didEndEditingHandler = [this] {
        updateHostPreview();
        updateButtons();
    };
    updateLengthLabel();
    resetHostPreview();
    updateButtons();
}

void ConfigViewControllerAddModifyURL::viewWillAppear()
{
    setURLFieldText(newOrModifyURL.value_or(QString()));
    setSiteTitleText(newOrModifyTitle.value_or(QString()));
    setSiteCommentText(newOrModifyComment.value_or(QString()));
    hideErrorlabel();
    rebuildMenus();
    setPreferredContentSize(preferredSize);
    updateLengthLabel();
    updateHostPreview();
    updateButtons();
}

void ConfigViewControllerAddModifyURL::viewDidAppear()
{
    textFieldSiteURL_->setFocus(Qt::OtherFocusReason);
}

void ConfigViewControllerAddModifyURL::viewDidDisappear()
{
    newOrModifyURL = std::nullopt;
    refreshURLField();
    newOrModifyTitle = std::nullopt;
    setSiteTitleText(QString());
    newOrModifyComment = std::nullopt;
    setSiteCommentText(QString());
    newOrModifyTag = std::nullopt;
    setReferenceTableViewItem(nullptr);
}

// ---- Fields ----

QString ConfigViewControllerAddModifyURL::siteTitleText() const
{
    return textFieldSiteTitle_ ? textFieldSiteTitle_->text() : QString();
}

void ConfigViewControllerAddModifyURL::setSiteTitleText(const QString& text)
{
    view();
    textFieldSiteTitle_->setText(text);
}

QString ConfigViewControllerAddModifyURL::siteCommentText() const
{
    return textFieldSiteComment_ ? textFieldSiteComment_->text() : QString();
}

void ConfigViewControllerAddModifyURL::setSiteCommentText(const QString& text)
{
    view();
    textFieldSiteComment_->setText(text);
}

QString ConfigViewControllerAddModifyURL::urlFieldText() const
{
    return textFieldSiteURL_ ? textFieldSiteURL_->text() : QString();
}

void ConfigViewControllerAddModifyURL::setURLFieldText(const QString& text)
{
    view();
    vantel::ConfigViewControllerAddModifyURL::setURLFieldText(text);
    textFieldSiteURL_->setText(text);
    colourURLField();
    updateLengthLabel();
    updateHostPreview();
    updateButtons();
}

QString ConfigViewControllerAddModifyURL::errorLabelText() const
{
    return errorLabel_ && errorLabel_->isVisibleTo(errorLabel_->parentWidget()) ? errorLabel_->text() : QString();
}

void ConfigViewControllerAddModifyURL::setErrorLabelText(const QString& text)
{
    vantel::ConfigViewControllerAddModifyURL::setErrorLabelText(text);
    if (text.isEmpty())
        hideErrorlabel();
    else
        showErrorlabel(text);
}

void ConfigViewControllerAddModifyURL::showErrorlabel(const QString& message)
{
    view();
    QPalette palette = errorLabel_->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    errorLabel_->setPalette(palette);
    errorLabel_->setText(message);
    errorLabel_->show();
    // A later failure shows its own text for the full time.
    errorTimer_->start();
}

void ConfigViewControllerAddModifyURL::hideErrorlabel()
{
    errorTimer_->stop();
    if (!errorLabel_)
        return;
    errorLabel_->hide();
    errorLabel_->clear();
}

// ---- The URL field ----

void ConfigViewControllerAddModifyURL::colourURLField()
{
    colouring_ = urlAttributedStringParser_.attributedString(textFieldSiteURL_->text());
    applyFormats(*textFieldSiteURL_, colouring_);
}

void ConfigViewControllerAddModifyURL::urlTextChanged()
{
    vantel::ConfigViewControllerAddModifyURL::setURLFieldText(textFieldSiteURL_->text());
    colourURLField();
    updateLengthLabel();
    resetHostPreview();
    updateButtons();
}

void ConfigViewControllerAddModifyURL::updateLengthLabel()
{
    urlTextStats_->setText(QStringLiteral("%1 (max.: %2)").arg(textFieldSiteURL_->text().size()).arg(maximumURLLength));
}

void ConfigViewControllerAddModifyURL::updateButtons()
{
    urlTest_->setEnabled(textFieldSiteURL_->text().size() >= minimumTestableLength);
    urlInsertPlaceholder_->setEnabled(textFieldSiteURL_->isCurrentlyEditing());
}

void ConfigViewControllerAddModifyURL::resetHostPreview()
{
    urlHostPath_->clear();
    const std::optional<QIcon> question = platform::Bundle::main().imageNamed(QStringLiteral("toolbar_question"));
    const qreal ratio = urlHostImage_->devicePixelRatioF();
    QPixmap picture = question ? question->pixmap(QSize(hostImageSide, hostImageSide), ratio) : QPixmap();
    if (!picture.isNull() && urlHostImage_->palette().color(QPalette::Window).lightness() < 128)
        picture = lightenedDarkSymbol(picture);
    urlHostImage_->setPixmap(picture);
    urlTest_->setEnabled(false);
}

void ConfigViewControllerAddModifyURL::updateHostPreview()
{
    const auto parsed = ParsedURL::create(textFieldSiteURL_->text(), std::nullopt);
    const QUrl url = parsed ? parsed->urlWithoutPlaceholders() : QUrl();
    const std::optional<QString> application =
        url.isValid() && !url.scheme().isEmpty() ? platform::Workspace::shared().urlForApplicationToOpen(url)
                                                 : std::nullopt;
    if (!application || !QFileInfo::exists(*application)) {
        resetHostPreview();
        return;
    }
    urlHostPath_->setText(*application);
    const QIcon icon = platform::Workspace::shared().iconForFile(*application);
    urlHostImage_->setPixmap(icon.pixmap(QSize(hostImageSide, hostImageSide), urlHostImage_->devicePixelRatioF()));
    urlTest_->setEnabled(true);
}

// ---- Menus ----

void ConfigViewControllerAddModifyURL::rebuildMenus()
{
    placeholderMenu_->clear();
    URLManager& manager = URLManager::shared();
    const auto& placeholders = manager.urlPlaceholders();
    for (int index = 0; index < placeholders.size(); ++index) {
        QAction* action = placeholderMenu_->addAction(placeholders.at(index)->title());
        connect(action, &QAction::triggered, this, [this, index] { mnu_InsertPlaceholder(index); });
    }
    templateMenu_->clear();
    manager.cleanUpTemplates();
    const auto& templates = manager.urlTemplates();
    for (int index = 0; index < templates.size(); ++index) {
        QAction* action = templateMenu_->addAction(templates.at(index)->title());
        connect(action, &QAction::triggered, this, [this, index] { mnu_ReplaceWithTemplate(index); });
    }
    urlReplaceWithTemplate_->setToolTip(templates.isEmpty() ? localized("No URL templates yet: add them in the settings")
                                                            : QString());
}

void ConfigViewControllerAddModifyURL::popUpMenu(QMenu* menu, QPushButton* button)
{
    if (menu->isEmpty())
        return;
    const QPoint inParent(button->x(), button->y() - button->height() / 2);
    const QWidget* parent = button->parentWidget();
    menu->popup(parent ? parent->mapToGlobal(inParent) : button->mapToGlobal(QPoint()));
}

void ConfigViewControllerAddModifyURL::buttonURLInsertPlaceholderClick()
{
    popUpMenu(placeholderMenu_, urlInsertPlaceholder_);
}

void ConfigViewControllerAddModifyURL::buttonURLReplaceWithTemplateClick()
{
    popUpMenu(templateMenu_, urlReplaceWithTemplate_);
}

void ConfigViewControllerAddModifyURL::mnu_InsertPlaceholder(int index)
{
    const auto& placeholders = URLManager::shared().urlPlaceholders();
    if (index < 0 || index >= placeholders.size())
        return;
    // At the caret, or over the selection.
    textFieldSiteURL_->insert(placeholders.at(index)->value());
    vantel::ConfigViewControllerAddModifyURL::setURLFieldText(textFieldSiteURL_->text());
    colourURLField();
    updateLengthLabel();
    updateHostPreview();
    updateButtons();
}

void ConfigViewControllerAddModifyURL::mnu_ReplaceWithTemplate(int index)
{
    const auto& templates = URLManager::shared().urlTemplates();
    if (index < 0 || index >= templates.size())
        return;
    textFieldSiteURL_->setText(templates.at(index)->value());
    vantel::ConfigViewControllerAddModifyURL::setURLFieldText(textFieldSiteURL_->text());
    colourURLField();
    updateLengthLabel();
    updateHostPreview();
    updateButtons();
}

// ---- Buttons ----

void ConfigViewControllerAddModifyURL::buttonURLTestClick()
{
    const QString url = trimmingWhitespace(textFieldSiteURL_->text());
    if (!url.isEmpty())
        OpenObject::shared().openURLString(url, std::nullopt);
}

void ConfigViewControllerAddModifyURL::buttonOKClick()
{
    if (!isAppearing())
        return;
    if (saveEntry())
        closeWindow();
}

void ConfigViewControllerAddModifyURL::buttonCancelClick()
{
    closeWindow();
}

void ConfigViewControllerAddModifyURL::closeWindow()
{
    if (presentingViewController()) {
        dismiss();
        return;
    }
    if (isViewLoaded() && view()->window() != view())
        view()->window()->close();
}

} // namespace vantel::settingsui
