#include "platform/DBusSignature.h"

#include "platform/Log.h"

#include <QDBusArgument>
#include <QDBusMetaType>

namespace vantel::platform {

DBusSignature::DBusSignature(const LogCategory& log, QString what, QString signature)
    : log_(log)
    , what_(std::move(what))
    , signature_(std::move(signature))
{
}

bool DBusSignature::accepts(const QDBusMessage& message) const
{
    if (message.type() != QDBusMessage::ReplyMessage && message.type() != QDBusMessage::SignalMessage)
        return false;
    return matches(message.signature());
}

bool DBusSignature::accepts(const QVariant& value) const
{
    return matches(of(value));
}

QString DBusSignature::of(const QVariant& value)
{
    if (!value.isValid())
        return QStringLiteral("nothing");
    // What Qt has no class for stays a QDBusArgument, which knows its type
    // without being read.
    if (value.metaType() == QMetaType::fromType<QDBusArgument>())
        return value.value<QDBusArgument>().currentSignature();
    const char* signature = QDBusMetaType::typeToSignature(value.metaType());
    return signature ? QString::fromLatin1(signature) : QString::fromLatin1(value.metaType().name());
}

bool DBusSignature::matches(const QString& received) const
{
    if (received == signature_)
        return true;
    const auto named = [](const QString& signature) {
        return signature.isEmpty() ? QStringLiteral("nothing") : signature;
    };
    // Said once the log is on to hear it.
    if (Log::debugLogging() && !logged_.exchange(true))
        Log::write(log_, LogType::Error,
                   QStringLiteral("%{public}@ is of type %{public}@, not %{public}@: ignored (said once)"),
                   {what_, named(received), named(signature_)});
    return false;
}

} // namespace vantel::platform
