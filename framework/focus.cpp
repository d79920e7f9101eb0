#include "framework/focus.h"

#include <QWidget>

bool FocusFirstControl(QWidget& container, Qt::FocusReason reason)
{
    for (QWidget* w = container.nextInFocusChain(); w != &container; w = w->nextInFocusChain()) {
        if (container.isAncestorOf(w) && w->isEnabled() && w->isVisibleTo(&container) &&
            (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(reason);
            return true;
        }
    }
    return false;
}
