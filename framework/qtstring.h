#pragma once

#include <QString>

#include <string>
#include <string_view>

// The one place where texts cross between the model's code page 1250 and Qt.

QString FromCp1250(std::string_view text);
/// A character that code page 1250 cannot hold becomes '?'.
std::string ToCp1250(const QString& text);
