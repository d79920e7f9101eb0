#pragma once

#include <Qt>

class QWidget;

/// Gives the keyboard to the first control inside `container` that takes it
/// by Tab, in the order Tab goes; false when there is none.
bool FocusFirstControl(QWidget& container, Qt::FocusReason reason);
