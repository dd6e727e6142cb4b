#pragma once

#include "model/SynchronizedDictionaryDelegate.h"
#include "platform/DispatchQueue.h"
#include "platform/MainQueue.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace vantel {

// A key-value table shared between threads, on its own concurrent queue:
// synchronous reads, barrier writes that return at once. After each write the
// (weakly held) delegate hears of it on the main thread.
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

    explicit SynchronizedDictionary(Private)
        : concurrentQueue_(platform::DispatchQueue::create(QStringLiteral("Dictionary Barrier Queue"),
                                                           platform::DispatchQueue::Kind::Concurrent))
    {
    }
    SynchronizedDictionary(const SynchronizedDictionary&) = delete;
    SynchronizedDictionary& operator=(const SynchronizedDictionary&) = delete;

    QString label() const { return concurrentQueue_->label(); }

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
        return concurrentQueue_->sync([&]() -> std::optional<Value> {
            auto it = dictionary_.constFind(key);
            if (it == dictionary_.cend())
                return std::nullopt;
            return it.value();
        });
    }
    template <class Body>
    void forEach(Body&& body) const
    {
        concurrentQueue_->sync([&] {
            for (auto it = dictionary_.cbegin(); it != dictionary_.cend(); ++it)
                body(it.key(), it.value());
        });
    }
    qsizetype startIndex() const { return 0; }
    qsizetype endIndex() const { return concurrentQueue_->sync([this] { return dictionary_.size(); }); }
    qsizetype indexAfter(qsizetype index) const { return index + 1; }
    // The pair at a position; none when the position is no longer valid.
    std::optional<std::pair<Key, Value>> at(qsizetype index) const
    {
        return concurrentQueue_->sync([&]() -> std::optional<std::pair<Key, Value>> {
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
    template <class Change>
    void write(Change change)
    {
        std::weak_ptr<SynchronizedDictionary> weakSelf = this->weak_from_this();
        concurrentQueue_->asyncBarrier([weakSelf, change = std::move(change)] {
            auto self = weakSelf.lock();
            if (!self)
                return;
            change(self->dictionary_);
            self->announceChange();
        });
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
    const std::shared_ptr<platform::DispatchQueue> concurrentQueue_;
};

} // namespace vantel
