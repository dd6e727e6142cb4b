#pragma once

#include "platform/GlobalHotKeys.h"

namespace vantel::test {

// Takes every registration, as an X server with free keys would.
class AcceptingHotKeys : public platform::GlobalHotKeys {
public:
    bool isSupported() const override { return true; }
    QString unsupportedReason() const override { return {}; }
    Result registerHotKey(int, std::uint32_t) override { return {Status::registered, ++next_}; }
    void unregisterHotKey(std::uint32_t) override {}

private:
    std::uint32_t next_ = 0;
};

} // namespace vantel::test
