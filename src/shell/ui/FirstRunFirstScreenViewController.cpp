#include "shell/ui/FirstRunFirstScreenViewController.h"

#include "graphics/DrawingKit.h"
#include "model/LocalizedStrings.h"
#include "shell/ui/FirstRunPageLayout.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace vantel {

namespace {

// The word mark, in the variant that reads on the window's background.
class WordMark : public QWidget {
public:
    explicit WordMark(QWidget* parent)
        : QWidget(parent)
    {
        setFixedSize(kSize);
        setAccessibleName(QStringLiteral("Vantel"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool dark = palette().color(QPalette::Window).lightness() < 128;
        if (dark)
            DrawingKit::drawTarnwickDarkUI(painter, rect(), ResizingBehavior::scaleToFit);
        else
            DrawingKit::drawTarnwickLightUI(painter, rect(), ResizingBehavior::scaleToFit);
    }

private:
    static constexpr QSize kSize{227, 43};
};

} // namespace

QWidget* FirstRunFirstScreenViewController::loadView()
{
    using namespace FirstRunPageLayout;
    auto* page = new QWidget();
    page->setObjectName(QStringLiteral("FirstRunSheet1"));
    QVBoxLayout* layout = makePageLayout(page);
    layout->addStretch(1);
    layout->addWidget(new WordMark(page), 0, Qt::AlignHCenter);
    layout->addSpacing(8);
    addTitleAndText(layout, localized("Welcome to Vantel"),
                    {localized("Vantel keeps your applications, folders, files and web links in one place, "
                               "a click or a keystroke away."),
                     localized("It lives in the system tray. Click its icon to open the main view; "
                               "right-click it for the menu with Preferences…, Modify Data… and Quit."),
                     localized("Vantel has already looked through your applications. Some well-known ones "
                               "carry a tag, so you can find them right away.")},
                    page);
    layout->addStretch(2);
    return page;
}

} // namespace vantel
