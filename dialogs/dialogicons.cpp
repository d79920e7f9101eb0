#include "dialogs/dialogicons.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kDialogIconSize = 32;
constexpr int kListIconSize = 16;

QPixmap Blank(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A round badge with a white symbol, as message boxes show them.
void Badge(QPainter& p, const QColor& fill)
{
    p.setPen(QPen(fill.darker(140), 1.5));
    p.setBrush(fill);
    p.drawEllipse(QRectF(2.5, 2.5, 27, 27));
}

void PaintInitial(QPainter& p)
{
    // A sheet of paper with a pencil: a formula waiting to be written.
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 3.5, 19, 25));
    p.setPen(QPen(QColor(150, 150, 150), 1.5));
    for (int y = 10; y <= 22; y += 4)
        p.drawLine(QPointF(9, y), QPointF(21, y));
    p.save();
    p.translate(22, 20);
    p.rotate(45);
    p.setPen(QPen(QColor(120, 70, 0), 1));
    p.setBrush(QColor(240, 180, 40));
    p.drawRect(QRectF(-3, -12, 6, 16));
    QPainterPath tip;
    tip.moveTo(-3, 4);
    tip.lineTo(3, 4);
    tip.lineTo(0, 10);
    tip.closeSubpath();
    p.setBrush(QColor(250, 220, 170));
    p.drawPath(tip);
    p.restore();
}

void PaintValid(QPainter& p)
{
    Badge(p, QColor(40, 160, 60));
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(9, 16.5), QPointF(14, 21.5), QPointF(23, 11)}));
}

void PaintTypingError(QPainter& p)
{
    QPainterPath triangle;
    triangle.moveTo(16, 3);
    triangle.lineTo(30, 28);
    triangle.lineTo(2, 28);
    triangle.closeSubpath();
    p.setPen(QPen(QColor(150, 100, 0), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(250, 200, 30));
    p.drawPath(triangle);
    p.setPen(QPen(Qt::black, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 11), QPointF(16, 19));
    p.drawPoint(QPointF(16, 24));
}

void PaintRejected(QPainter& p)
{
    Badge(p, QColor(210, 30, 30));
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.5, 10.5), QPointF(21.5, 21.5));
    p.drawLine(QPointF(21.5, 10.5), QPointF(10.5, 21.5));
}

// A small chart: axes and, when given, a curve.
void PaintAxes(QPainter& p)
{
    p.setPen(QPen(Qt::black, 1.5));
    p.drawLine(QPointF(4, 28), QPointF(30, 28));
    p.drawLine(QPointF(4, 2), QPointF(4, 28));
}

void PaintPage(QPainter& p, PagePicture picture)
{
    const QColor blue(30, 90, 200);
    switch (picture) {
    case PagePicture::kFunctions: {
        PaintAxes(p);
        QPainterPath curve;
        curve.moveTo(5, 24);
        curve.cubicTo(12, -6, 18, 40, 29, 6);
        p.setPen(QPen(QColor(200, 30, 30), 2));
        p.drawPath(curve);
        break;
    }
    case PagePicture::kRange:
        PaintAxes(p);
        p.setPen(QPen(blue, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(9, 17), QPointF(27, 17));
        p.drawPolyline(QPolygonF({QPointF(13, 13), QPointF(9, 17), QPointF(13, 21)}));
        p.drawPolyline(QPolygonF({QPointF(23, 13), QPointF(27, 17), QPointF(23, 21)}));
        break;
    case PagePicture::kScale:
        PaintAxes(p);
        p.setPen(QPen(Qt::black, 1.5));
        for (int x = 10; x <= 28; x += 6)
            p.drawLine(QPointF(x, 24), QPointF(x, 28));
        for (int y = 22; y >= 4; y -= 6)
            p.drawLine(QPointF(4, y), QPointF(8, y));
        break;
    case PagePicture::kGrid:
        p.setPen(QPen(QColor(160, 160, 160), 1));
        for (int v = 4; v <= 28; v += 6) {
            p.drawLine(QPointF(v + 0.5, 2), QPointF(v + 0.5, 28));
            p.drawLine(QPointF(4, v + 0.5), QPointF(30, v + 0.5));
        }
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(QPointF(4, 16.5), QPointF(30, 16.5));
        p.drawLine(QPointF(16.5, 2), QPointF(16.5, 28));
        break;
    case PagePicture::kDescriptions: {
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(22);
        font.setBold(true);
        p.setFont(font);
        p.setPen(blue);
        p.drawText(QRectF(0, 0, 32, 22), Qt::AlignCenter, QStringLiteral("A"));
        p.setPen(QPen(Qt::black, 1.5));
        p.drawLine(QPointF(4, 25), QPointF(28, 25));
        p.drawLine(QPointF(8, 29), QPointF(24, 29));
        break;
    }
    case PagePicture::kComputation:
        p.setPen(QPen(Qt::black, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 6, 26, 26), 0, 180 * 16);
        p.drawLine(QPointF(3, 19), QPointF(29, 19));
        p.setPen(QPen(QColor(200, 30, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16, 19), QPointF(24, 10));
        p.setPen(QPen(Qt::black, 1.5));
        for (int x = 6; x <= 26; x += 4)
            p.drawPoint(QPointF(x, 25 + (x % 8 == 2 ? 0 : 2)));
        break;
    case PagePicture::kTable:
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 4.5, 25, 23));
        p.fillRect(QRectF(4, 5, 24, 5), QColor(200, 215, 240));
        for (int y = 10; y <= 22; y += 6)
            p.drawLine(QPointF(4, y + 0.5), QPointF(28, y + 0.5));
        p.drawLine(QPointF(14.5, 5), QPointF(14.5, 27));
        break;
    }
}

} // namespace

QPixmap StatusIcon(FormulaStatus status)
{
    QPixmap pixmap = Blank(kDialogIconSize);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (status) {
    case FormulaStatus::kInitial:
        PaintInitial(p);
        break;
    case FormulaStatus::kValid:
        PaintValid(p);
        break;
    case FormulaStatus::kTypingError:
        PaintTypingError(p);
        break;
    case FormulaStatus::kRejected:
        PaintRejected(p);
        break;
    }
    return pixmap;
}

QPixmap VisibilityIcon(bool visible)
{
    // An eye: open for a drawn function, grey and struck out for a hidden one.
    QPixmap pixmap = Blank(kListIconSize);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = visible ? QColor(20, 20, 20) : QColor(150, 150, 150);
    QPainterPath eye;
    eye.moveTo(1, 8);
    eye.quadTo(8, 0, 15, 8);
    eye.quadTo(8, 16, 1, 8);
    p.setPen(QPen(ink, 1.3));
    p.setBrush(visible ? QColor(255, 255, 255) : QColor(235, 235, 235));
    p.drawPath(eye);
    p.setPen(Qt::NoPen);
    p.setBrush(visible ? QColor(30, 90, 200) : QColor(170, 170, 170));
    p.drawEllipse(QPointF(8, 8), 3, 3);
    if (!visible) {
        p.setPen(QPen(QColor(200, 30, 30), 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(2.5, 13.5), QPointF(13.5, 2.5));
    }
    return pixmap;
}

QPixmap PageIcon(PagePicture picture)
{
    QPixmap pixmap = Blank(kDialogIconSize);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    PaintPage(p, picture);
    return pixmap;
}
