#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vantel {

// The small modal window that asks for the text of one question of a URL
// template: the question, the icon of the application that will open the
// URL, an input field, OK and Cancel. Return in the field answers like OK;
// closing the window any other way cancels.
class URLInputViewController : public QDialog {
public:
    explicit URLInputViewController(QWidget* parent = nullptr);

    std::optional<int> modalResponse() const { return modalResponse_; }
    std::optional<QString> dialogURL() const { return dialogURL_; }
    void setDialogURL(const std::optional<QString>& url) { dialogURL_ = url; }
    std::optional<QString> dialogLabel() const { return dialogLabel_; }
    // A present value shows the question, or "Input" for an empty one.
    void setDialogLabel(const std::optional<QString>& label);
    // Set when the window closes: the text typed, or none when cancelled.
    std::optional<QString> dialogResult() const { return dialogResult_; }

    // Sets the icon: the application's (its path given) or the generic one.
    void configureDialog(const std::optional<QString>& applicationPath);

    void btnOKClick();
    void btnCancelClick();

    QLabel* labelURL() const { return labelURL_; }
    QLabel* imageURL() const { return imageURL_; }
    QLineEdit* inputURL() const { return inputURL_; }
    // True when the icon shows the application rather than the generic image.
    bool showsApplicationIcon() const { return showsApplicationIcon_; }

    void done(int result) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QLabel* imageURL_ = nullptr;
    QLabel* labelURL_ = nullptr;
    QLineEdit* inputURL_ = nullptr;
    std::optional<int> modalResponse_;
    std::optional<QString> dialogURL_;
    std::optional<QString> dialogLabel_;
    std::optional<QString> dialogResult_;
    bool showsApplicationIcon_ = false;
    std::optional<QPoint> dragOffset_;
};

} // namespace vantel
