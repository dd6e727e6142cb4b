#pragma once

#include <QSplitter>

namespace vantel {

// The split between the sidebar and the right half of the main view: no
// visible divider (thickness 0), a press on the divider moves the window,
// and the divider position is kept in the user defaults under the autosave
// name.
class MainSplitView : public QSplitter {
    Q_OBJECT

public:
    explicit MainSplitView(QWidget* parent = nullptr);

    QString autosaveName() const { return autosaveName_; }
    // Restores the position stored under the name (when there is one) and
    // stores every later move under it.
    void setAutosaveName(const QString& name);
    // Stores the current position under the autosave name.
    void saveState() const;

    static constexpr int dividerThickness = 0;

protected:
    QSplitterHandle* createHandle() override;

private:
    QString autosaveName_;
};

} // namespace vantel
