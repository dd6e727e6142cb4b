#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace vantel::platform {

// The program's interface files: windows, view controllers and cells are
// made by factories registered under the name of the file they belong to
// (the "storyboard") and their identifier. The files and identifiers are a
// fixed table; a factory can only be registered for a pair in it, so a typo
// shows at registration and not as a window that never opens.
//
// Asking for an unknown storyboard, an identifier without a factory, or a
// class the caller did not expect answers none, with the reason, so callers
// keep their failure paths. Main thread only.
class UiCatalog {
public:
    using Factory = std::function<std::shared_ptr<QObject>()>;
    enum class Failure { none, unknownStoryboard, unknownIdentifier, wrongClass };

    // The catalogue of the program's own interface files.
    static UiCatalog& main();

    // Storyboard name -> the identifiers inside it.
    static const QHash<QString, QStringList>& interfaceFiles();
    static bool hasStoryboard(const QString& storyboard);
    static bool hasIdentifier(const QString& storyboard, const QString& identifier);

    // False (with a warning) for a pair outside the table; an empty factory
    // removes the pair's factory.
    bool registerFactory(const QString& storyboard, const QString& identifier, Factory factory);
    bool hasFactory(const QString& storyboard, const QString& identifier) const;
    void clear();

    // A new object for the pair; none when the storyboard is unknown, the
    // identifier unknown or without factory, or the factory made none.
    std::shared_ptr<QObject> instantiate(const QString& storyboard, const QString& identifier,
                                         Failure* failure = nullptr) const;

    // As instantiate, and none (wrongClass) when the object is no T.
    template <class T>
    std::shared_ptr<T> instantiateAs(const QString& storyboard, const QString& identifier,
                                     Failure* failure = nullptr) const
    {
        std::shared_ptr<QObject> object = instantiate(storyboard, identifier, failure);
        if (!object)
            return nullptr;
        std::shared_ptr<T> typed = std::dynamic_pointer_cast<T>(object);
        if (!typed && failure)
            *failure = Failure::wrongClass;
        return typed;
    }

    static QString failureText(Failure failure);

private:
    QHash<QString, Factory> factories_;
};

} // namespace vantel::platform
