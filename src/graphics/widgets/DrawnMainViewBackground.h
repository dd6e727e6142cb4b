#pragma once

#include "graphics/widgets/RowBackgroundState.h"

#include <QWidget>

namespace vantel {

// The background of an entry row as a widget: the preview in the entry
// popover and the appearance settings. The rules are those of
// RowBackgroundState; each change that shows redraws the whole widget.
class DrawnMainViewBackground : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool drawBackground READ drawBackground WRITE setDrawBackground)
    Q_PROPERTY(float alphaColor READ alphaColor WRITE setAlphaColor)
public:
    explicit DrawnMainViewBackground(QWidget* parent = nullptr);

    const RowBackgroundState& state() const { return state_; }
    bool hasColor() const { return state_.hasColor; }
    bool drawBackground() const { return state_.drawBackground; }
    void setDrawBackground(bool draw);
    float alphaColor() const { return state_.alphaColor; }
    void setAlphaColor(float alpha);
    const std::optional<QColor>& color() const { return state_.color; }
    void setColor(const std::optional<QColor>& color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    RowBackgroundState state_;
};

} // namespace vantel
