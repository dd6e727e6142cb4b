#pragma once

namespace vantel {

// A source that feeds entries into the data store and that the store switches
// on and off with its `enableDataProxies` (application discovery, tag entries,
// recent launches).
class DataProxy {
public:
    virtual ~DataProxy() = default;

    // False until initialize() has run.
    virtual bool initialized() const = 0;
    // Registers the proxy's observers or starts its source. The store calls it
    // once, the first time its switch is stored; afterwards initialized()
    // answers true.
    virtual void initialize() = 0;

    virtual bool enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
};

} // namespace vantel
