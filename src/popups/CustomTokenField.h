#pragma once

#include <QLineEdit>
#include <QList>
#include <QStringList>
#include <QVariantList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QCompleter;
class QStringListModel;

namespace vantel {

class TagManager;
class TokenEditor;
class iconTag;

// The tag editor: the tags as chips followed by a line in which a new one is
// typed. Comma, Return or Tab end a token; a completion list offers every
// known tag that contains the typed text (any letter case), the first that
// begins with it exactly preselected. Backspace or the arrow keys select a
// chip, Backspace or Delete remove the selected ones; a click selects one.
//
// Added tokens are cut to 70 characters (at a character boundary), trimmed
// as tag names, dropped when the field holds them already in any letter
// case, and every name that no tag has yet becomes a new tag of
// internalTagManager (default symbol, marked used). Without a tag manager
// tokens are taken but there are no completions and no tags are created.
//
// Editing runs from the focus entering the field (the tokens are noted,
// didBeginEditingHandler runs) to it leaving for another widget, Return on
// an empty line, or endEditing(); then didEndEditingHandler runs, and
// didEndEditingAndValueWasChangedHandler when the set of tokens changed
// (order and repeats do not count). Typed text left over becomes a token
// first. Main thread only.
class CustomTokenField : public QWidget {
    Q_OBJECT
public:
    explicit CustomTokenField(QWidget* parent = nullptr);
    ~CustomTokenField() override;

    // The longest token; longer ones are cut to it.
    static constexpr int maximumTokenLength = 70;

    TagManager* internalTagManager() const { return internalTagManager_; }
    void setInternalTagManager(TagManager* manager) { internalTagManager_ = manager; }

    // The tokens when editing began; none before the first editing.
    const std::optional<QStringList>& tokensBeforeEditing() const { return tokensBeforeEditing_; }
    // The tokens the field holds while it is edited.
    const QStringList& currentTokens() const { return currentTokens_; }

    std::function<void()> didBeginEditingHandler;
    std::function<void()> didEndEditingHandler;
    std::function<void()> didEndEditingAndValueWasChangedHandler;

    // The tokens shown. Setting them tells nobody and clears the selection
    // and the typed text.
    QStringList objectValue() const { return tokens_; }
    void setObjectValue(const QStringList& tokens);

    // What the field adds of the objects the user completed: none of them
    // when any is not a string; otherwise the cut, trimmed, new ones (also
    // appended to currentTokens). Creates the tags that do not exist yet.
    QStringList shouldAddObjects(const QVariantList& objects, qsizetype index);
    // Cuts every token of more than 70 characters; a cut token that equals
    // one of the list (earlier cut ones included) is dropped.
    static QStringList shortenTokens(const QStringList& tokens);

    struct Completions {
        QStringList names;
        int indexOfSelectedItem = -1;
    };
    Completions completionsForSubstring(const QString& substring) const;

    bool isEditing() const { return isEditing_; }
    // Ends editing as the focus leaving would; nothing when not editing.
    void endEditing();
    // When set, Return always ends the editing, also after making a token of
    // the typed text or the chosen completion, and a new one begins while
    // the field keeps the focus: its owner gets each Return's tokens at once.
    // Off by default: Return on typed text makes a token and editing goes on.
    bool returnEndsEditing() const { return returnEndsEditing_; }
    void setReturnEndsEditing(bool ends) { returnEndsEditing_ = ends; }
    // Ends editing as if it had not happened: the typed text goes, the
    // tokens are those of its beginning again, the tags it created are
    // removed, and no handler runs; nothing when not editing.
    void cancelEditing();

    // The chips that are selected, by index.
    QList<qsizetype> selectedTokenIndexes() const;
    void selectToken(qsizetype index, bool extend = false);
    void clearTokenSelection();

    QLineEdit* editor() const;
    QCompleter* completer() const { return completer_; }
    // Where the chip of the token lies, in the field's coordinates.
    QRect tokenRect(qsizetype index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    // The shown tokens changed (added, removed or set).
    void tokensChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class TokenEditor;

    struct Layout {
        QList<QRect> chips;
        QRect editor;
        int height = 0;
    };
    Layout computeLayout(int width) const;
    void relayout();
    int rowHeight() const;
    int chipWidth(const QString& token) const;

    // The editor's events.
    void editorFocusIn(Qt::FocusReason reason);
    void editorFocusOut(Qt::FocusReason reason);
    bool editorKeyPress(QKeyEvent* event);
    void editorTextEdited(const QString& text);

    void beginEditing();
    // Makes tokens of the typed text (split at commas); true when text was there.
    bool commitTypedText();
    void commitToken(const QString& text);
    void removeSelectedTokens();
    void updateCompletions();
    void hideCompletions();
    QString selectedTokensText() const;

    TagManager* internalTagManager_ = nullptr;
    std::optional<QStringList> tokensBeforeEditing_;
    // The tags this editing created, for its cancelling.
    QList<std::shared_ptr<iconTag>> createdTags_;
    QStringList currentTokens_;
    QStringList tokens_;
    QList<bool> selected_;
    TokenEditor* editor_ = nullptr;
    QCompleter* completer_ = nullptr;
    QStringListModel* completionModel_ = nullptr;
    Layout layout_;
    bool isEditing_ = false;
    bool endingEditing_ = false;
    bool returnEndsEditing_ = false;
};

} // namespace vantel
