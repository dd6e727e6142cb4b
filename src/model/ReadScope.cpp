#include "model/ReadScope.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace vantel {

namespace {

struct Reading {
    const void* list;
    std::vector<std::function<void()>> deferred;
};

// Reads nest only a few deep: a short list beats a map.
thread_local std::vector<Reading> readings;

} // namespace

ReadScope::ReadScope(const void* list)
    : list_(list)
{
    readings.push_back({list, {}});
}

ReadScope::~ReadScope()
{
    // The caller's lock guard was declared after this scope and is gone
    // already, so held-back writes can take the lock.
    const auto it = std::find_if(readings.rbegin(), readings.rend(), [this](const Reading& r) { return r.list == list_; });
    if (it == readings.rend())
        return;
    std::vector<std::function<void()>> deferred = std::move(it->deferred);
    readings.erase(std::next(it).base());
    for (auto& work : deferred)
        work();
}

bool ReadScope::isReading(const void* list)
{
    return std::any_of(readings.cbegin(), readings.cend(), [list](const Reading& r) { return r.list == list; });
}

void ReadScope::defer(const void* list, std::function<void()> work)
{
    const auto it = std::find_if(readings.rbegin(), readings.rend(), [list](const Reading& r) { return r.list == list; });
    if (it != readings.rend())
        it->deferred.push_back(std::move(work));
    else
        work();
}

} // namespace vantel
