#pragma once

#include "model/ReadScope.h"
#include "platform/MainQueue.h"

#include <QDebug>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <ranges>
#include <shared_mutex>
#include <type_traits>
#include <unordered_set>
#include <vector>

namespace vantel {

// An ordered list shared between threads, behind its own reader-writer lock.
// Reads run on the calling thread under the shared lock and may overlap; a
// write changes the list under the exclusive lock before it returns, so every
// later read from any thread sees it, and writes run alone and in the order
// they take the lock. A write's completion runs later on the main queue, in
// write order.
//
// Closures handed to reads run while the lock is held for reading. A write to
// this array from inside such a closure is held back and runs, in order, as
// soon as the outermost read of this array on that thread has ended; a read
// nested in the closure runs under the lock already held.
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

    explicit SynchronizedArray(Private) {}
    SynchronizedArray(const SynchronizedArray&) = delete;
    SynchronizedArray& operator=(const SynchronizedArray&) = delete;

    QString label() const { return QStringLiteral("net.tarnwick.SynchronizedArray"); }
    // Grows with every write (also one that changed nothing): a reader that
    // kept something derived from the list knows it is still current.
    quint64 revision() const { return revision_.load(std::memory_order_acquire); }

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
        return create(read([&] {
            if (n < 0 || n > array_.size())
                return QList<Element>();
            return array_.first(n);
        }));
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
        read([&] {
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
        if (&other == this)
            return true;
        if constexpr (isSharedPointer) {
            // Entries count by identity: raw pointers, without touching the
            // reference counts. The other array is read before this one's
            // read begins, so no read ever waits on a second lock.
            const std::vector<const void*> theirs = other.rawPointers();
            return read([&] { return sameSetOfPointers(array_, theirs); });
        } else {
            const QList<Element> theirs = other.snapshot();
            return read([&] {
                const std::unordered_set<Element> mine(array_.cbegin(), array_.cend());
                const std::unordered_set<Element> otherSet(theirs.cbegin(), theirs.cend());
                return mine == otherSet;
            });
        }
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
        // Into an empty array the list is taken shared, not copied: arrays
        // filled from one list hold one buffer until either changes.
        write([elements = std::move(elements)](QList<Element>& array) {
            if (array.isEmpty())
                array = elements;
            else
                array.append(elements);
        }, std::move(completion), true);
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
    // Out of range: nothing changes and no completion runs.
    void insert(Element element, qsizetype index, Completion completion = {})
    {
        change([element = std::move(element), index, completion = std::move(completion)](QList<Element>& array,
                                                                                          QList<Element>&) {
            if (index < 0 || index > array.size())
                return;
            array.insert(index, element);
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
    // Out of range: nothing changes and no completion runs.
    void removeAt(qsizetype index, ElementCompletion completion = {})
    {
        change([index, completion = std::move(completion)](QList<Element>& array, QList<Element>& released) {
            if (index < 0 || index >= array.size())
                return;
            released.append(array.takeAt(index));
            postElement(completion, released.last());
        });
    }
    template <class Predicate>
    void removeAllWhere(Predicate predicate, ElementsCompletion completion = {})
    {
        change([predicate = std::move(predicate), completion = std::move(completion)](QList<Element>& array,
                                                                                      QList<Element>& released) {
            QList<Element> kept;
            for (const Element& element : std::as_const(array)) {
                if (predicate(element))
                    released.append(element);
                else
                    kept.append(element);
            }
            array = std::move(kept);
            postElements(completion, released);
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
        change([completion = std::move(completion)](QList<Element>& array, QList<Element>& released) {
            released = std::exchange(array, QList<Element>());
            postElements(completion, released);
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
    template <class T>
    struct IsSharedPointer : std::false_type {};
    template <class T>
    struct IsSharedPointer<std::shared_ptr<T>> : std::true_type {};
    static constexpr bool isSharedPointer = IsSharedPointer<Element>::value;

    template <class F>
    auto read(F&& f) const -> decltype(f())
    {
        // A read nested in a read of this array on this thread runs under
        // the lock already held.
        if (ReadScope::isReading(this))
            return f();
        ReadScope scope(this);
        std::shared_lock lock(mutex_);
        return f();
    }

    // Runs `apply(array, released)` under the exclusive lock; what the change
    // puts into `released` is let go after the lock. Inside a read of this
    // array on this thread the change waits until that read has ended.
    template <class Apply>
    void change(Apply apply)
    {
        if (ReadScope::isReading(this)) {
            std::weak_ptr<SynchronizedArray> weakSelf = this->weak_from_this();
            ReadScope::defer(this, [weakSelf, apply = std::move(apply)]() mutable {
                if (auto self = weakSelf.lock())
                    self->change(std::move(apply));
            });
            return;
        }
        QList<Element> released;
        {
            std::unique_lock lock(mutex_);
            apply(array_, released);
            revision_.fetch_add(1, std::memory_order_release);
        }
    }

    // Completions are posted under the lock, so they run in write order.
    static void postCompletion(const Completion& completion)
    {
        if (completion)
            platform::MainQueue::async(completion);
    }
    static void postElement(const ElementCompletion& completion, std::optional<Element> element)
    {
        if (completion)
            platform::MainQueue::async([completion, element = std::move(element)] { completion(element); });
    }
    static void postElements(const ElementsCompletion& completion, const QList<Element>& elements)
    {
        if (completion)
            platform::MainQueue::async([completion, elements] { completion(elements); });
    }

    template <class Change>
    void write(Change apply, Completion completion, bool)
    {
        change([apply = std::move(apply), completion = std::move(completion)](QList<Element>& array,
                                                                              QList<Element>&) mutable {
            apply(array);
            postCompletion(completion);
        });
    }

    void removeEnd(bool front, ElementCompletion completion)
    {
        change([front, completion = std::move(completion)](QList<Element>& array, QList<Element>& released) {
            std::optional<Element> removed;
            if (!array.isEmpty()) {
                released.append(front ? array.takeFirst() : array.takeLast());
                removed = released.last();
            }
            postElement(completion, std::move(removed));
        });
    }

    std::vector<const void*> rawPointers() const
    {
        return read([this] {
            std::vector<const void*> pointers;
            pointers.reserve(std::size_t(array_.size()));
            for (const Element& element : array_)
                pointers.push_back(element.get());
            return pointers;
        });
    }

    // Set equality of two pointer lists through one open-addressing table:
    // theirs are entered, mine are looked up and marked, and the sets are
    // equal when every one of mine was found and every entered one marked.
    static bool sameSetOfPointers(const QList<Element>& mine, const std::vector<const void*>& theirs)
    {
        if (mine.isEmpty() || theirs.empty())
            return mine.isEmpty() && theirs.empty();
        if (std::size_t(mine.size()) == theirs.size()) {
            bool sameOrder = true;
            for (std::size_t i = 0; i < theirs.size() && sameOrder; ++i)
                sameOrder = mine.at(qsizetype(i)).get() == theirs[i];
            if (sameOrder)
                return true;
        }
        std::size_t capacity = 16;
        while (capacity < theirs.size() * 2)
            capacity *= 2;
        const std::size_t mask = capacity - 1;
        struct Slot {
            const void* pointer = nullptr;
            bool marked = false;
            bool used = false;
        };
        std::vector<Slot> table(capacity);
        const auto slotOf = [&](const void* pointer) -> Slot& {
            std::size_t bits = reinterpret_cast<std::uintptr_t>(pointer);
            bits ^= bits >> 17;
            bits *= 0x9E3779B97F4A7C15ull;
            std::size_t i = (bits >> 20) & mask;
            while (table[i].used && table[i].pointer != pointer)
                i = (i + 1) & mask;
            return table[i];
        };
        std::size_t distinct = 0;
        for (const void* pointer : theirs) {
            Slot& slot = slotOf(pointer);
            if (!slot.used) {
                slot.used = true;
                slot.pointer = pointer;
                ++distinct;
            }
        }
        std::size_t marked = 0;
        for (const Element& element : mine) {
            Slot& slot = slotOf(element.get());
            if (!slot.used)
                return false;
            if (!slot.marked) {
                slot.marked = true;
                ++marked;
            }
        }
        return marked == distinct;
    }

    mutable std::shared_mutex mutex_;
    std::atomic<quint64> revision_{0};
    QList<Element> array_;
};

} // namespace vantel
