#pragma once

#include "access/URLAttributedStringParser.h"
#include "platform/ui/ViewControllerBase.h"
#include "settings/ConfigViewControllerAddModifyURL.h"

#include <QPointer>

class QLabel;
class QMenu;
class QPushButton;
class QTimer;

namespace vantel {
class CustomTextField;
}

namespace vantel::settingsui {

// The window (or sheet) in which a URL entry is made or changed: the URL
// field coloured by the template parser, title and comment, the length
// counter, the application that would open the URL, a test button, and the
// menus of placeholders to insert and templates to take over. The values it
// is handed and the save are the logic half's; this half mirrors them into
// its widgets. Each appearance shows the values set before it, each
// disappearance forgets them. Main thread only.
class ConfigViewControllerAddModifyURL : public platform::ViewControllerBase,
                                         public vantel::ConfigViewControllerAddModifyURL {
    Q_OBJECT

public:
    static inline const QString storyboard = QStringLiteral("DialogAddModifyURL");
    static inline const QString identifier = QStringLiteral("ConfigViewControllerAddModifyURL");
    static constexpr int maximumURLLength = 3072;
    static constexpr int maximumTitleLength = 100;
    static constexpr int maximumCommentLength = 100;
    static constexpr int minimumTestableLength = 4;
    static constexpr int errorLabelSeconds = 3;
    static const QSize preferredSize;

    // With no store, the shared one.
    explicit ConfigViewControllerAddModifyURL(QObject* parent = nullptr);
    explicit ConfigViewControllerAddModifyURL(DataStorage& store, QObject* parent = nullptr);
    ~ConfigViewControllerAddModifyURL() override;

    defaultVantelMainViewControllerState currentState() const override;
    bool hasWindow() const override { return platform::ViewControllerBase::hasWindow(); }
    void presentAsSheet(const std::shared_ptr<ViewController>& controller) override;

    // ---- The fields, mirrored into the widgets ----
    QString siteTitleText() const override;
    void setSiteTitleText(const QString& text) override;
    QString siteCommentText() const override;
    void setSiteCommentText(const QString& text) override;
    QString urlFieldText() const override;
    void setURLFieldText(const QString& text) override;
    QString errorLabelText() const override;
    // A non-empty text shows the error label for 3 seconds; empty hides it.
    void setErrorLabelText(const QString& text) override;

    // ---- Actions ----
    void buttonOKClick();
    void buttonCancelClick();
    void buttonURLTestClick();
    void buttonURLInsertPlaceholderClick();
    void buttonURLReplaceWithTemplateClick();
    // The menu item at the index; an index outside the list does nothing.
    void mnu_InsertPlaceholder(int index);
    void mnu_ReplaceWithTemplate(int index);
    void showErrorlabel(const QString& message);
    void hideErrorlabel();

    // What the window shows, for its owner and tests.
    CustomTextField* textFieldSiteTitle() const { return textFieldSiteTitle_; }
    CustomTextField* textFieldSiteURL() const { return textFieldSiteURL_; }
    CustomTextField* textFieldSiteComment() const { return textFieldSiteComment_; }
    QLabel* errorLabel() const { return errorLabel_; }
    QLabel* urlHostImage() const { return urlHostImage_; }
    QLabel* urlHostPath() const { return urlHostPath_; }
    QLabel* urlTextStats() const { return urlTextStats_; }
    QPushButton* urlTest() const { return urlTest_; }
    QPushButton* urlInsertPlaceholder() const { return urlInsertPlaceholder_; }
    QPushButton* urlReplaceWithTemplate() const { return urlReplaceWithTemplate_; }
    QMenu* placeholderMenu() const { return placeholderMenu_; }
    QMenu* templateMenu() const { return templateMenu_; }
    // The colour ranges the URL field draws.
    const URLAttributedString& shownURLColouring() const { return colouring_; }

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewDidAppear() override;
    void viewDidDisappear() override;

private:
    void urlTextChanged();
    void updateLengthLabel();
    void updateButtons();
    void updateHostPreview();
    void resetHostPreview();
    void colourURLField();
    void rebuildMenus();
    void popUpMenu(QMenu* menu, QPushButton* button);
    void closeWindow();

    URLAttributedStringParser urlAttributedStringParser_;
    URLAttributedString colouring_;
    CustomTextField* textFieldSiteTitle_ = nullptr;
    CustomTextField* textFieldSiteURL_ = nullptr;
    CustomTextField* textFieldSiteComment_ = nullptr;
    QLabel* errorLabel_ = nullptr;
    QLabel* urlHostImage_ = nullptr;
    QLabel* urlHostPath_ = nullptr;
    QLabel* urlTextStats_ = nullptr;
    QPushButton* urlTest_ = nullptr;
    QPushButton* urlInsertPlaceholder_ = nullptr;
    QPushButton* urlReplaceWithTemplate_ = nullptr;
    QMenu* placeholderMenu_ = nullptr;
    QMenu* templateMenu_ = nullptr;
    QTimer* errorTimer_ = nullptr;
};

} // namespace vantel::settingsui
