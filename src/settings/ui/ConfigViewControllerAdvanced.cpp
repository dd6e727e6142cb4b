#include "settings/ui/ConfigViewControllerAdvanced.h"

#include "config/Configuration.h"
#include "config/ExportDiagnosticData.h"
#include "model/LocalizedStrings.h"
#include "platform/NotificationCenter.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace vantel {

ConfigViewControllerAdvanced::ConfigViewControllerAdvanced(Configuration& config, QObject* parent)
    : SettingsViewController(parent)
    , config_(config)
{
    // Known before the view appears: the window is sized from it.
    setPreferredContentSize(preferredSize);
}

QWidget* ConfigViewControllerAdvanced::loadView()
{
    auto* view = new QWidget;
    view->setObjectName(QStringLiteral("ConfigViewControllerAdvanced"));
    auto* grid = new QGridLayout(view);
    grid->setContentsMargins(40, 24, 40, 24);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(12);

    checkBoxEnableDebugLogging_ = new QCheckBox(localized("Write diagnostic log lines"));
    checkBoxEnableDebugLogging_->setObjectName(QStringLiteral("checkBoxEnableDebugLogging"));
    grid->addWidget(new QLabel(localized("Logging:")), 0, 0, Qt::AlignRight);
    grid->addWidget(checkBoxEnableDebugLogging_, 0, 1);

    buttonResetAllWarningDialogs_ = new QPushButton(localized("Show all warnings again"));
    buttonResetAllWarningDialogs_->setObjectName(QStringLiteral("buttonResetAllWarningDialogs"));
    grid->addWidget(new QLabel(localized("Warnings:")), 1, 0, Qt::AlignRight);
    grid->addWidget(buttonResetAllWarningDialogs_, 1, 1, Qt::AlignLeft);

    buttonExportDiagnosticData_ = new QPushButton(localized("Export diagnostic data…"));
    buttonExportDiagnosticData_->setObjectName(QStringLiteral("buttonExportDiagnosticData"));
    grid->addWidget(new QLabel(localized("Diagnosis:")), 2, 0, Qt::AlignRight);
    grid->addWidget(buttonExportDiagnosticData_, 2, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);

    connect(buttonResetAllWarningDialogs_, &QPushButton::clicked, this, [this] { resetAllWarningDialogsClick(); });
    connect(buttonExportDiagnosticData_, &QPushButton::clicked, this, [this] { exportDiagnosticDataClick(); });
    return view;
}

void ConfigViewControllerAdvanced::viewWillAppear()
{
    storeBeforeExitSave_ = platform::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(Configuration::willSaveForExitNotification), [this](const auto&) { storeDebugLogging(); });
    setPreferredContentSize(preferredSize);
    checkBoxEnableDebugLogging_->setChecked(config_.debugLogging());
}

void ConfigViewControllerAdvanced::viewWillDisappear()
{
    storeBeforeExitSave_.reset();
    storeDebugLogging();
}

void ConfigViewControllerAdvanced::storeDebugLogging()
{
    config_.setDebugLogging(checkBoxEnableDebugLogging_->isChecked());
}

void ConfigViewControllerAdvanced::resetAllWarningDialogsClick()
{
    config_.setNeverRemindMeRenameTagDialog(false);
    config_.setNeverRemindMeRemoveTagDialog(false);
}

void ConfigViewControllerAdvanced::exportDiagnosticDataClick()
{
    ExportDiagnosticData diagnostic(config_);
    diagnostic.addAppInfo();
    diagnostic.addConfiguration();
    diagnostic.addSearchScopes();
    diagnostic.addSpotlightData();
    diagnostic.addMainDatabase();
    diagnostic.addTags();
    diagnostic.addBookmarks();
    diagnostic.addHotkeys();
    diagnostic.saveToFile();
}

} // namespace vantel
