#include "platform/ProcessActivity.h"

namespace vantel::platform {

namespace {
std::atomic<int> g_active = 0;
} // namespace

std::shared_ptr<ProcessActivity> ProcessActivity::begin(quint64 options, const QString& reason)
{
    ++g_active;
    return std::shared_ptr<ProcessActivity>(new ProcessActivity(options, reason));
}

ProcessActivity::ProcessActivity(quint64 options, QString reason)
    : options_(options)
    , reason_(std::move(reason))
{
}

// Dropping the last reference ends the activity as well.
ProcessActivity::~ProcessActivity()
{
    end();
}

void ProcessActivity::end()
{
    if (active_.exchange(false))
        --g_active;
}

int ProcessActivity::activeCount()
{
    return g_active.load();
}

} // namespace vantel::platform
