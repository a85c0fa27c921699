#include "ui/keyfilters.h"

#include "records/controlnames.h"
#include "wire/wiretext.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>

namespace {

constexpr int kBackspace = 8;

bool isDigit(int c)
{
    return c >= '0' && c <= '9';
}

const char kTypedLimit[] = "typedLimit";

} // namespace

int typedLimit(const QLineEdit *edit)
{
    const QVariant stored = edit->property(kTypedLimit);
    return stored.isValid() ? stored.toInt() : edit->maxLength();
}

void setTextWhole(QLineEdit *edit, const QString &text)
{
    const int limit = typedLimit(edit);
    if (!edit->property(kTypedLimit).isValid())
        edit->setProperty(kTypedLimit, limit);
    edit->setMaxLength(qMax(limit, int(text.size())));
    edit->setText(text);
    if (text.size() <= limit)
        edit->setMaxLength(limit);
}

bool inClass(CharClass cls, QChar ch)
{
    const int c = wire::codeOf(ch);
    if (c < 0 || c >= 128)
        return false;
    if (c == kBackspace)
        return true;
    switch (cls) {
    case CharClass::Phone:
        return c == '+' || isDigit(c);
    case CharClass::Digits:
        return isDigit(c);
    case CharClass::KeyCode:
        return isDigit(c) || (c >= 'A' && c <= 'F');
    case CharClass::Text:
        return c >= ' ' && c <= '~' && c != '_';
    }
    return false;
}

QString keepInClass(CharClass cls, const QString &text, bool *removed)
{
    QString kept;
    kept.reserve(text.size());
    bool any = false;
    for (QChar ch : text) {
        // Backspace belongs to every class as a key, but in pasted text it is a
        // control character like any other.
        if (ch.unicode() != kBackspace && inClass(cls, ch))
            kept += ch;
        else
            any = true;
    }
    if (removed)
        *removed = any;
    return kept;
}

bool isCharacterMessage(const QKeyEvent *event)
{
    if (event->type() != QEvent::KeyPress || event->text().isEmpty())
        return false;
    switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        return false;
    default:
        break;
    }
    static const QKeySequence::StandardKey editing[] = {
        QKeySequence::Undo, QKeySequence::Redo, QKeySequence::Cut, QKeySequence::Copy,
        QKeySequence::Paste, QKeySequence::SelectAll, QKeySequence::Deselect, QKeySequence::Delete,
        QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfWord, QKeySequence::DeleteEndOfLine,
        QKeySequence::DeleteCompleteLine, QKeySequence::Backspace,
        QKeySequence::MoveToNextChar, QKeySequence::MoveToPreviousChar,
        QKeySequence::MoveToNextWord, QKeySequence::MoveToPreviousWord,
        QKeySequence::MoveToStartOfLine, QKeySequence::MoveToEndOfLine,
        QKeySequence::MoveToStartOfBlock, QKeySequence::MoveToEndOfBlock,
        QKeySequence::SelectNextChar, QKeySequence::SelectPreviousChar,
        QKeySequence::SelectStartOfLine, QKeySequence::SelectEndOfLine,
    };
    for (QKeySequence::StandardKey key : editing) {
        if (event->matches(key))
            return false;
    }
    return true;
}

EditBoxFilter::EditBoxFilter(QLineEdit *edit, CharClass cls, KeyPress keyPress, Alert alert)
    : QObject(edit), m_edit(edit), m_class(cls), m_keyPress(std::move(keyPress)), m_alert(std::move(alert))
{
    edit->installEventFilter(this);
}

int EditBoxFilter::room(int replaced) const
{
    return qMax(0, typedLimit(m_edit) - (int(m_edit->text().size()) - replaced));
}

void EditBoxFilter::paste(QClipboard::Mode mode)
{
    if (const QClipboard *clipboard = QGuiApplication::clipboard())
        insertFiltered(clipboard->text(mode));
}

void EditBoxFilter::insertFiltered(const QString &text)
{
    if (!m_edit || m_edit->isReadOnly())
        return;
    bool removed = false;
    const QString kept = keepInClass(m_class, text, &removed).left(room(int(m_edit->selectedText().size())));
    if (removed && m_alert)
        m_alert();
    // Nothing usable: the selection stays, as a rejected key leaves the text.
    if (!kept.isEmpty())
        m_edit->insert(kept);
}

QMenu *EditBoxFilter::createContextMenu()
{
    QMenu *menu = m_edit->createStandardContextMenu();
    // The box's own caption of its paste entry, shortcut text after a tab.
    const QString caption = QCoreApplication::translate("QLineEdit", "&Paste");
    for (QAction *action : menu->actions()) {
        if (action->objectName() != QLatin1String("edit-paste")
            && action->text().section(QLatin1Char('\t'), 0, 0) != caption)
            continue;
        action->setObjectName(QStringLiteral("edit-paste"));
        QObject::disconnect(action, nullptr, m_edit, nullptr);
        connect(action, &QAction::triggered, this, [this] { paste(QClipboard::Clipboard); });
    }
    return menu;
}

bool EditBoxFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_edit || m_forwarding)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return onKeyPress(static_cast<QKeyEvent *>(event));
    case QEvent::KeyRelease:
        emit keyReleased(m_edit);
        return false;
    case QEvent::ContextMenu: {
        QMenu *menu = createContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    case QEvent::MouseButtonRelease: {
        // X11's selection paste; where there is no selection clipboard the box does
        // nothing with the middle button either.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QClipboard *clipboard = QGuiApplication::clipboard();
        if (mouse->button() != Qt::MiddleButton || !clipboard || !clipboard->supportsSelection()
            || m_edit->isReadOnly())
            return false;
        m_edit->deselect();
        paste(QClipboard::Selection);
        return true;
    }
    case QEvent::Drop:
        return onDrop(static_cast<QDropEvent *>(event));
    case QEvent::InputMethod:
        return onInputMethod(static_cast<QInputMethodEvent *>(event));
    default:
        return false;
    }
}

bool EditBoxFilter::onKeyPress(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        paste(QClipboard::Clipboard);
        return true;
    }
    if (!isCharacterMessage(event))
        return false;
    const QString text = event->text();
    if (!typedTextPasses(text, false))
        return true;
    // The box inserts printable text only; the rest (backspace typed as Ctrl+H) takes
    // no room.
    if (text.at(0).isPrint() && room(int(m_edit->selectedText().size())) < text.size())
        return true;
    return false;
}

bool EditBoxFilter::typedTextPasses(const QString &text, bool insertedAsIs)
{
    for (QChar key : text) {
        // Backspace passes as the key that deletes. Inside longer text, or in text the
        // box inserts as it stands, it would go in as a control character.
        if (key.unicode() == kBackspace && (insertedAsIs || text.size() > 1)) {
            if (m_alert)
                m_alert();
            return false;
        }
        if (!m_keyPress(key))
            return false;
    }
    return true;
}

bool EditBoxFilter::onDrop(QDropEvent *event)
{
    const QMimeData *data = event->mimeData();
    // Moving text within the box brings nothing new.
    if (!data || !data->hasText() || event->source() == m_edit || m_edit->isReadOnly())
        return false;
    bool removed = false;
    const QString text = data->text();
    // A drop goes in at the drop point without replacing the selection.
    const QString kept = keepInClass(m_class, text, &removed).left(room(0));
    if (removed && m_alert)
        m_alert();
    if (kept == text)
        return false;
    if (kept.isEmpty()) {
        event->ignore();
        return true;
    }
    QMimeData filtered;
    filtered.setText(kept);
    QDropEvent passedOn(event->position(), event->possibleActions(), &filtered, event->buttons(),
                        event->modifiers(), QEvent::Drop);
    passedOn.setDropAction(event->dropAction());
    m_forwarding = true;
    QCoreApplication::sendEvent(m_edit, &passedOn);
    m_forwarding = false;
    event->setDropAction(passedOn.dropAction());
    event->setAccepted(passedOn.isAccepted());
    return true;
}

bool EditBoxFilter::onInputMethod(QInputMethodEvent *event)
{
    const QString text = event->commitString();
    if (text.isEmpty())
        return false;
    // Composed text is typed text: each character meets the key filter, and a rejected
    // one drops the whole commit.
    if (!typedTextPasses(text, true)) {
        QInputMethodEvent passedOn(event->preeditString(), event->attributes());
        m_forwarding = true;
        QCoreApplication::sendEvent(m_edit, &passedOn);
        m_forwarding = false;
        return true;
    }
    const int fits = room(int(m_edit->selectedText().size()) + qMax(0, event->replacementLength()));
    if (text.size() <= fits)
        return false;
    QInputMethodEvent passedOn(event->preeditString(), event->attributes());
    passedOn.setCommitString(text.left(fits), event->replacementStart(), event->replacementLength());
    m_forwarding = true;
    QCoreApplication::sendEvent(m_edit, &passedOn);
    m_forwarding = false;
    return true;
}
