#include "framework/altkeyfilter.h"

#include <QAbstractSpinBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

bool AltKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    // A key that reaches a widget as a key press was not taken as a shortcut.
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    if (!(modifiers & Qt::AltModifier) || (modifiers & Qt::ControlModifier) || key->text().isEmpty() ||
        !key->text().front().isPrint())
        return false;
    return qobject_cast<QLineEdit*>(watched) != nullptr || qobject_cast<QTextEdit*>(watched) != nullptr ||
           qobject_cast<QPlainTextEdit*>(watched) != nullptr ||
           qobject_cast<QAbstractSpinBox*>(watched) != nullptr;
}
