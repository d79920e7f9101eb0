#pragma once

#include <optional>

class QLineEdit;
class QWidget;

// The integer fields of the sharing dialogs, read as the dialogs' data
// exchange reads them: a field that is not a whole number, or lies outside
// its range, is reported with the framework's English message and gets the
// focus.

/// The field's value between low and high, or nothing after the message.
std::optional<unsigned> ReadUnsignedField(QLineEdit* edit, unsigned low, unsigned high,
                                          QWidget* parent);

/// An edit that takes digits only, as the port fields do.
void AcceptDigitsOnly(QLineEdit* edit);

/// The highest port number the fields take.
inline constexpr unsigned kMaxPort = 65535;

/// A field that only shows a value (disabled, as the dialogs show them).
QLineEdit* ReadOnlyEdit(const char* name, QWidget* parent);
