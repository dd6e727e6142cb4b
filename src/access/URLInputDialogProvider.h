#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace vantel {

// One question of a URL template.
struct URLInputRequest {
    QString question;               // empty: the dialog shows its default label
    std::optional<QString> url;     // the template being opened
    // The application that will open the URL, for the dialog's icon; none
    // when it cannot be told.
    std::optional<QString> applicationPath;
};

// Where the questions of URL templates are asked. The application installs
// the dialog of the interface layer; tests install their own. Without one,
// every question counts as cancelled.
class URLInputDialogProvider {
public:
    virtual ~URLInputDialogProvider() = default;
    // Runs modally on the main thread; none when cancelled.
    virtual std::optional<QString> ask(const URLInputRequest& request) = 0;

    static std::shared_ptr<URLInputDialogProvider> shared();
    static void setShared(std::shared_ptr<URLInputDialogProvider> provider);
};

// Asks one question on the main thread (the caller waits when elsewhere).
// The answer, or none when cancelled or when no dialog can be shown.
std::optional<QString> showURLInputDialog(const std::optional<QString>& url, const QString& question);

// The application that opens the template once its placeholders are taken
// out, when that is a valid URL and the application exists.
std::optional<QString> applicationForURLTemplate(const std::optional<QString>& url);

} // namespace vantel
