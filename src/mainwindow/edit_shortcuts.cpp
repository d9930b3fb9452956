#include "mainwindow/edit_shortcuts.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace r4860::mainwindow {

void EditShortcuts::watch(QLineEdit* edit) { edit->installEventFilter(this); }

bool EditShortcuts::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride) return QObject::eventFilter(watched, event);
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit) return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool nothingToUndo = key->matches(QKeySequence::Undo) && (edit->isReadOnly() || !edit->isUndoAvailable());
    const bool nothingToCopy = key->matches(QKeySequence::Copy) && !edit->hasSelectedText();
    if (!nothingToUndo && !nothingToCopy) return QObject::eventFilter(watched, event);
    // Not overridden: the key goes on to the window's shortcut.
    event->ignore();
    return true;
}

}  // namespace r4860::mainwindow
