#include "views/graphview.h"

#include "document/zeltra20doc.h"
#include "framework/commandids.h"
#include "framework/qtstring.h"

#include <QBuffer>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QWheelEvent>
#include <QtTest>

namespace {

class TestHost : public CGraphViewHost
{
public:
    int GetMouseMode() const override { return m_nMode; }
    bool GetGuides() const override { return false; }
    bool GetPointsOfInterest() const override { return false; }
    bool GetAntialiasing() const override { return true; }
    void ShowCoordinates(const QString&, const QString&) override {}
    void ShowContextMenu(const QPoint&) override {}
    void SendChartToClients() override { ++m_nSends; }

    int m_nMode = Cmd::kModePoint;
    int m_nSends = 0;
};

struct Ranges
{
    double xMin, xMax, yMin, yMax;
};

Ranges RangesOf(const FunctionContainer& chart)
{
    const ChartSettings& s = chart.GetSettings();
    return {s.m_xMin, s.m_xMax, s.m_yMin, s.m_yMax};
}

// The pixel (fractional) where the chart shows the chart point (x, y) now.
QPointF PixelOf(const FunctionContainer& chart, double x, double y)
{
    const ChartSettings& s = chart.GetSettings();
    const RECT& r = chart.GetPlotRect();
    return {r.left + (x - s.m_xMin) / (s.m_xMax - s.m_xMin) * (r.right - r.left),
            r.top + (s.m_yMax - y) / (s.m_yMax - s.m_yMin) * (r.bottom - r.top)};
}

void Wheel(QWidget* view, QPoint p, int angle, QPoint pixels = QPoint())
{
    QWheelEvent event(p, view->mapToGlobal(p), pixels, QPoint(0, angle), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &event);
}

void Pinch(QWidget* view, Qt::NativeGestureType type, QPoint p, double value)
{
    QNativeGestureEvent event(type, QPointingDevice::primaryPointingDevice(), 2, p, p,
                              view->mapToGlobal(p), value, QPointF());
    QApplication::sendEvent(view, &event);
}

} // namespace

class GraphNavigationTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void wheelKeepsThePointUnderThePointer_data();
    void wheelKeepsThePointUnderThePointer();
    void stepsApartAreTwoLevels();
    void undoAfterAGestureRestoresTheRangesBeforeIt();
    void keys_data();
    void keys();
    void middleButtonPansInEveryMode_data();
    void middleButtonPansInEveryMode();
    void touchpadScrollPansAndPinchIsOneLevel();
    void gestureResultGoesOutOnceAfterIt();
    void copyPutsPngAndSvgOfTheViewSize();

private:
    CZeltra20Doc* m_pDoc = nullptr;
    TestHost* m_pHost = nullptr;
    CZeltra20View* m_pView = nullptr;

    FunctionContainer& Chart() { return m_pDoc->GetChart(); }
};

void GraphNavigationTest::init()
{
    m_pDoc = new CZeltra20Doc;
    FunctionContainer& chart = Chart();
    chart.BeginEdit();
    chart.SetCurrent(-1);
    chart.SetFunction("sin(x)*3", 0, true, 0);
    chart.CommitEdit();
    m_pHost = new TestHost;
    m_pView = new CZeltra20View(*m_pDoc, *m_pHost);
    m_pView->resize(640, 480);
    m_pView->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pView));
    // A first drawing gives the plot that the mouse works with.
    m_pView->repaint();
}

void GraphNavigationTest::cleanup()
{
    delete m_pView;
    delete m_pHost;
    delete m_pDoc;
}

void GraphNavigationTest::wheelKeepsThePointUnderThePointer_data()
{
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QList<int>>("angles");
    QTest::addColumn<double>("widthRatio"); // x range after / before

    const double notch = std::exp2(-0.25);
    QTest::newRow("one notch in, centre") << QPoint(320, 240) << QList<int>{120} << notch;
    QTest::newRow("one notch out, corner") << QPoint(120, 90) << QList<int>{-120} << 1 / notch;
    QTest::newRow("four notches in: half") << QPoint(500, 300) << QList<int>{120, 120, 120, 120} << 0.5;
    QTest::newRow("hi-res: eight half steps are four notches")
        << QPoint(200, 400) << QList<int>{60, 60, 60, 60, 60, 60, 60, 60} << 0.5;
    QTest::newRow("in and out again") << QPoint(450, 120) << QList<int>{120, -120} << 1.0;
    // Zooming out far changes the width of the scale labels, which moves
    // the plot's left edge.
    QTest::newRow("far out, labels widen")
        << QPoint(400, 200) << QList<int>(24, -120) << std::exp2(6.0);
}

void GraphNavigationTest::wheelKeepsThePointUnderThePointer()
{
    QFETCH(QPoint, pointer);
    QFETCH(QList<int>, angles);
    QFETCH(double, widthRatio);

    const WorldPoint under = Chart().PixelToWorld(pointer.x(), pointer.y());
    const Ranges before = RangesOf(Chart());
    for (int angle : angles)
        Wheel(m_pView, pointer, angle);
    m_pView->repaint();

    const Ranges after = RangesOf(Chart());
    QVERIFY(qAbs((after.xMax - after.xMin) / (before.xMax - before.xMin) / widthRatio - 1) < 1e-9);
    QVERIFY(qAbs((after.yMax - after.yMin) / (before.yMax - before.yMin) / widthRatio - 1) < 1e-9);
    const QPointF shown = PixelOf(Chart(), under.x, under.y);
    QVERIFY2(qAbs(shown.x() - pointer.x()) <= 1 && qAbs(shown.y() - pointer.y()) <= 1,
             qPrintable(QStringLiteral("shown at %1,%2").arg(shown.x()).arg(shown.y())));
    // One gesture, one level.
    QCOMPARE(Chart().GetZoomHistory().size(), std::size_t{4});
    QVERIFY(m_pDoc->IsModified());
}

void GraphNavigationTest::stepsApartAreTwoLevels()
{
    Wheel(m_pView, {320, 240}, 120);
    Wheel(m_pView, {320, 240}, 120);
    QCOMPARE(Chart().GetZoomHistory().size(), std::size_t{4});
    QTest::qWait(CZeltra20View::kGestureGapMs + 100);
    Wheel(m_pView, {320, 240}, 120);
    QCOMPARE(Chart().GetZoomHistory().size(), std::size_t{8});
}

void GraphNavigationTest::undoAfterAGestureRestoresTheRangesBeforeIt()
{
    const std::vector<double> start = {-5, 5, Chart().GetSettings().m_yMin, Chart().GetSettings().m_yMax};
    for (int i = 0; i < 5; ++i)
        Wheel(m_pView, {100 + 40 * i, 200}, 120);
    m_pDoc->OnUndoZoom();
    const Ranges r = RangesOf(Chart());
    QCOMPARE(std::vector<double>({r.xMin, r.xMax, r.yMin, r.yMax}), start);
    QVERIFY(!Chart().CanUndoZoom());
    // A step right after the undo starts a new gesture: the ranges moved.
    Wheel(m_pView, {320, 240}, 120);
    QCOMPARE(Chart().GetZoomHistory().size(), std::size_t{4});
}

void GraphNavigationTest::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<double>("dx"); // shift of the x range, in widths
    QTest::addColumn<double>("dy");
    QTest::addColumn<double>("scale"); // new width / old width
    QTest::addColumn<int>("levels");

    QTest::newRow("right") << int(Qt::Key_Right) << 0 << 0.1 << 0.0 << 1.0 << 0;
    QTest::newRow("left") << int(Qt::Key_Left) << 0 << -0.1 << 0.0 << 1.0 << 0;
    QTest::newRow("up") << int(Qt::Key_Up) << 0 << 0.0 << 0.1 << 1.0 << 0;
    QTest::newRow("down") << int(Qt::Key_Down) << 0 << 0.0 << -0.1 << 1.0 << 0;
    QTest::newRow("plus") << int(Qt::Key_Plus) << int(Qt::ShiftModifier) << 0.0 << 0.0 << 0.5 << 1;
    QTest::newRow("equals") << int(Qt::Key_Equal) << 0 << 0.0 << 0.0 << 0.5 << 1;
    QTest::newRow("keypad plus") << int(Qt::Key_Plus) << int(Qt::KeypadModifier) << 0.0 << 0.0 << 0.5 << 1;
    QTest::newRow("minus") << int(Qt::Key_Minus) << 0 << 0.0 << 0.0 << 2.0 << 1;
    QTest::newRow("keypad minus") << int(Qt::Key_Minus) << int(Qt::KeypadModifier) << 0.0 << 0.0 << 2.0 << 1;
    QTest::newRow("ctrl+right belongs to the commands")
        << int(Qt::Key_Right) << int(Qt::ControlModifier) << 0.0 << 0.0 << 1.0 << 0;
}

void GraphNavigationTest::keys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(double, dx);
    QFETCH(double, dy);
    QFETCH(double, scale);
    QFETCH(int, levels);

    const Ranges before = RangesOf(Chart());
    const double w = before.xMax - before.xMin;
    const double h = before.yMax - before.yMin;
    QTest::keyClick(m_pView, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    const Ranges after = RangesOf(Chart());
    const double cx = (after.xMin + after.xMax) / 2 - (before.xMin + before.xMax) / 2;
    const double cy = (after.yMin + after.yMax) / 2 - (before.yMin + before.yMax) / 2;
    QVERIFY(qAbs(cx - dx * w) < 1e-9 * w);
    QVERIFY(qAbs(cy - dy * h) < 1e-9 * h);
    QVERIFY(qAbs((after.xMax - after.xMin) - scale * w) < 1e-9 * w);
    QCOMPARE(Chart().GetZoomHistory().size(), std::size_t(4 * levels));
}

void GraphNavigationTest::middleButtonPansInEveryMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("pointing") << Cmd::kModePoint;
    QTest::newRow("panning") << Cmd::kModePan;
    QTest::newRow("zooming") << Cmd::kModeZoom;
}

void GraphNavigationTest::middleButtonPansInEveryMode()
{
    QFETCH(int, mode);
    m_pHost->m_nMode = mode;
    const WorldPoint grabbed = Chart().PixelToWorld(300, 200);
    QTest::mousePress(m_pView, Qt::MiddleButton, {}, {300, 200});
    QMouseEvent move(QEvent::MouseMove, QPointF(360, 170), m_pView->mapToGlobal(QPointF(360, 170)),
                     Qt::NoButton, Qt::MiddleButton, Qt::NoModifier);
    QApplication::sendEvent(m_pView, &move);
    const int sendsDuringDrag = m_pHost->m_nSends;
    QTest::mouseRelease(m_pView, Qt::MiddleButton, {}, {360, 170});

    const QPointF shown = PixelOf(Chart(), grabbed.x, grabbed.y);
    QVERIFY(qAbs(shown.x() - 360) <= 1 && qAbs(shown.y() - 170) <= 1);
    QVERIFY(!Chart().CanUndoZoom());
    QCOMPARE(sendsDuringDrag, 0);
    QCOMPARE(m_pHost->m_nSends, 1);
}

void GraphNavigationTest::touchpadScrollPansAndPinchIsOneLevel()
{
    const WorldPoint grabbed = Chart().PixelToWorld(300, 200);
    Wheel(m_pView, {300, 200}, 0, QPoint(-25, 12));
    QPointF shown = PixelOf(Chart(), grabbed.x, grabbed.y);
    QVERIFY(qAbs(shown.x() - 275) <= 1 && qAbs(shown.y() - 212) <= 1);
    QVERIFY(!Chart().CanUndoZoom());

    const double width = Chart().GetSettings().m_xMax - Chart().GetSettings().m_xMin;
    const WorldPoint centre = Chart().PixelToWorld(400, 260);
    Pinch(m_pView, Qt::BeginNativeGesture, {400, 260}, 0);
    for (int i = 0; i < 5; ++i)
        Pinch(m_pView, Qt::ZoomNativeGesture, {400, 260}, 0.1);
    Pinch(m_pView, Qt::EndNativeGesture, {400, 260}, 0);
    QCOMPARE(Chart().GetZoomHistory().size(), std::size_t{4});
    const double zoomed = Chart().GetSettings().m_xMax - Chart().GetSettings().m_xMin;
    QVERIFY(qAbs(zoomed * std::pow(1.1, 5) / width - 1) < 1e-9);
    shown = PixelOf(Chart(), centre.x, centre.y);
    QVERIFY(qAbs(shown.x() - 400) <= 1 && qAbs(shown.y() - 260) <= 1);

    Pinch(m_pView, Qt::BeginNativeGesture, {400, 260}, 0);
    Pinch(m_pView, Qt::ZoomNativeGesture, {400, 260}, -0.2);
    Pinch(m_pView, Qt::EndNativeGesture, {400, 260}, 0);
    QCOMPARE(Chart().GetZoomHistory().size(), std::size_t{8});
}

void GraphNavigationTest::gestureResultGoesOutOnceAfterIt()
{
    for (int i = 0; i < 3; ++i)
        Wheel(m_pView, {320, 240}, 120);
    QCOMPARE(m_pHost->m_nSends, 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_pHost->m_nSends, 1, 2000);
    QTest::qWait(CZeltra20View::kGestureGapMs + 100);
    QCOMPARE(m_pHost->m_nSends, 1);
}

void GraphNavigationTest::copyPutsPngAndSvgOfTheViewSize()
{
    m_pView->CopyToClipboard();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data != nullptr);
    QVERIFY(data->hasFormat("image/png"));
    QVERIFY(data->hasFormat("image/svg+xml"));
    QImage png;
    QVERIFY(png.loadFromData(data->data("image/png"), "PNG"));
    QCOMPARE(png.size(), m_pView->size() * m_pView->devicePixelRatioF());
    // The background is in the picture, as the view shows it.
    const COLORREF back = Chart().GetSettings().m_crBackground;
    QCOMPARE(png.pixelColor(1, 1), QColor(GetRValue(back), GetGValue(back), GetBValue(back)));
    QCOMPARE(png.convertToFormat(QImage::Format_RGB32),
             m_pView->grab().toImage().convertToFormat(QImage::Format_RGB32));
    const QByteArray svg = data->data("image/svg+xml");
    QVERIFY(svg.contains("<svg"));
    QVERIFY(svg.contains("width=\"640"));
}

QTEST_MAIN(GraphNavigationTest)
#include "graphnavigation_test.moc"
