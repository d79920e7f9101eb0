#include "app/childframe.h"
#include "app/mainframe.h"
#include "document/zeltra20doc.h"
#include "dialogs/analysisdlg.h"
#include "dialogs/areadlg.h"
#include "framework/chartrender.h"
#include "framework/docmanager.h"
#include "framework/valuetext.h"
#include "tests/app/modalhelper.h"
#include "tests/app/testprofile.h"
#include "views/graphview.h"

#include <QAction>
#include <QClipboard>
#include <QFontMetrics>
#include <QMimeData>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <cmath>
#include <memory>
#include <numbers>

using Kind = CCurveOverlay::PointKind;

class ChartReadingTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CMainFrame> m_frame;
    QTemporaryDir m_dir;

    CMainFrame& Frame() { return *m_frame; }
    CZeltra20Doc& Doc() { return *Frame().GetActiveDocument(); }
    FunctionContainer& Chart() { return Doc().GetChart(); }
    CZeltra20View* View() { return Frame().GetActiveFrame()->GetGraphView(); }
    const CCurveOverlay& Overlay() { return View()->GetOverlay(); }

    void OpenFrame()
    {
        m_frame = std::make_unique<CMainFrame>();
        m_frame->resize(1000, 750);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        QTest::mouseMove(m_frame.get(), QPoint(1, 1));
    }

    void NewChart(std::initializer_list<const char*> formulas)
    {
        Frame().GetDocManager().OnFileNew();
        Chart().BeginEdit();
        for (const char* formula : formulas) {
            Chart().SetCurrent(-1);
            Chart().SetFunction(formula, 0, true, 0);
        }
        Chart().CommitEdit();
        Doc().UpdateAllViews(nullptr, 0);
        Doc().SetModifiedFlag(false);
        // The rings come a moment after the chart: taken now, so that what
        // a test compares does not change under it.
        Overlay().FinishPoints();
        QCoreApplication::processEvents();
    }

    // The view pixel of a chart point, as the view last drew the chart.
    QPoint Pixel(double x, double y)
    {
        QCoreApplication::processEvents();
        const ChartSettings& s = Chart().GetSettings();
        const RECT& r = Chart().GetPlotRect();
        return QPoint(static_cast<int>(std::lround(r.left + (x - s.m_xMin) / (s.m_xMax - s.m_xMin) *
                                                               (r.right - r.left))),
                      static_cast<int>(std::lround(r.top + (s.m_yMax - y) / (s.m_yMax - s.m_yMin) *
                                                              (r.bottom - r.top))));
    }

    // The rings, once the worker has found them and the view drawn them.
    const std::vector<CCurveOverlay::PointOfInterest>& Rings()
    {
        const bool found = QTest::qWaitFor([this] { return !Overlay().PointsPending(); }, 10000);
        if (!found)
            qWarning("the rings were not found in time");
        QCoreApplication::processEvents();
        return Overlay().Points();
    }

    std::vector<double> Zeros()
    {
        std::vector<double> zeros;
        for (const CCurveOverlay::PointOfInterest& p : Rings()) {
            if (p.kind == Kind::kZero)
                zeros.push_back(p.x);
        }
        return zeros;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        UseTestProfile(m_dir.filePath("config"));
    }

    void init()
    {
        QSettings().clear();
        OpenFrame();
    }

    void cleanup()
    {
        for (const auto& document : m_frame->GetDocManager().GetDocuments())
            document->SetModifiedFlag(false);
        m_frame.reset();
    }

    void valuesUnderThePointer_data()
    {
        QTest::addColumn<double>("pointerY"); ///< chart units at x = 1
        QTest::addColumn<bool>("guides");
        QTest::addColumn<QStringList>("lines");
        const double x = 1;
        const QString sine = "sin(x) = " + ValueText(std::sin(x), 15);
        const QString cosine = "cos(x) = " + ValueText(std::cos(x), 15);
        QTest::newRow("on sin") << std::sin(x) << false << QStringList{sine};
        QTest::newRow("on cos") << std::cos(x) << false << QStringList{cosine};
        QTest::newRow("away from both") << -0.5 << false << QStringList{};
        QTest::newRow("guides show both") << -0.5 << true << QStringList{sine, cosine};
    }

    void valuesUnderThePointer()
    {
        QFETCH(double, pointerY);
        QFETCH(bool, guides);
        QFETCH(QStringList, lines);
        NewChart({"sin(x)", "cos(x)"});
        if (guides)
            Frame().GetAction(Cmd::kGuides)->trigger();
        // The pointer's own column: the values are those at the x the status
        // bar reads there, evaluated, not read off the drawn line.
        const QPoint p = Pixel(1, pointerY);
        const double x = Chart().PixelToWorld(p.x(), p.y()).x;
        for (QString& line : lines) {
            const bool sine = line.startsWith("sin");
            line = line.section('=', 0, 0) + "= " + ValueText(sine ? std::sin(x) : std::cos(x), 15);
        }
        // The x the values are read at comes first.
        if (!lines.isEmpty())
            lines.prepend("x = " + ValueText(x, 15));
        QTest::mouseMove(View(), p + QPoint(0, 3));
        QTest::mouseMove(View(), p);
        QCOMPARE(Overlay().ReadoutLines(), lines);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(View(), &leave);
        QVERIFY(Overlay().ReadoutLines().isEmpty());
    }

    void theReadoutGoesWithoutATrace()
    {
        NewChart({"sin(x)"});
        const QImage bare = View()->grab().toImage();
        const QPoint on = Pixel(1, std::sin(1.0));
        QTest::mouseMove(View(), on);
        QVERIFY(View()->grab().toImage() != bare);
        QTest::mouseMove(View(), Pixel(1, -0.9));
        QVERIFY(Overlay().ReadoutLines().isEmpty());
        QVERIFY(View()->grab().toImage() == bare);
    }

    void ringsAtTheZerosOfSine_data()
    {
        QTest::addColumn<int>("k");
        QTest::newRow("-pi") << -1;
        QTest::newRow("0") << 0;
        QTest::newRow("pi") << 1;
    }

    void ringsAtTheZerosOfSine()
    {
        QFETCH(int, k);
        NewChart({"sin(x)"});
        QVERIFY(Frame().GetAction(Cmd::kPointsOfInterest)->isChecked());
        const std::vector<double> zeros = Zeros();
        QCOMPARE(zeros.size(), std::size_t{3});
        const double zero = zeros[static_cast<std::size_t>(k + 1)];
        QVERIFY(std::abs(zero - k * std::numbers::pi) <= 4e-16 * std::max(1.0, std::abs(zero)));
        // Pointing at the ring tells what it is and where; a click copies it.
        const QPoint ring = Pixel(zero, 0);
        QTest::mouseMove(View(), ring + QPoint(2, -1));
        QCOMPARE(Overlay().ReadoutLines(),
                 QStringList({"Miejsce zerowe sin(x)", "x = " + ValueText(zero, 15) + "; y = 0"}));
        QApplication::clipboard()->clear();
        QTest::mouseClick(View(), Qt::LeftButton, Qt::NoModifier, ring);
        QCOMPARE(QApplication::clipboard()->text(), ValueText(zero) + "; 0");
        QVERIFY(!Doc().IsModified());
    }

    void ringsOfIntersectionsAndTheSwitch()
    {
        NewChart({"sin(x)", "x^2-2"});
        int meetings = 0;
        for (const CCurveOverlay::PointOfInterest& p : Rings())
            meetings += p.kind == Kind::kIntersection;
        QCOMPARE(meetings, 2);
        QVERIFY(!Zeros().empty());
        Frame().GetAction(Cmd::kPointsOfInterest)->trigger();
        QVERIFY(Rings().empty());
        // A click where a ring was is a plain click again.
        QApplication::clipboard()->setText("kept");
        QTest::mouseClick(View(), Qt::LeftButton, Qt::NoModifier, Pixel(std::sqrt(2.0), 0));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("kept"));
    }

    void ringsFollowTheNewestChart()
    {
        // Each change asks for rings again; those of a chart already
        // replaced never show, even when they were being worked out.
        NewChart({"sin(300*x)"});
        for (const char* formula : {"sin(x)", "x^3-x", "x^2-2"}) {
            Chart().BeginEdit();
            Chart().SetCurrent(0);
            Chart().SetFunction(formula, 0, true, 0);
            Chart().CommitEdit();
            Doc().UpdateAllViews(nullptr, 0);
        }
        const std::vector<double> zeros = Zeros();
        QCOMPARE(zeros.size(), std::size_t{2});
        QCOMPARE(zeros[1], std::sqrt(2.0));
        QCOMPARE(zeros[0], -std::sqrt(2.0));
        QVERIFY(!Overlay().PointsPending());
    }

    void theSwitchIsRememberedAcrossARestart()
    {
        NewChart({"sin(x)"});
        Frame().GetAction(Cmd::kPointsOfInterest)->trigger();
        QVERIFY(!Frame().GetAction(Cmd::kPointsOfInterest)->isChecked());
        cleanup();
        OpenFrame();
        // Without a chart the commands are disabled and show no state.
        for (int command : {Cmd::kPointsOfInterest, Cmd::kAnalysis, Cmd::kArea})
            QVERIFY(!Frame().GetAction(command)->isEnabled());
        NewChart({"sin(x)"});
        QVERIFY(!Frame().GetAction(Cmd::kPointsOfInterest)->isChecked());
        QVERIFY(Rings().empty());
        // Not part of the chart: a saved chart has no say in it.
        QVERIFY(!Doc().IsModified());
        Frame().GetAction(Cmd::kPointsOfInterest)->trigger();
        QCOMPARE(Zeros().size(), std::size_t{3});
        QCOMPARE(QSettings().value("Settings/PointsOfInterest").toBool(), true);
    }

    void analysisTableAndItsCopy()
    {
        NewChart({"sin(x)", "x^2-2"});
        CAnalysisDlg dialog(Chart(), &Frame());
        dialog.show();
        auto* table = dialog.findChild<QTableWidget*>();
        QVERIFY(table != nullptr);
        // sin: 3 zeros, 2 minima, 2 maxima; x^2-2: 2 zeros, 1 minimum; 2 meetings.
        QCOMPARE(table->rowCount(), 12);
        // Each function's points by x, then the intersections.
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("Maksimum"));
        QCOMPARE(table->item(1, 0)->text(), QString::fromUtf8("Miejsce zerowe"));
        QCOMPARE(table->item(1, 1)->text(), QStringLiteral("sin(x)"));
        QCOMPARE(table->item(1, 2)->text(), QStringLiteral("-3.1415926535897931"));
        QCOMPARE(table->item(7, 1)->text(), QStringLiteral("x^2-2"));
        QCOMPARE(table->item(11, 0)->text(), QString::fromUtf8("Punkt przecięcia"));
        QCOMPARE(table->item(11, 1)->text(), QString::fromUtf8("sin(x) i x^2-2"));
        table->setFocus();
        table->selectRow(1);
        QTest::keyClick(table, Qt::Key_Down, Qt::ShiftModifier);
        QApplication::clipboard()->clear();
        QTest::keySequence(table, QKeySequence::Copy);
        // Headed by the column names, as the value table's copy is.
        const QStringList copied = QApplication::clipboard()->text().split('\n');
        QCOMPARE(copied.size(), 4);
        QCOMPARE(copied[0], QStringLiteral("Rodzaj\tFunkcja\tx\ty"));
        QCOMPARE(copied[1], QString::fromUtf8("Miejsce zerowe\tsin(x)\t-3.1415926535897931\t0"));
        QCOMPARE(copied[2].section('\t', 0, 1), QStringLiteral("Minimum\tsin(x)"));
        QCOMPARE(copied[3], QString());
        const std::string csv = dialog.CsvText();
        QVERIFY(csv.starts_with("Rodzaj,Funkcja,x,y\n"));
        QVERIFY(csv.find("\nMiejsce zerowe,sin(x),-3.1415926535897931,0\n") != std::string::npos);
        QCOMPARE(static_cast<int>(std::count(csv.begin(), csv.end(), '\n')), 13);
    }

    void analysisTableSaysWhatItCouldNotSettle()
    {
        // The default range is -5 ... 5: the two parabolas are one over
        // all of it, and sin(1/x) crowds its points about 0.
        NewChart({"(x+1)^2", "x^2+2*x+1", "sin(1/x)"});
        CAnalysisDlg dialog(Chart(), &Frame());
        auto* table = dialog.findChild<QTableWidget*>();
        QVERIFY(table != nullptr);
        QStringList kinds;
        int same = -1, unsettled = -1;
        for (int r = 0; r < table->rowCount(); ++r) {
            const QString kind = table->item(r, 0)->text();
            if (kind == QString::fromUtf8("Wykresy pokrywają się"))
                same = r;
            if (kind.startsWith(QString::fromUtf8("Nie rozstrzygnięto w przedziale od -")))
                unsettled = unsettled < 0 ? r : unsettled;
        }
        QVERIFY(same >= 0);
        QCOMPARE(table->item(same, 1)->text(), QStringLiteral("(x+1)^2 i x^2+2*x+1"));
        QCOMPARE(table->item(same, 2)->text(), QStringLiteral("od -5 do 5"));
        QCOMPARE(table->item(same, 3)->text(), QString());
        QVERIFY(unsettled >= 0);
        QCOMPARE(table->item(unsettled, 1)->text(), QStringLiteral("sin(1/x)"));
        QVERIFY(table->item(unsettled, 0)->text().contains(QStringLiteral(" do ")));
        // No meetings of the two: they are one.
        for (int r = 0; r < table->rowCount(); ++r)
            QVERIFY(table->item(r, 1)->text() != QStringLiteral("(x+1)^2 i x^2+2*x+1") || r == same);
        const std::string csv = dialog.CsvText();
        QVERIFY(csv.find("\n" + std::string("Wykresy pokrywają się,(x+1)^2 i x^2+2*x+1,od -5 do 5,\n")) !=
                std::string::npos);
    }

    void areaDialog_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("shown"); ///< the result's start
        QTest::newRow("sin over 0..pi") << "sin(x)" << "0" << "pi" << "Pole = 2.000000000000000";
        QTest::newRow("1/x over -1..1") << "1/x" << "-1" << "1" << QString::fromUtf8("Całka jest rozbieżna");
        QTest::newRow("sqrt(x) over -1..1")
            << "sqrt(x)" << "-1" << "1" << QString::fromUtf8("Funkcja nie jest określona");
        QTest::newRow("bad formula") << "sin(x)" << "2*" << "1" << QString::fromUtf8("Błąd w początku przedziału");
        // Regression: an error found while evaluating said "na pozycji -1".
        QTest::newRow("division by zero")
            << "sin(x)"
            << "0"
            << "pi/0" << QString::fromUtf8("Błąd w końcu przedziału\nDzielenie przez zero");
        // An empty interval has the area 0, no longer a refusal.
        QTest::newRow("empty interval")
            << "sin(x)" << "1" << "1" << QString::fromUtf8("Pole = 0 (całka oznaczona)");
    }

    void areaDialog()
    {
        QFETCH(QString, formula);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, shown);
        NewChart({formula.toLatin1().constData()});
        CAreaDlg dialog(Chart());
        dialog.show();
        const QList<QLineEdit*> fields = dialog.findChildren<QLineEdit*>();
        QCOMPARE(fields.size(), 2);
        // Filled in with the visible range.
        QCOMPARE(fields[0]->text(), QStringLiteral("-5"));
        QCOMPARE(fields[1]->text(), QStringLiteral("5"));
        fields[0]->setText(from);
        fields[1]->setText(to);
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
            if (button->text() == "OK")
                QTest::mouseClick(button, Qt::LeftButton);
        }
        QLabel* result = nullptr;
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->textInteractionFlags() & Qt::TextSelectableByMouse)
                result = label;
        }
        QVERIFY(result != nullptr);
        QVERIFY2(result->text().startsWith(shown), qPrintable(result->text()));
        QVERIFY2(!result->text().contains(QStringLiteral("pozycji -1")),
                 qPrintable(result->text()));
        const bool known = shown.startsWith("Pole");
        QCOMPARE(dialog.result() == QDialog::Accepted, known);
        QCOMPARE(dialog.isVisible(), !known);
    }

    void areaIsShadedUntilTheChartChanges_data()
    {
        QTest::addColumn<bool>("byWheel");
        QTest::newRow("zoom command") << false;
        QTest::newRow("wheel over the view") << true;
    }

    void areaIsShadedUntilTheChartChanges()
    {
        QFETCH(bool, byWheel);
        NewChart({"sin(x)"});
        const QPoint inside = Pixel(std::numbers::pi / 2, 0.5);
        const QPoint outside = Pixel(-std::numbers::pi / 2, -0.5);
        const QImage bare = View()->grab().toImage();
        WhenModal([](QWidget* modal) {
            const QList<QLineEdit*> fields = modal->findChildren<QLineEdit*>();
            fields[0]->setText("0");
            fields[1]->setText("pi");
            static_cast<QDialog*>(modal)->accept();
        });
        Frame().GetAction(Cmd::kArea)->trigger();
        QVERIFY(View()->GetOverlay().HasShade());
        const QImage shaded = View()->grab().toImage();
        QVERIFY(shaded.pixel(inside) != bare.pixel(inside));
        QCOMPARE(shaded.pixel(outside), bare.pixel(outside));
        if (byWheel) {
            QWheelEvent wheel(QPointF(inside), QPointF(View()->mapToGlobal(inside)), QPoint(),
                              QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(View(), &wheel);
        } else {
            Frame().GetAction(Cmd::kZoomIn)->trigger();
        }
        QVERIFY(!View()->GetOverlay().HasShade());
    }

    void areaShadeFollowsItsKind_data()
    {
        QTest::addColumn<QString>("kind"); ///< the dialog's choice
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("label");
        // Shaded at (pi/2, 0.5) and at (-pi/2, -0.5) as much, or the second
        // fainter; between the curves at x = 3.6 and not below them.
        QTest::newRow("signed: below the axis fainter")
            << "signed" << "-pi" << "pi" << QString::fromUtf8("(całka oznaczona)");
        QTest::newRow("geometric: both sides alike")
            << "geometric" << "-pi" << "pi" << QString::fromUtf8("(pole obszaru)");
        QTest::newRow("between sin and cos: only between them")
            << "between" << "pi/4" << "5pi/4" << QString::fromUtf8("(pole między wykresami)");
    }

    void areaShadeFollowsItsKind()
    {
        QFETCH(QString, kind);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, label);
        NewChart({"sin(x)", "cos(x)"});
        const double pi = std::numbers::pi;
        const QPoint above = Pixel(pi / 2, 0.5);
        const QPoint below = Pixel(-pi / 2, -0.5);
        // At x = 3.6, cos is below sin: between them, and below both.
        const QPoint inside = Pixel(3.6, (std::sin(3.6) + std::cos(3.6)) / 2);
        const QPoint under = Pixel(3.6, std::cos(3.6) - 0.4);
        const QImage bare = View()->grab().toImage();
        QString shown;
        WhenModal([&](QWidget* modal) {
            QTest::mouseClick(modal->findChild<QRadioButton*>(kind), Qt::LeftButton);
            const QList<QLineEdit*> fields = modal->findChildren<QLineEdit*>();
            fields[0]->setText(from);
            fields[1]->setText(to);
            static_cast<QDialog*>(modal)->accept();
        });
        Frame().GetAction(Cmd::kArea)->trigger();
        QVERIFY(View()->GetOverlay().HasShade());
        const QImage shaded = View()->grab().toImage();
        if (kind == "between") {
            QVERIFY(shaded.pixel(inside) != bare.pixel(inside));
            QCOMPARE(shaded.pixel(under), bare.pixel(under));
            QCOMPARE(shaded.pixel(below), bare.pixel(below));
        } else {
            QVERIFY(shaded.pixel(above) != bare.pixel(above));
            QVERIFY(shaded.pixel(below) != bare.pixel(below));
            QCOMPARE(shaded.pixel(above) == shaded.pixel(below), kind == "geometric");
            QCOMPARE(shaded.pixel(inside), bare.pixel(inside));
        }
        // The label in the picture names the kind.
        const QByteArray svg = RenderChartSvg(Chart(), View()->size(), View()->Picture(false));
        QVERIFY2(svg.contains(label.toUtf8()), svg.right(400).constData());
    }

    void readoutFitsTheViewWithManyCurves_data()
    {
        QTest::addColumn<QSize>("window");
        QTest::addColumn<int>("curves");
        QTest::newRow("30 curves in a small window") << QSize(700, 420) << 30;
        QTest::newRow("30 curves in a large window") << QSize(1000, 950) << 30;
        QTest::newRow("3 curves, all listed") << QSize(700, 420) << 3;
    }

    void readoutFitsTheViewWithManyCurves()
    {
        QFETCH(QSize, window);
        QFETCH(int, curves);
        m_frame->resize(window);
        Frame().GetDocManager().OnFileNew();
        Chart().BeginEdit();
        for (int k = 0; k < curves; ++k) {
            Chart().SetCurrent(-1);
            Chart().SetFunction("sin(x)+" + std::to_string(k) + "/10", 0, true, 0);
        }
        Chart().CommitEdit();
        Doc().UpdateAllViews(nullptr, 0);
        Doc().SetModifiedFlag(false);
        Frame().GetAction(Cmd::kGuides)->trigger();
        QCoreApplication::processEvents();
        // Among the curves, near the middle of the bunch.
        const QPoint p = Pixel(1, std::sin(1.0) + (curves - 1) / 20.0);
        QTest::mouseMove(View(), p + QPoint(0, 3));
        QTest::mouseMove(View(), p);
        const QStringList lines = Overlay().ReadoutLines();
        QVERIFY(!lines.isEmpty());
        QVERIFY2(lines.front().startsWith("x = "), qPrintable(lines.front()));
        const RECT& r = Chart().GetPlotRect();
        const int lineHeight = QFontMetrics(View()->font()).height();
        QVERIFY(lines.size() * lineHeight <= r.bottom - r.top);
        const int shown = static_cast<int>(lines.size()) - 1;
        if (shown >= curves) {
            QCOMPARE(shown, curves);
            return;
        }
        // The rest are counted, the nearest to the pointer listed.
        const QString others = QString::fromUtf8("\u2026 i %1 innych").arg(curves - shown + 1);
        QCOMPARE(lines.back(), others);
        const double x = Chart().PixelToWorld(p.x(), p.y()).x;
        const double y = Chart().PixelToWorld(p.x(), p.y()).y;
        const long nearest = std::lround((y - std::sin(x)) * 10);
        QVERIFY(lines.contains(QStringLiteral("sin(x)+%1/10 = ").arg(nearest) +
                               ValueText(std::sin(x) + nearest / 10.0, 15)));
        // Inside the view, clear of the legend where there is room.
        const QImage image = View()->grab().toImage();
        QCOMPARE(image.size(), View()->size());
    }

    void copyShowsTheShadeAndTheRings()
    {
        constexpr COLORREF curve = RGB(213, 94, 0);
        Frame().GetDocManager().OnFileNew();
        Chart().BeginEdit();
        Chart().SetFunction("sin(x)", 0, true, curve);
        Chart().CommitEdit();
        Doc().UpdateAllViews(nullptr, 0);
        Doc().SetModifiedFlag(false);
        QCoreApplication::processEvents();
        auto copied = [this] {
            Frame().GetAction(Cmd::kEditCopy)->trigger();
            return QImage::fromData(QApplication::clipboard()->mimeData()->data("image/png"));
        };
        auto shaded = [](QRgb pixel) {
            auto blend = [](int channel) { return 255 + (channel - 255) * 80 / 255; };
            return std::abs(qRed(pixel) - blend(GetRValue(curve))) <= 2 &&
                   std::abs(qGreen(pixel) - blend(GetGValue(curve))) <= 2 &&
                   std::abs(qBlue(pixel) - blend(GetBValue(curve))) <= 2;
        };
        const QImage bare = copied();
        WhenModal([](QWidget* modal) {
            const QList<QLineEdit*> fields = modal->findChildren<QLineEdit*>();
            fields[0]->setText("0");
            fields[1]->setText("pi");
            static_cast<QDialog*>(modal)->accept();
        });
        Frame().GetAction(Cmd::kArea)->trigger();
        const QImage shade = copied();
        QVERIFY(shade != bare);
        // What the window shows is what is copied.
        QCOMPARE(shade, View()->grab().toImage().convertToFormat(shade.format()));
        const int first = Pixel(0, 0).x();
        const int last = Pixel(std::numbers::pi, 0).x();
        int inside = 0;
        int outside = 0;
        for (int y = 0; y < shade.height(); ++y) {
            for (int x = 0; x < shade.width(); ++x) {
                if (shaded(shade.pixel(x, y)))
                    (x >= first - 1 && x <= last + 1 ? inside : outside) += 1;
            }
        }
        QVERIFY2(inside > 1000, qPrintable(QString::number(inside)));
        QCOMPARE(outside, 0);
        // The rings are in it: without them the picture differs.
        Frame().GetAction(Cmd::kPointsOfInterest)->trigger();
        QVERIFY(copied() != shade);
    }

    void smoothingIsAProgramSetting()
    {
        NewChart({"sin(3*x)"});
        QAction* smoothing = Frame().GetAction(Cmd::kAntialiasing);
        QVERIFY(smoothing->isChecked());
        const QImage smooth = View()->grab().toImage();
        smoothing->trigger();
        QVERIFY(!smoothing->isChecked());
        QVERIFY(View()->grab().toImage() != smooth);
        QCOMPARE(QSettings().value("Settings/Antialiasing").toBool(), false);
        // Remembered by the next window.
        cleanup();
        OpenFrame();
        QVERIFY(!Frame().GetAction(Cmd::kAntialiasing)->isChecked());
    }
};

QTEST_MAIN(ChartReadingTest)
#include "chartreading_test.moc"
