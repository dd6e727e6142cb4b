#pragma once

#include "config/Configuration.h"

namespace vantel {

// The application delegate, reachable from any thread. It owns the one
// Configuration for the life of the process.
class AppDelegate {
public:
    static AppDelegate& shared();

    Configuration& config() { return config_; }

private:
    AppDelegate() = default;

    Configuration config_;
};

} // namespace vantel
