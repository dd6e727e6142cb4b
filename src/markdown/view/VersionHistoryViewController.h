#pragma once

#include <QPointer>
#include <QSize>
#include <QWidget>

namespace vantel {

class CustomMarkdownTextView;

// Shows the bundle's version history in its own window.
class VersionHistoryViewController : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize preferredContentSize{680, 460};

    explicit VersionHistoryViewController(QWidget* parent = nullptr);

    CustomMarkdownTextView* markdownTextView() const { return m_markdownTextView; }
    QWidget* visualEffectView() const { return m_visualEffectView; }

    // The host calls these; showing the widget also calls viewWillAppear.
    void viewDidLoad();
    void viewWillAppear();

    QSize sizeHint() const override { return preferredContentSize; }

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    CustomMarkdownTextView* m_markdownTextView;
    QPointer<QWidget> m_visualEffectView;
};

} // namespace vantel
