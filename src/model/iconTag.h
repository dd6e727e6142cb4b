#pragma once

#include "hotkeys/KeyCombo.h"
#include "model/GuardedFields.h"
#include "model/IconTagChangeReason.h"
#include "platform/Archivable.h"
#include "platform/Color.h"
#include "platform/KeyValueAccessor.h"

#include <QSet>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

namespace vantel {

namespace platform {
class KeyedUnarchiver;
}

// A tag: a named, hierarchical label that entries carry, with the icon it is
// drawn with, its colour, two hotkeys and the counters that each rebuild
// recomputes. Setters post "iconTagChanged" (IconTagChangedNotifyObject) on
// the calling thread when the value really changed; initialisers never post.
// Held by shared_ptr and shared between lists; safe to read from any thread.
class iconTag : public platform::Archivable, public platform::KeyValueAccessor, private GuardedFields {
public:
    // `tagName` is the normalised form of newName; the symbol is kept as is.
    iconTag(const QString& newName, const QString& symbolUsed);
    ~iconTag() override = default;
    iconTag(const iconTag&) = delete;
    iconTag& operator=(const iconTag&) = delete;

    static std::shared_ptr<iconTag> create(const QString& newName, const QString& symbolUsed);
    // None when "tagName" or "tagSymbol" is missing, not a string or empty.
    // The archived name is taken as stored (not normalised again).
    static std::shared_ptr<iconTag> initWithCoder(platform::KeyedUnarchiver& coder);
    static QString archiveName();
    static void registerArchiveClass();
    // The classes an archive of tags holds, registered (the unarchiver's allow-list).
    static QSet<QString> archiveClassNames();

    const QString keyNameTagName = QStringLiteral("tagName");
    const QString keyNameTagSymbol = QStringLiteral("tagSymbol");
    const QString keyNameHotkey = QStringLiteral("hotkey");
    const QString keyNameHotkeyLaunchAll = QStringLiteral("hotkeyLaunchAll");
    const QString keyNameColor = QStringLiteral("color");

    QString tagName() const;
    virtual void setTagName(const QString& name);
    QString tagSymbol() const;
    virtual void setTagSymbol(const QString& symbol);
    std::optional<KeyCombo> hotkey() const;
    virtual void setHotkey(const std::optional<KeyCombo>& combo);
    std::optional<KeyCombo> hotkeyLaunchAll() const;
    virtual void setHotkeyLaunchAll(const std::optional<KeyCombo>& combo);
    std::optional<platform::Color> color() const;
    virtual void setColor(const std::optional<platform::Color>& color);
    bool tagVisible() const { return tagVisible_.load(); }
    virtual void setTagVisible(bool visible);
    bool tagUsed() const { return tagUsed_.load(); }
    virtual void setTagUsed(bool used) { tagUsed_.store(used); }
    qint64 tagUseCounter() const { return tagUseCounter_.load(); }
    virtual void setTagUseCounter(qint64 counter) { tagUseCounter_.store(counter); }

    // A symbol, a colour or a hotkey: only such tags go into the stored list.
    virtual bool shouldSavedToConfig() const;

    // Posts "iconTagChanged" with (tagName, reason).
    virtual void tagChanged(IconTagChangeReason reason);
    // isSubTag with this tag as the child.
    virtual bool isSubTagOf(const QString& parentName) const;

    QString archiveClassName() const override;
    void encode(platform::KeyedArchiver& coder) const override;
    QVariant valueForKey(const QString& key) const override;

protected:
    struct Decoding {};

public:
    // Only for the decoders: every property at its default.
    explicit iconTag(Decoding);

protected:
    // Fills a freshly made tag from an archive; false on a bad archive.
    static bool decodeInto(iconTag& tag, platform::KeyedUnarchiver& coder);

private:
    QString tagName_;
    QString tagSymbol_;
    std::optional<KeyCombo> hotkey_;
    std::optional<KeyCombo> hotkeyLaunchAll_;
    std::optional<platform::Color> color_;
    std::atomic<bool> tagVisible_{false};
    std::atomic<bool> tagUsed_{false};
    std::atomic<qint64> tagUseCounter_{0};
};

using iconTagPtr = std::shared_ptr<iconTag>;

} // namespace vantel
