#pragma once

#include <QString>

#include <atomic>
#include <memory>

namespace vantel::platform {

// A declared stretch of work that the system should not throttle. Linux has
// no App Nap, so this is a token that only keeps the reason and its state;
// activeCount() lets tests and diagnostics see unbalanced begins.
class ProcessActivity {
public:
    static std::shared_ptr<ProcessActivity> begin(quint64 options, const QString& reason);
    ~ProcessActivity();

    // Ends the activity; later calls do nothing.
    void end();
    bool isActive() const { return active_.load(); }
    QString reason() const { return reason_; }
    quint64 options() const { return options_; }

    static int activeCount();

private:
    ProcessActivity(quint64 options, QString reason);
    quint64 options_;
    QString reason_;
    std::atomic<bool> active_ = true;
};

} // namespace vantel::platform
