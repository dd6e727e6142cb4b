#pragma once

#include "access/URLInputDialogProvider.h"
#include "platform/DialogProvider.h"
#include "platform/ScriptedDialogProvider.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

#include <memory>
#include <mutex>
#include <optional>

namespace vantel::test {

// Answers the questions of URL templates from a queue and records them.
class ScriptedURLInput final : public URLInputDialogProvider {
public:
    void queueAnswer(const std::optional<QString>& answer) { answers_.append(answer); }
    std::optional<QString> ask(const URLInputRequest& request) override
    {
        requests.append(request);
        if (answers_.isEmpty())
            return std::nullopt;
        return answers_.takeFirst();
    }
    QList<URLInputRequest> requests;

private:
    QList<std::optional<QString>> answers_;
};

// Installs scripted dialogs for the life of a test.
struct ScriptedDialogs {
    ScriptedDialogs()
        : alerts(std::make_shared<platform::ScriptedDialogProvider>())
        , input(std::make_shared<ScriptedURLInput>())
    {
        platform::DialogProvider::setShared(alerts);
        URLInputDialogProvider::setShared(input);
    }
    ~ScriptedDialogs()
    {
        platform::DialogProvider::setShared(nullptr);
        URLInputDialogProvider::setShared(nullptr);
    }
    std::shared_ptr<platform::ScriptedDialogProvider> alerts;
    std::shared_ptr<ScriptedURLInput> input;
};

} // namespace vantel::test
