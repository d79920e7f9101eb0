#pragma once

#include <QString>

/// A value as the window writes it for reading and copying: the shortest text
/// of at most `digits` significant digits with a point, whatever the process
/// locale ("%.17g" in the C locale; 17 digits read back as the same double).
QString ValueText(double v, int digits = 17);
