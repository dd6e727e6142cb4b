#pragma once

#include "platform/DispatchQueue.h"
#include "platform/MainQueue.h"

#include <QDebug>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <ranges>
#include <unordered_set>

namespace vantel {

// An ordered list shared between threads. Reads run synchronously on the
// array's own concurrent queue and may overlap; writes are barrier blocks that
// return at once, so every read submitted after a write sees it. Every write
// hops to the main queue afterwards and calls its completion there.
//
// Closures handed to reads run while the queue is held for reading: they must
// not write to this array synchronously nor read it again (a pending write
// would make the nested read wait on itself).
template <class Element>
class SynchronizedArray : public std::enable_shared_from_this<SynchronizedArray<Element>> {
    struct Private {};

public:
    using Ptr = std::shared_ptr<SynchronizedArray>;
    using Completion = std::function<void()>;
    using ElementCompletion = std::function<void(std::optional<Element>)>;
    using ElementsCompletion = std::function<void(QList<Element>)>;

    static Ptr create() { return std::make_shared<SynchronizedArray>(Private{}); }
    static Ptr create(QList<Element> elements)
    {
        auto result = std::make_shared<SynchronizedArray>(Private{});
        result->array_ = std::move(elements);
        return result;
    }

    explicit SynchronizedArray(Private)
        : queue_(platform::DispatchQueue::create(QStringLiteral("net.tarnwick.SynchronizedArray"),
                                                 platform::DispatchQueue::Kind::Concurrent))
    {
    }
    SynchronizedArray(const SynchronizedArray&) = delete;
    SynchronizedArray& operator=(const SynchronizedArray&) = delete;

    QString label() const { return queue_->label(); }

    // ---- Reads ----
    qsizetype count() const { return read([this] { return array_.size(); }); }
    bool isEmpty() const { return read([this] { return array_.isEmpty(); }); }
    std::optional<Element> first() const
    {
        return read([this]() -> std::optional<Element> {
            if (array_.isEmpty())
                return std::nullopt;
            return array_.first();
        });
    }
    std::optional<Element> last() const
    {
        return read([this]() -> std::optional<Element> {
            if (array_.isEmpty())
                return std::nullopt;
            return array_.last();
        });
    }
    QString description() const
    {
        return read([this] {
            QString text;
            QDebug(&text).nospace() << array_;
            return text;
        });
    }
    auto indices() const { return std::views::iota(qsizetype(0), count()); }

    // Bounds are checked inside the same read that fetches the element.
    std::optional<Element> at(qsizetype index) const
    {
        return read([this, index]() -> std::optional<Element> {
            if (index < 0 || index >= array_.size())
                return std::nullopt;
            return array_.at(index);
        });
    }
    std::optional<Element> operator[](qsizetype index) const { return at(index); }

    template <class Predicate>
    std::optional<Element> firstItem(Predicate&& predicate) const
    {
        return read([&]() -> std::optional<Element> {
            for (const Element& element : array_)
                if (predicate(element))
                    return element;
            return std::nullopt;
        });
    }
    template <class Predicate>
    std::optional<Element> lastItem(Predicate&& predicate) const
    {
        return read([&]() -> std::optional<Element> {
            for (auto it = array_.crbegin(); it != array_.crend(); ++it)
                if (predicate(*it))
                    return *it;
            return std::nullopt;
        });
    }
    template <class Predicate>
    std::optional<qsizetype> firstIndex(Predicate&& predicate) const
    {
        return read([&]() -> std::optional<qsizetype> {
            for (qsizetype i = 0; i < array_.size(); ++i)
                if (predicate(array_.at(i)))
                    return i;
            return std::nullopt;
        });
    }
    template <class Predicate>
    Ptr filtered(Predicate&& predicate) const
    {
        QList<Element> matches = read([&] {
            QList<Element> result;
            for (const Element& element : array_)
                if (predicate(element))
                    result.append(element);
            return result;
        });
        return create(std::move(matches));
    }
    // A new array with the first n elements; empty when n is out of range.
    Ptr prefix(qsizetype n) const
    {
        Ptr result = create();
        queue_->sync([&] {
            if (n < 0 || n > array_.size())
                return;
            for (qsizetype i = 0; i < n; ++i)
                result->append(array_.at(i));
        });
        return result;
    }
    template <class Compare>
    Ptr sorted(Compare&& areInIncreasingOrder) const
    {
        QList<Element> copy = snapshot();
        std::sort(copy.begin(), copy.end(), areInIncreasingOrder);
        return create(std::move(copy));
    }
    template <class Transform>
    auto map(Transform&& transform) const -> QList<std::decay_t<decltype(transform(std::declval<const Element&>()))>>
    {
        using T = std::decay_t<decltype(transform(std::declval<const Element&>()))>;
        return read([&] {
            QList<T> result;
            result.reserve(array_.size());
            for (const Element& element : array_)
                result.append(transform(element));
            return result;
        });
    }
    // The transform answers a std::optional; absent results are left out.
    template <class Transform>
    auto compactMap(Transform&& transform) const
        -> QList<typename std::decay_t<decltype(transform(std::declval<const Element&>()))>::value_type>
    {
        using T = typename std::decay_t<decltype(transform(std::declval<const Element&>()))>::value_type;
        return read([&] {
            QList<T> result;
            for (const Element& element : array_)
                if (auto value = transform(element))
                    result.append(std::move(*value));
            return result;
        });
    }
    template <class Result, class Combine>
    Result reduce(Result initial, Combine&& combine) const
    {
        return read([&] {
            Result result = std::move(initial);
            for (const Element& element : array_)
                result = combine(std::move(result), element);
            return result;
        });
    }
    template <class Result, class Update>
    Result reduceInto(Result initial, Update&& update) const
    {
        return read([&] {
            Result result = std::move(initial);
            for (const Element& element : array_)
                update(result, element);
            return result;
        });
    }
    template <class Body>
    void forEach(Body&& body) const
    {
        queue_->sync([&] {
            for (const Element& element : array_)
                body(element);
        });
    }
    template <class Predicate>
    bool containsItem(Predicate&& predicate) const
    {
        return read([&] { return std::any_of(array_.cbegin(), array_.cend(), predicate); });
    }
    template <class Predicate>
    bool allSatisfy(Predicate&& predicate) const
    {
        return read([&] { return std::all_of(array_.cbegin(), array_.cend(), predicate); });
    }
    bool contains(const Element& element) const
    {
        return read([&] { return array_.contains(element); });
    }
    // Same set of elements: order and repeats do not count.
    bool isEqual(const SynchronizedArray& other) const
    {
        // The other array is read before this one's read begins, so no read
        // block ever waits on a second queue.
        const QList<Element> theirs = other.snapshot();
        return read([&] {
            const std::unordered_set<Element> mine(array_.cbegin(), array_.cend());
            const std::unordered_set<Element> otherSet(theirs.cbegin(), theirs.cend());
            return mine == otherSet;
        });
    }
    // A copy taken in one read: loops over it never hold the queue.
    QList<Element> snapshot() const { return read([this] { return array_; }); }
    QList<Element> makeIterator() const { return snapshot(); }

    // ---- Writes ----
    void append(Element element, Completion completion = {})
    {
        write([element = std::move(element)](QList<Element>& array) { array.append(element); },
              std::move(completion), true);
    }
    void appendContentsOf(QList<Element> elements, Completion completion = {})
    {
        write([elements = std::move(elements)](QList<Element>& array) { array.append(elements); },
              std::move(completion), true);
    }
    template <std::ranges::input_range Range>
        requires(!std::is_same_v<std::decay_t<Range>, QList<Element>>)
    void appendContentsOf(Range&& sequence, Completion completion = {})
    {
        QList<Element> elements;
        for (auto&& element : sequence)
            elements.append(element);
        appendContentsOf(std::move(elements), std::move(completion));
    }
    // Out of range when the block runs: nothing changes and no completion runs.
    void insert(Element element, qsizetype index, Completion completion = {})
    {
        std::weak_ptr<SynchronizedArray> weakSelf = this->weak_from_this();
        queue_->asyncBarrier([weakSelf, element = std::move(element), index, completion = std::move(completion)] {
            if (auto self = weakSelf.lock()) {
                if (index < 0 || index > self->array_.size())
                    return;
                self->array_.insert(index, element);
            }
            postCompletion(completion);
        });
    }
    void removeFirst(ElementCompletion completion = {}) { removeEnd(true, std::move(completion)); }
    void removeLast(ElementCompletion completion = {}) { removeEnd(false, std::move(completion)); }
    void removeFirstCount(qsizetype n, Completion completion = {})
    {
        write([n](QList<Element>& array) {
            if (n >= 0 && n <= array.size())
                array.remove(0, n);
        }, std::move(completion), true);
    }
    void removeLastCount(qsizetype n, Completion completion = {})
    {
        write([n](QList<Element>& array) {
            if (n >= 0 && n <= array.size())
                array.remove(array.size() - n, n);
        }, std::move(completion), true);
    }
    void keepFirst(qsizetype n)
    {
        write([n](QList<Element>& array) {
            if (n >= 0 && n <= array.size())
                array.resize(n);
        }, {}, true);
    }
    // Out of range when the block runs: nothing changes and no completion runs.
    void removeAt(qsizetype index, ElementCompletion completion = {})
    {
        std::weak_ptr<SynchronizedArray> weakSelf = this->weak_from_this();
        queue_->asyncBarrier([weakSelf, index, completion = std::move(completion)] {
            auto self = weakSelf.lock();
            if (!self || index < 0 || index >= self->array_.size())
                return;
            Element removed = self->array_.takeAt(index);
            platform::MainQueue::async([completion, removed = std::move(removed)] {
                if (completion)
                    completion(removed);
            });
        });
    }
    template <class Predicate>
    void removeAllWhere(Predicate predicate, ElementsCompletion completion = {})
    {
        std::weak_ptr<SynchronizedArray> weakSelf = this->weak_from_this();
        queue_->asyncBarrier([weakSelf, predicate = std::move(predicate), completion = std::move(completion)] {
            auto self = weakSelf.lock();
            if (!self)
                return;
            QList<Element> removed;
            QList<Element> kept;
            for (const Element& element : std::as_const(self->array_)) {
                if (predicate(element))
                    removed.append(element);
                else
                    kept.append(element);
            }
            self->array_ = std::move(kept);
            platform::MainQueue::async([completion, removed = std::move(removed)] {
                if (completion)
                    completion(removed);
            });
        });
    }
    void remove(const Element& element, Completion completion = {})
    {
        write([element](QList<Element>& array) {
            const qsizetype index = array.indexOf(element);
            if (index >= 0)
                array.removeAt(index);
        }, std::move(completion), false);
    }
    void removeAll(ElementsCompletion completion = {})
    {
        std::weak_ptr<SynchronizedArray> weakSelf = this->weak_from_this();
        queue_->asyncBarrier([weakSelf, completion = std::move(completion)] {
            auto self = weakSelf.lock();
            if (!self)
                return;
            QList<Element> removed = std::move(self->array_);
            self->array_ = QList<Element>();
            platform::MainQueue::async([completion, removed = std::move(removed)] {
                if (completion)
                    completion(removed);
            });
        });
    }
    // Stores the value when it is set and the index is in range; an unset
    // value submits nothing.
    void set(qsizetype index, std::optional<Element> value)
    {
        if (!value)
            return;
        write([index, value = std::move(*value)](QList<Element>& array) {
            if (index >= 0 && index < array.size())
                array[index] = value;
        }, {}, true);
    }

private:
    template <class F>
    auto read(F&& f) const -> decltype(f())
    {
        return queue_->sync(std::forward<F>(f));
    }

    static void postCompletion(const Completion& completion)
    {
        platform::MainQueue::async([completion] {
            if (completion)
                completion();
        });
    }

    // A barrier write that holds the array weakly; `completeWhenGone` tells
    // whether the completion still runs when the array has been released.
    template <class Change>
    void write(Change change, Completion completion, bool completeWhenGone)
    {
        std::weak_ptr<SynchronizedArray> weakSelf = this->weak_from_this();
        queue_->asyncBarrier([weakSelf, change = std::move(change), completion = std::move(completion),
                              completeWhenGone]() mutable {
            if (auto self = weakSelf.lock())
                change(self->array_);
            else if (!completeWhenGone)
                return;
            postCompletion(completion);
        });
    }

    void removeEnd(bool front, ElementCompletion completion)
    {
        std::weak_ptr<SynchronizedArray> weakSelf = this->weak_from_this();
        queue_->asyncBarrier([weakSelf, front, completion = std::move(completion)] {
            std::optional<Element> removed;
            if (auto self = weakSelf.lock(); self && !self->array_.isEmpty())
                removed = front ? self->array_.takeFirst() : self->array_.takeLast();
            platform::MainQueue::async([completion, removed = std::move(removed)] {
                if (completion)
                    completion(removed);
            });
        });
    }

    const std::shared_ptr<platform::DispatchQueue> queue_;
    QList<Element> array_;
};

} // namespace vantel
