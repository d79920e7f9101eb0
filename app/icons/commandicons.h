#pragma once

#include <QIcon>

class QImage;
class QString;

// The program's own images, drawn as SVG and rendered here into pixmaps, so
// that no SVG icon-engine plugin is needed when the program runs. Call these
// only once a QGuiApplication exists (QIcon holds QPixmaps).

/// The toolbar and menu image of a command id (Cmd::k...), with 16 and 32
/// pixel versions; a null QIcon for a command that has no image.
QIcon CommandIcon(int command);

/// The program's icon (a small plot), 16 to 256 pixels.
QIcon ProgramIcon();

/// The icon of a chart file, 16 to 256 pixels.
QIcon ChartFileIcon();

/// Renders an SVG file or resource into a transparent square image of
/// `size` pixels; a null image when the SVG cannot be read. Needs no
/// QGuiApplication.
QImage RenderSvg(const QString& path, int size);
