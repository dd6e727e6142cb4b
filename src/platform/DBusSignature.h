#pragma once

#include <QDBusMessage>
#include <QString>
#include <QVariant>

#include <atomic>

namespace vantel::platform {

class LogCategory;

// One kind of message that a peer on the bus sends us (a reply, a signal, or
// a value inside one) and the D-Bus signature its interface gives it. Any
// process may own a well-known name on the session bus, and a value read as
// another type than it has crashes inside libdbus (QDBusArgument), so every
// D-Bus reader of the program checks each message through one of these
// before it reads a single field; a typed slot is not enough, since Qt hands
// the message to a QDBusMessage slot whatever its types.
//
// A message of another type is refused and said in the log once for the
// kind, not once per message, so that a peer sending nothing else can't
// flood the log. Any thread.
class DBusSignature {
public:
    // `what` names the kind in the log ("The systemd user manager's unit list").
    DBusSignature(const LogCategory& log, QString what, QString signature);
    DBusSignature(const DBusSignature&) = delete;
    DBusSignature& operator=(const DBusSignature&) = delete;

    // A reply or a signal whose arguments are exactly of the signature. An
    // error reply or no answer is refused without a word: whoever asked
    // says why the call failed.
    bool accepts(const QDBusMessage& message) const;
    // A value that came in such a message: a variant's content, a value of
    // a dictionary.
    bool accepts(const QVariant& value) const;

    const QString& signature() const { return signature_; }

    // The D-Bus type of a value as it came off the bus; "nothing" for none.
    static QString of(const QVariant& value);

private:
    bool matches(const QString& received) const;

    const LogCategory& log_;
    const QString what_;
    const QString signature_;
    mutable std::atomic<bool> logged_{false};
};

} // namespace vantel::platform
