#pragma once

#include "model/SynchronizedDictionaryDelegate.h"
#include "platform/MainQueue.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <utility>

namespace vantel {

// A key-value table shared between threads, behind its own reader-writer
// lock: reads run side by side, a write runs alone and is seen by every later
// read from any thread. After each write the (weakly held) delegate hears of
// it on the main thread. Closures handed to forEach must not write to the
// table.
//
// Positions (startIndex .. endIndex) are plain offsets into the table's
// iteration order; each step is its own read, so a position is only good while
// no write intervenes. Walk the whole table with forEach instead.
template <class Key, class Value>
class SynchronizedDictionary : public std::enable_shared_from_this<SynchronizedDictionary<Key, Value>> {
    struct Private {};

public:
    using Ptr = std::shared_ptr<SynchronizedDictionary>;

    static Ptr create() { return std::make_shared<SynchronizedDictionary>(Private{}); }

    explicit SynchronizedDictionary(Private) {}
    SynchronizedDictionary(const SynchronizedDictionary&) = delete;
    SynchronizedDictionary& operator=(const SynchronizedDictionary&) = delete;

    QString label() const { return QStringLiteral("Dictionary Barrier Queue"); }

    void setDelegate(std::weak_ptr<SynchronizedDictionaryDelegate> delegate)
    {
        std::lock_guard lock(delegateMutex_);
        delegate_ = std::move(delegate);
    }
    std::shared_ptr<SynchronizedDictionaryDelegate> delegate() const
    {
        std::lock_guard lock(delegateMutex_);
        return delegate_.lock();
    }

    // ---- Reads ----
    std::optional<Value> value(const Key& key) const
    {
        return read([&]() -> std::optional<Value> {
            auto it = dictionary_.constFind(key);
            if (it == dictionary_.cend())
                return std::nullopt;
            return it.value();
        });
    }
    template <class Body>
    void forEach(Body&& body) const
    {
        read([&] {
            for (auto it = dictionary_.cbegin(); it != dictionary_.cend(); ++it)
                body(it.key(), it.value());
        });
    }
    qsizetype startIndex() const { return 0; }
    qsizetype endIndex() const { return read([this] { return dictionary_.size(); }); }
    qsizetype indexAfter(qsizetype index) const { return index + 1; }
    // The pair at a position; none when the position is no longer valid.
    std::optional<std::pair<Key, Value>> at(qsizetype index) const
    {
        return read([&]() -> std::optional<std::pair<Key, Value>> {
            if (index < 0 || index >= dictionary_.size())
                return std::nullopt;
            auto it = std::next(dictionary_.cbegin(), index);
            return std::make_pair(it.key(), it.value());
        });
    }
    qsizetype count() const { return endIndex(); }
    bool isEmpty() const { return count() == 0; }

    // ---- Writes ----
    // An unset value removes the key.
    void setValue(std::optional<Value> value, const Key& key)
    {
        write([value = std::move(value), key](QHash<Key, Value>& dictionary) {
            if (value)
                dictionary.insert(key, *value);
            else
                dictionary.remove(key);
        });
    }
    void removeAll()
    {
        write([](QHash<Key, Value>& dictionary) { dictionary = QHash<Key, Value>(); });
    }

private:
    template <class F>
    auto read(F&& f) const -> decltype(f())
    {
        std::shared_lock lock(mutex_);
        return f();
    }

    template <class Change>
    void write(Change change)
    {
        {
            std::unique_lock lock(mutex_);
            change(dictionary_);
        }
        announceChange();
    }

    void announceChange()
    {
        if (platform::MainQueue::isMainThread()) {
            if (auto delegate = this->delegate())
                delegate->dictionaryChanged();
            return;
        }
        // The block keeps the dictionary and loads the delegate when it runs.
        platform::MainQueue::async([self = this->shared_from_this()] {
            if (auto delegate = self->delegate())
                delegate->dictionaryChanged();
        });
    }

    mutable std::mutex delegateMutex_;
    std::weak_ptr<SynchronizedDictionaryDelegate> delegate_;
    QHash<Key, Value> dictionary_;
    mutable std::shared_mutex mutex_;
};

} // namespace vantel
