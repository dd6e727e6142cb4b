#pragma once

namespace vantel {

// Told on the main thread after every write to a SynchronizedDictionary.
class SynchronizedDictionaryDelegate {
public:
    virtual ~SynchronizedDictionaryDelegate() = default;
    virtual void dictionaryChanged() = 0;
};

} // namespace vantel
