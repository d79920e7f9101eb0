#pragma once

#include <QIcon>

// The program's own images, drawn as SVG and rendered into PNGs when the
// program is built. Call these only once a QGuiApplication exists (QIcon
// holds QPixmaps).

/// The toolbar and menu image of a command id (Cmd::k...), with 16 and 32
/// pixel versions; a null QIcon for a command that has no image.
QIcon CommandIcon(int command);

/// The program's icon (a small plot), 16 to 256 pixels.
QIcon ProgramIcon();

/// The icon of a chart file, 16 to 256 pixels.
QIcon ChartFileIcon();
