#include "framework/altkeyfilter.h"

#include "framework/focus.h"

#include <QAbstractSpinBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

bool TypesNothing(QObject* watched, const QKeyEvent& key)
{
    // A key that reaches a widget as a key press was not taken as a shortcut.
    const Qt::KeyboardModifiers modifiers = key.modifiers();
    if (!(modifiers & Qt::AltModifier) || (modifiers & Qt::ControlModifier) || key.text().isEmpty() ||
        !key.text().front().isPrint())
        return false;
    return qobject_cast<QLineEdit*>(watched) != nullptr || qobject_cast<QTextEdit*>(watched) != nullptr ||
           qobject_cast<QPlainTextEdit*>(watched) != nullptr ||
           qobject_cast<QAbstractSpinBox*>(watched) != nullptr;
}

} // namespace

bool AltKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        return TypesNothing(watched, *static_cast<QKeyEvent*>(event));
    case QEvent::Shortcut:
        // A group that can be ticked is ticked by its key, as Qt does.
        if (auto* group = qobject_cast<QGroupBox*>(watched); group && !group->isCheckable())
            return FocusFirstControl(*group, Qt::ShortcutFocusReason);
        return false;
    default:
        return false;
    }
}
