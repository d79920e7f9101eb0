#include "app/childframe.h"
#include "app/mainframe.h"
#include "app/zeltra20app.h"
#include "chart/chartfile.h"
#include "chart/chartmessages.h"
#include "document/zeltra20doc.h"
#include "framework/docmanager.h"
#include "framework/qtstring.h"
#include "tests/app/modalhelper.h"
#include "tests/app/testprofile.h"
#include "views/graphview.h"
#include "views/tableview.h"

#include <QAction>
#include <QActionGroup>
#include <QFile>
#include <QFileIconProvider>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QTest>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

// The menu of the menu bar with this title, as the user sees the bar now.
QMenu* BarMenu(CMainFrame& frame, const QString& title)
{
    for (QAction* action : frame.menuBar()->actions()) {
        if (action->text() == title)
            return action->menu();
    }
    return nullptr;
}

QAction* MenuItem(QMenu* menu, const QString& text)
{
    if (menu == nullptr)
        return nullptr;
    emit menu->aboutToShow();
    for (QAction* action : menu->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

QStringList BarTitles(CMainFrame& frame)
{
    QStringList titles;
    for (QAction* action : frame.menuBar()->actions())
        titles << action->text();
    return titles;
}

// Status-bar panes 1 to 4, in the order they stand.
QList<QLabel*> Panes(CMainFrame& frame)
{
    QList<QLabel*> panes;
    for (QLabel* label : frame.statusBar()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        panes << label;
    return panes;
}

// Clicks a button of the message box that is open, after checking its text.
void AnswerMessage(QWidget* modal, QMessageBox::StandardButton button, QString* text = nullptr)
{
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box == nullptr)
        return;
    if (text != nullptr)
        *text = box->text();
    QTest::mouseClick(box->button(button), Qt::LeftButton);
}

// Types a file name into the program's save dialog and confirms it.
void AnswerSaveDialog(QWidget* modal, const QString& path)
{
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (dialog == nullptr)
        return;
    dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept();
}

} // namespace

class MainFrameTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CMainFrame> m_frame;
    QTemporaryDir m_dir;

    CMainFrame& Frame() { return *m_frame; }
    CZeltra20Doc& Doc() { return *Frame().GetActiveDocument(); }
    FunctionContainer& Chart() { return Doc().GetChart(); }
    CZeltra20View* View() { return Frame().GetActiveFrame()->GetGraphView(); }
    QString Path(const char* name) { return m_dir.filePath(QString::fromLatin1(name)); }

    void NewChartWithFunction(const char* formula = "sin(x)")
    {
        Frame().GetDocManager().OnFileNew();
        Chart().BeginEdit();
        Chart().SetCurrent(-1);
        Chart().SetFunction(formula, 0, true, 0);
        Chart().CommitEdit();
        Doc().UpdateAllViews(nullptr, 0);
        Doc().SetModifiedFlag(false);
        // The rings come a moment after the chart: taken now, so that what
        // a test compares does not change under it.
        View()->GetOverlay().FinishPoints();
    }

    // Answers the save question of each chart in turn and keeps the texts.
    void AnswerQuestions(std::vector<QMessageBox::StandardButton> answers, QStringList& asked)
    {
        if (answers.empty())
            return;
        WhenModal([this, answers, &asked](QWidget* modal) {
            QString text;
            // The next question comes while this answer is handled.
            AnswerQuestions({answers.begin() + 1, answers.end()}, asked);
            AnswerMessage(modal, answers.front(), &text);
            asked << text;
        });
    }

    // The plot of the chart as the view last drew it, once it has drawn
    // what is pending.
    QPoint PlotCentre() const
    {
        QCoreApplication::processEvents();
        const RECT& r = m_frame->GetActiveDocument()->GetChart().GetPlotRect();
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    QRect Plot() const
    {
        QCoreApplication::processEvents();
        const RECT& r = m_frame->GetActiveDocument()->GetChart().GetPlotRect();
        return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
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
        m_frame = std::make_unique<CMainFrame>();
        m_frame->resize(1000, 750);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
        // The pointer starts over the window's corner, so a test's first move
        // is a move (one to where the pointer already is delivers nothing).
        QTest::mouseMove(m_frame.get(), QPoint(1, 1));
    }

    void cleanup()
    {
        // Nothing left to ask about when the window goes.
        for (const auto& document : m_frame->GetDocManager().GetDocuments())
            document->SetModifiedFlag(false);
        m_frame.reset();
    }

    void newChartHasTheDefaults()
    {
        Frame().GetAction(Cmd::kFileNew)->trigger();
        QCOMPARE(Frame().GetActiveFrame()->parentWidget()->windowTitle(), QStringLiteral("Wykres1"));
        QCOMPARE(Frame().windowTitle(), QStringLiteral("Osiowiec - Wykres1"));
        QCOMPARE(BarTitles(Frame()),
                 QStringList({"&Plik", "W&ykres", "&Widok", "&Komunikacja", "&Okno", "Pomo&c"}));
        QCOMPARE(Chart().GetSettings().m_xMin, -5.0);
        QCOMPARE(Chart().GetSettings().m_xMax, 5.0);
        QVERIFY(!Frame().GetAction(Cmd::kUndoZoom)->isEnabled());
        QVERIFY(!Frame().GetAction(Cmd::kFileSave)->isEnabled());
        Frame().GetAction(Cmd::kFileNew)->trigger();
        QCOMPARE(Frame().GetActiveFrame()->parentWidget()->windowTitle(), QStringLiteral("Wykres2"));
    }

    void zoomCommands_data()
    {
        QTest::addColumn<bool>("byKeys");
        QTest::newRow("menu") << false;
        QTest::newRow("keys") << true;
    }

    void zoomCommands()
    {
        QFETCH(bool, byKeys);
        NewChartWithFunction();
        auto command = [&](const char* menuText, const char* keys) {
            if (byKeys) {
                QTest::keySequence(&Frame(), QKeySequence(QString::fromLatin1(keys)));
            } else {
                QAction* item = MenuItem(BarMenu(Frame(), Utf8("W&ykres")), Utf8(menuText));
                QVERIFY2(item != nullptr, menuText);
                item->trigger();
            }
        };
        command("&Powiększ", "Ctrl+I");
        QCOMPARE(Chart().GetSettings().m_xMin, -2.5);
        QCOMPARE(Chart().GetSettings().m_xMax, 2.5);
        QVERIFY(Frame().GetAction(Cmd::kFileSave)->isEnabled());
        command("P&omniejsz", "Ctrl+U");
        QCOMPARE(Chart().GetSettings().m_xMin, -5.0);
        QCOMPARE(Chart().GetZoomHistory().size(), std::size_t{8});
        QVERIFY(Frame().GetAction(Cmd::kUndoZoom)->isEnabled());
        command("&Cofnij", "Ctrl+Z");
        QCOMPARE(Chart().GetSettings().m_xMin, -2.5);
        command("&Cofnij", "Ctrl+Z");
        QCOMPARE(Chart().GetSettings().m_xMin, -5.0);
        QVERIFY(!Frame().GetAction(Cmd::kUndoZoom)->isEnabled());
        QVERIFY(Doc().IsModified());
    }

    void chartKeysOpenTheDialogs_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("title");
        QTest::newRow("Ctrl+D") << "Ctrl+D" << "Funkcja";
        QTest::newRow("Ctrl+W") << "Ctrl+W" << "Ustawienia wykresu";
    }

    void chartKeysOpenTheDialogs()
    {
        QFETCH(QString, keys);
        QFETCH(QString, title);
        NewChartWithFunction();
        QString shown;
        WhenModal([&](QWidget* modal) {
            shown = modal->windowTitle();
            static_cast<QDialog*>(modal)->reject();
        });
        // Keys go where the user's focus is: in the chart window.
        View()->setFocus();
        QTest::keySequence(View(), QKeySequence(keys));
        QCOMPARE(shown, title);
        // Cancelled: nothing changed.
        QVERIFY(!Doc().IsModified());
        QCOMPARE(Chart().GetFunctionCount(), 1);
    }

    void ctrlF4ClosesTheChartWindow()
    {
        NewChartWithFunction();
        // Ctrl+W belongs to the chart's properties alone, on every desktop.
        auto* window = qobject_cast<QMdiSubWindow*>(Frame().GetActiveFrame()->parentWidget());
        for (QAction* action : window->systemMenu()->actions())
            QVERIFY(!action->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+W"))));
        View()->setFocus();
        QTest::keySequence(View(), QKeySequence(QStringLiteral("Ctrl+F4")));
        QVERIFY(Frame().GetFrames().empty());
    }

    void zoomDrag_data()
    {
        QTest::addColumn<QPoint>("from"); // relative to the plot's centre
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<bool>("zoomedBefore");
        QTest::addColumn<double>("xMin");
        QTest::addColumn<bool>("modified");
        // A drag towards the lower right zooms into the rectangle.
        QTest::newRow("towards lower right") << QPoint(0, 0) << QPoint(100, 60) << false << 0.0 << true;
        // Any other direction undoes the last zoom.
        QTest::newRow("towards upper left") << QPoint(0, 0) << QPoint(-100, -60) << true << -5.0 << true;
        QTest::newRow("no height") << QPoint(0, 0) << QPoint(100, 0) << true << -5.0 << true;
        // With an empty history a click changes nothing but still counts as a change.
        QTest::newRow("click, empty history") << QPoint(0, 0) << QPoint(0, 0) << false << -5.0 << true;
    }

    void zoomDrag()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(bool, zoomedBefore);
        QFETCH(double, xMin);
        QFETCH(bool, modified);
        NewChartWithFunction();
        if (zoomedBefore) {
            Frame().GetAction(Cmd::kZoomIn)->trigger();
            Doc().SetModifiedFlag(false);
        }
        Frame().GetAction(Cmd::kModeZoom)->trigger();
        const QPoint centre = PlotCentre();
        QTest::mousePress(View(), Qt::LeftButton, {}, centre + from);
        QTest::mouseMove(View(), centre + (from + to) / 2);
        QTest::mouseMove(View(), centre + to);
        QTest::mouseRelease(View(), Qt::LeftButton, {}, centre + to);
        QVERIFY(qAbs(Chart().GetSettings().m_xMin - xMin) < 0.02);
        QCOMPARE(Doc().IsModified(), modified);
    }

    void zoomRectangleFollowsThePointer()
    {
        NewChartWithFunction();
        const QImage bare = View()->grab().toImage();
        Frame().GetAction(Cmd::kModeZoom)->trigger();
        const QPoint a = PlotCentre() - QPoint(100, 80);
        QTest::mousePress(View(), Qt::LeftButton, {}, a);
        QTest::mouseMove(View(), a + QPoint(150, 120));
        QTest::mouseMove(View(), a + QPoint(60, 40));
        // Only the latest rectangle's outline differs from the bare chart.
        const QImage shot = View()->grab().toImage();
        const QRect latest(a, a + QPoint(59, 39));
        int outside = 0;
        int onOutline = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                if (shot.pixel(x, y) == bare.pixel(x, y))
                    continue;
                const bool edge = latest.contains(x, y) &&
                                  (x == latest.left() || x == latest.right() ||
                                   y == latest.top() || y == latest.bottom());
                (edge ? onOutline : outside)++;
            }
        }
        QCOMPARE(outside, 0);
        QVERIFY(onOutline > 60);
        QTest::mouseRelease(View(), Qt::LeftButton, {}, a + QPoint(60, 40));
        QVERIFY(Chart().CanUndoZoom());
    }

    void zoomDragAtThePlotEdges()
    {
        NewChartWithFunction();
        Frame().GetAction(Cmd::kModeZoom)->trigger();
        const QRect plot = Plot();
        // Right of or below the plot: no drag starts.
        for (const QPoint& p : {QPoint(plot.right() + 5, plot.center().y()),
                                QPoint(plot.center().x(), plot.bottom() + 5)}) {
            QTest::mousePress(View(), Qt::LeftButton, {}, p);
            QTest::mouseMove(View(), plot.center());
            QTest::mouseRelease(View(), Qt::LeftButton, {}, plot.center());
            QVERIFY(!Doc().IsModified());
        }
        // Left of it, the drag starts at the left edge; the moving corner
        // stops at the right and bottom edges.
        QTest::mousePress(View(), Qt::LeftButton, {}, QPoint(plot.left() - 10, plot.center().y()));
        QTest::mouseMove(View(), QPoint(plot.right() + 50, plot.bottom() + 50));
        QTest::mouseRelease(View(), Qt::LeftButton, {}, QPoint(plot.right() + 50, plot.bottom() + 50));
        QVERIFY(Doc().IsModified());
        QCOMPARE(Chart().GetSettings().m_xMin, -5.0);
        QVERIFY(qAbs(Chart().GetSettings().m_xMax - 5.0) < 0.05);
        QVERIFY(Chart().CanUndoZoom());
    }

    void panDrag()
    {
        NewChartWithFunction();
        Chart().BeginEdit();
        Chart().SetTable(false, true, "-1", "1", "", 0, 0xFFFFFF);
        Chart().CommitEdit();
        QList<int> hints;
        connect(&Doc(), &CDocument::updated, this, [&hints](int hint) { hints << hint; });
        Frame().GetAction(Cmd::kModePan)->trigger();
        const QPoint centre = PlotCentre();
        const double width = Chart().GetSettings().m_xMax - Chart().GetSettings().m_xMin;
        QTest::mousePress(View(), Qt::LeftButton, {}, centre);
        QTest::mouseMove(View(), centre + QPoint(20, 0));
        QTest::mouseMove(View(), centre + QPoint(40, 10));
        QVERIFY(Doc().IsModified());
        QCOMPARE(hints, QList<int>({3, 3}));
        QTest::mouseRelease(View(), Qt::LeftButton, {}, centre + QPoint(40, 10));
        // The table keeps its rows (not synchronised); the result goes out.
        QCOMPARE(hints, QList<int>({3, 3, 1}));
        const double expected = -5.0 - 40 * width / Plot().width();
        QVERIFY(qAbs(Chart().GetSettings().m_xMin - expected) < 1e-9);
        QVERIFY(!Chart().CanUndoZoom());
    }

    // Regression: when a dialog took the button's release (Ctrl+D during a
    // drag), the chart went on panning with the pointer, and a zoom
    // rectangle went on following it.
    void aDragEndsWhenItsButtonIsLetGoElsewhere()
    {
        NewChartWithFunction();
        QList<int> hints;
        connect(&Doc(), &CDocument::updated, this, [&hints](int hint) { hints << hint; });
        const QPoint centre = PlotCentre();
        auto moveWithNoButton = [this](QPoint p) {
            QMouseEvent move(QEvent::MouseMove, p, View()->mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QApplication::sendEvent(View(), &move);
        };

        Frame().GetAction(Cmd::kModePan)->trigger();
        QTest::mousePress(View(), Qt::LeftButton, {}, centre);
        QTest::mouseMove(View(), centre + QPoint(20, 0));
        const double panned = Chart().GetSettings().m_xMin;
        moveWithNoButton(centre + QPoint(60, 30));
        QCOMPARE(Chart().GetSettings().m_xMin, panned);
        QCOMPARE(hints.last(), 0); // sent out as on a release, for the table too
        QTest::mouseRelease(View(), Qt::LeftButton, {}, centre + QPoint(60, 30));

        Frame().GetAction(Cmd::kModeZoom)->trigger();
        QTest::mousePress(View(), Qt::LeftButton, {}, centre);
        QTest::mouseMove(View(), centre + QPoint(80, 50));
        moveWithNoButton(centre + QPoint(100, 60));
        QCOMPARE(Chart().GetSettings().m_xMin, panned);
        QVERIFY(!Chart().CanUndoZoom());
        // No rectangle is left on the chart.
        const QImage shown = View()->grab().toImage();
        Doc().UpdateAllViews(nullptr, 0);
        QCOMPARE(View()->grab().toImage(), shown);
        QTest::mouseRelease(View(), Qt::LeftButton, {}, centre + QPoint(100, 60));
        QVERIFY(!Chart().CanUndoZoom());
    }

    void pointingChangesNothing()
    {
        NewChartWithFunction();
        const QPoint centre = PlotCentre();
        QTest::mousePress(View(), Qt::LeftButton, {}, centre);
        QTest::mouseMove(View(), centre + QPoint(60, 40));
        QTest::mouseRelease(View(), Qt::LeftButton, {}, centre + QPoint(60, 40));
        QVERIFY(!Doc().IsModified());
        QCOMPARE(Chart().GetSettings().m_xMin, -5.0);
    }

    // Shift+F10 opens the chart's menu from the keyboard in either pane, as
    // the menu key does.
    void shiftF10OpensTheChartMenu()
    {
        NewChartWithFunction();
        Frame().GetAction(Cmd::kToggleTable)->trigger();
        for (QWidget* pane : {static_cast<QWidget*>(View()),
                              static_cast<QWidget*>(Frame().GetActiveFrame()->GetTableView())}) {
            // A shortcut acts in the active window only, which the menu
            // just closed may not have given back yet: asked back, as a
            // window manager gives it.
            Frame().activateWindow();
            QApplication::setActiveWindow(&Frame());
            QVERIFY(QTest::qWaitForWindowActive(&Frame()));
            pane->setFocus();
            QString first;
            // Looked for until it is there: a slow machine may take longer
            // than a moment to show a menu for the first time.
            QTimer poll;
            poll.setInterval(20);
            connect(&poll, &QTimer::timeout, this, [&first, &poll] {
                if (QWidget* popup = QApplication::activePopupWidget()) {
                    first = popup->actions().value(0)->text().section('\t', 0, 0);
                    popup->close();
                    poll.stop();
                }
            });
            poll.start();
            QTest::keyClick(pane, Qt::Key_F10, Qt::ShiftModifier);
            QTRY_COMPARE(first, Utf8("&Dodaj funkję..."));
            poll.stop();
        }
    }

    void rightClickEndsTheDrag()
    {
        NewChartWithFunction();
        Frame().GetAction(Cmd::kModeZoom)->trigger();
        const QPoint centre = PlotCentre();
        QTest::mousePress(View(), Qt::LeftButton, {}, centre);
        QTest::mouseMove(View(), centre + QPoint(80, 50));
        bool menuShown = false;
        double xMinWhenShown = 0;
        QTimer::singleShot(50, this, [&] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                menuShown = true;
                xMinWhenShown = Chart().GetSettings().m_xMin;
                QStringList texts;
                for (QAction* action : popup->actions())
                    texts << action->text().section('\t', 0, 0);
                QCOMPARE(texts.first(), Utf8("&Dodaj funkję..."));
                QCOMPARE(texts.last(), Utf8("&Cofnij"));
                popup->close();
            }
        });
        QTest::mousePress(View(), Qt::RightButton, {}, centre + QPoint(80, 50));
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, centre + QPoint(80, 50),
                                    View()->mapToGlobal(centre + QPoint(80, 50)));
        QApplication::sendEvent(View(), &menuEvent);
        QTest::mouseRelease(View(), Qt::RightButton, {}, centre + QPoint(80, 50));
        QVERIFY(menuShown);
        QVERIFY(xMinWhenShown > -0.1); // zoomed into the right half before the menu opened
        QTest::mouseRelease(View(), Qt::LeftButton, {}, centre + QPoint(80, 50));
        QVERIFY(Chart().CanUndoZoom());
        QCOMPARE(Chart().GetZoomHistory().size(), std::size_t{4});
    }

    void coordinatesInTheStatusBar()
    {
        NewChartWithFunction();
        const QList<QLabel*> panes = Panes(Frame());
        QCOMPARE(panes.size(), 4);
        const QRect plot = Plot();
        QTest::mouseMove(View(), plot.topLeft());
        QCOMPARE(panes[0]->text(), QStringLiteral(" x = -5"));
        QVERIFY(panes[1]->text().startsWith(QStringLiteral(" y = ")));
        QTest::mouseMove(View(), plot.center());
        QVERIFY(panes[0]->text().startsWith(QStringLiteral(" x = ")));
        // Margins of the view lie outside the ranges: both panes empty.
        QTest::mouseMove(View(), QPoint(2, 2));
        QCOMPARE(panes[0]->text(), QString());
        QCOMPARE(panes[1]->text(), QString());
        QTest::mouseMove(View(), plot.center());
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(View(), &leave);
        QCOMPARE(panes[0]->text(), QString());
        QCOMPARE(panes[2]->text(), QString());
        QCOMPARE(panes[3]->text(), QString());
    }

    void guidesComeBackOnTheSecondMove()
    {
        NewChartWithFunction();
        const QImage bare = View()->grab().toImage();
        // Guides through p: most pixels of its column inside the plot differ
        // from the bare chart.
        auto guidedAt = [&](QPoint p) {
            const QImage shot = View()->grab().toImage();
            const QRect plot = Plot();
            int changed = 0;
            for (int y = plot.top(); y <= plot.bottom(); ++y)
                changed += shot.pixel(p.x(), y) != bare.pixel(p.x(), y);
            return changed > plot.height() / 3;
        };
        const QPoint p = PlotCentre() + QPoint(7, 5);
        const QPoint q = p + QPoint(11, 3);
        QTest::mouseMove(View(), p);
        QVERIFY(!guidedAt(p));
        Frame().GetAction(Cmd::kGuides)->trigger();
        QVERIFY(Frame().GetAction(Cmd::kGuides)->isChecked());
        QTest::mouseMove(View(), q);
        QVERIFY(guidedAt(q));
        QTest::mouseMove(View(), p);
        QVERIFY(guidedAt(p));
        QVERIFY(!guidedAt(q));
        // Outside the plot: none.
        QTest::mouseMove(View(), QPoint(2, 2));
        QVERIFY(!guidedAt(p));
        QTest::mouseMove(View(), p);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(View(), &leave);
        QVERIFY(!guidedAt(p));
        // Back in: the first move draws nothing, the second does.
        QTest::mouseMove(View(), q);
        QVERIFY(!guidedAt(q));
        QTest::mouseMove(View(), p);
        QVERIFY(guidedAt(p));
        // Switched off: the next move takes them away.
        Frame().GetAction(Cmd::kGuides)->trigger();
        QTest::mouseMove(View(), q);
        QVERIFY(!guidedAt(p));
        QVERIFY(!guidedAt(q));
        QVERIFY(View()->grab().toImage() == bare);
    }

    void statesWithoutAChart()
    {
        QCOMPARE(BarTitles(Frame()), QStringList({"&Plik", "&Widok", "Pomo&c"}));
        for (int command : {Cmd::kModePoint, Cmd::kModePan, Cmd::kModeZoom, Cmd::kGuides,
                            Cmd::kToggleTable, Cmd::kClient, Cmd::kFileSave, Cmd::kZoomIn}) {
            QVERIFY2(!Frame().GetAction(command)->isEnabled(), qPrintable(QString::number(command)));
            QVERIFY(!Frame().GetAction(command)->isChecked());
        }
        QVERIFY(Frame().GetAction(Cmd::kServer)->isEnabled());
        QVERIFY(Frame().GetAction(Cmd::kFileNew)->isEnabled());
        QMenu* file = BarMenu(Frame(), Utf8("&Plik"));
        QAction* placeholder = MenuItem(file, QStringLiteral("Recent File"));
        QVERIFY(placeholder != nullptr);
        QVERIFY(!placeholder->isEnabled());
    }

    void mouseModeAndCursors()
    {
        // Without a chart the mode buttons cannot be pressed.
        Frame().GetAction(Cmd::kModePan)->trigger();
        NewChartWithFunction();
        QVERIFY(Frame().GetAction(Cmd::kModePoint)->isChecked());
        QVERIFY(!Frame().GetAction(Cmd::kModePan)->isChecked());
        QCOMPARE(View()->cursor().shape(), Qt::ArrowCursor);
        // One mode for every chart window, one cursor for every graph.
        Frame().GetAction(Cmd::kFileNew)->trigger();
        Frame().GetAction(Cmd::kModeZoom)->trigger();
        for (CChildFrame* frame : Frame().GetFrames())
            QCOMPARE(frame->GetGraphView()->cursor().shape(), Qt::CrossCursor);
        // Both survive closing every chart.
        for (const auto& document : Frame().GetDocManager().GetDocuments())
            document->SetModifiedFlag(false);
        Frame().GetAction(Cmd::kCloseAll)->trigger();
        QVERIFY(Frame().GetFrames().empty());
        NewChartWithFunction();
        QVERIFY(Frame().GetAction(Cmd::kModeZoom)->isChecked());
        QCOMPARE(View()->cursor().shape(), Qt::CrossCursor);
        Frame().GetAction(Cmd::kModePan)->trigger();
        QCOMPARE(View()->cursor().shape(), Qt::SizeAllCursor);
    }

    void mouseModesAreOneRadioGroup_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("pointing") << int(Cmd::kModePoint);
        QTest::newRow("panning") << int(Cmd::kModePan);
        QTest::newRow("zooming") << int(Cmd::kModeZoom);
    }

    void mouseModesAreOneRadioGroup()
    {
        QFETCH(int, mode);
        NewChartWithFunction();
        QAction* chosen = Frame().GetAction(mode);
        QActionGroup* group = chosen->actionGroup();
        QVERIFY(group != nullptr);
        QVERIFY(group->isExclusive()); // the menu draws its items as radio items
        QCOMPARE(group->actions().size(), 3);
        // Pressed on the toolbar, the mode's button alone stays down, and
        // pressing it again leaves it down.
        auto* bar = Frame().findChild<QToolBar*>();
        QVERIFY(bar != nullptr);
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(chosen));
        QVERIFY(button != nullptr);
        for (int i = 0; i < 2; ++i) {
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(group->checkedAction(), chosen);
            QCOMPARE(Frame().GetMouseMode(), mode);
            for (QAction* other : group->actions())
                QCOMPARE(other->isChecked(), other == chosen);
        }
        // The menu holds the same three actions.
        QMenu* chart = BarMenu(Frame(), Utf8("W&ykres"));
        QVERIFY(chart != nullptr);
        for (QAction* action : group->actions())
            QVERIFY(chart->actions().contains(action));
    }

    void tableWidthSurvivesSaveAndLoad()
    {
        NewChartWithFunction();
        CChildFrame* frame = Frame().GetActiveFrame();
        QVERIFY(!frame->GetTableView()->isVisible());
        QVERIFY(!Frame().GetAction(Cmd::kSplitBar)->isEnabled());
        Frame().GetAction(Cmd::kToggleTable)->trigger();
        QVERIFY(frame->GetTableView()->isVisible());
        QVERIFY(Frame().GetAction(Cmd::kToggleTable)->isChecked());
        // Shown, the table holds the chart's values: "x" and sin(x).
        QCOMPARE(frame->GetTableView()->model()->columnCount(), 2);
        QVERIFY(frame->GetTableView()->model()->rowCount() > 0);
        QVERIFY(Frame().GetAction(Cmd::kSplitBar)->isEnabled());
        QCOMPARE(frame->GetTableWidth(), 153);

        // The split line moved with the keys.
        Frame().GetAction(Cmd::kSplitBar)->trigger();
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : View(), Qt::Key_Right);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : View(), Qt::Key_Return);
        QCOMPARE(frame->GetTableWidth(), 193);

        const QString path = Path("table.osw");
        WhenModal([&](QWidget* modal) { AnswerSaveDialog(modal, path); });
        Frame().GetAction(Cmd::kFileSaveAs)->trigger();
        QVERIFY(QFile::exists(path));
        Frame().GetAction(Cmd::kFileClose)->trigger();
        QVERIFY(Frame().GetActiveFrame() == nullptr);

        QVERIFY(Frame().GetDocManager().OpenDocumentFile(path) != nullptr);
        frame = Frame().GetActiveFrame();
        QVERIFY(frame->GetTableView()->isVisible());
        QCOMPARE(frame->GetTableWidth(), 193);
        Frame().GetAction(Cmd::kToggleTable)->trigger();
        QVERIFY(!frame->GetTableView()->isVisible());
        QTRY_COMPARE(View()->width(), frame->width());
        Frame().GetAction(Cmd::kToggleTable)->trigger();
        QCOMPARE(frame->GetTableWidth(), 193);
    }

    // Regression: dragged to the right edge, the graph vanished, and was saved
    // and reopened so.
    void neitherPaneCanBeLostAtTheEdge()
    {
        NewChartWithFunction();
        if (!Chart().IsTableVisible())
            Frame().GetAction(Cmd::kToggleTable)->trigger();
        auto* splitter = Frame().GetActiveFrame()->findChild<QSplitter*>();
        QWidget* table = Frame().GetActiveFrame()->GetTableView();
        QSplitterHandle* handle = splitter->handle(1);
        // Dragged against the window's left edge, the table stays in sight.
        const QPoint grip(handle->width() / 2, handle->height() / 2);
        QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, grip);
        QTest::mouseMove(handle, grip - QPoint(handle->mapTo(splitter, grip).x() + 50, 0));
        QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, grip - QPoint(handle->mapTo(splitter, grip).x() + 50, 0));
        QVERIFY2(table->isVisible() && table->width() >= 20, qPrintable(QString::number(table->width())));
        // Against the right edge, the graph does.
        QWidget* graph = View();
        const QPoint right = grip + QPoint(splitter->width(), 0);
        QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, grip);
        QTest::mouseMove(handle, right);
        QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, right);
        QVERIFY2(graph->width() >= 20, qPrintable(QString::number(graph->width())));
        QVERIFY(Frame().GetActiveFrame()->GetTableWidth() <= splitter->width() - 20);

        // A file that gives the table no width: shown, the table is at its
        // narrowest; hidden in the file and then shown, it is as wide as in
        // a new chart.
        FunctionContainer chart;
        chart.SetTableVisible(true);
        chart.SetTableWidth(0);
        SaveChartFile(chart, Path("shown.osw").toStdString());
        Frame().GetDocManager().OpenDocumentFile(Path("shown.osw"));
        QVERIFY(Frame().GetActiveFrame()->GetTableView()->width() >= 20);
        chart.SetTableVisible(false);
        SaveChartFile(chart, Path("hidden.osw").toStdString());
        Frame().GetDocManager().OpenDocumentFile(Path("hidden.osw"));
        Frame().GetAction(Cmd::kToggleTable)->trigger();
        QCOMPARE(Frame().GetActiveFrame()->GetTableView()->width(), FunctionContainer::kDefaultTableWidth);
        // A file that gives the table the whole window leaves the graph in sight.
        chart.SetTableVisible(true);
        chart.SetTableWidth(100000);
        SaveChartFile(chart, Path("wide.osw").toStdString());
        Frame().GetDocManager().OpenDocumentFile(Path("wide.osw"));
        QVERIFY2(View()->width() >= 20, qPrintable(QString::number(View()->width())));
    }

    void tableYieldsInANarrowWindow_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("narrow");
        QTest::newRow("wide table, tiled window") << 300 << 360;
        QTest::newRow("table wider than the window") << 900 << 500;
    }

    // Tiled, a chart window can be too narrow for its table: the table gives
    // way and the graph keeps a third of the window; the stored width comes
    // back when the window is wide again, and a save writes it meanwhile.
    void tableYieldsInANarrowWindow()
    {
        QFETCH(int, stored);
        QFETCH(int, narrow);
        FunctionContainer chart;
        chart.BeginEdit();
        chart.SetFunction("x", 0, true, 0);
        chart.CommitEdit();
        chart.SetTableVisible(true);
        chart.SetTableWidth(stored);
        const QString path = Path("yield.osw");
        SaveChartFile(chart, path.toStdString());
        QVERIFY(Frame().GetDocManager().OpenDocumentFile(path) != nullptr);
        CChildFrame* frame = Frame().GetActiveFrame();
        QWidget* window = frame->parentWidget();

        window->resize(narrow, 400);
        QTRY_VERIFY(frame->width() <= narrow);
        QVERIFY2(View()->width() >= frame->width() / 3,
                 qPrintable(QString("graph %1 of %2").arg(View()->width()).arg(frame->width())));
        QVERIFY(frame->GetTableView()->width() < stored);
        QCOMPARE(frame->GetTableWidth(), stored);
        Doc().SetModifiedFlag(true);
        QVERIFY(Frame().GetDocManager().OnFileSave(Doc()));
        FunctionContainer saved;
        LoadChartFile(saved, path.toStdString());
        QCOMPARE(saved.GetTableWidth(), stored);

        window->resize(stored * 2 + 200, 400);
        QTRY_COMPARE(frame->GetTableView()->width(), stored);
        QCOMPARE(frame->GetTableWidth(), stored);
    }

    void savingTakesTheChartsOwnTableWidth()
    {
        NewChartWithFunction("x");
        CZeltra20Doc& first = Doc();
        Frame().GetAction(Cmd::kToggleTable)->trigger();
        Frame().GetActiveFrame()->SetTableWidth(120);
        NewChartWithFunction("x^2");
        Frame().GetAction(Cmd::kToggleTable)->trigger();
        Frame().GetActiveFrame()->SetTableWidth(260);
        // The second chart's window is active while the first is saved.
        const QString path = Path("own-width.osw");
        first.SetPathName(path);
        QVERIFY(Frame().GetDocManager().OnFileSave(first));
        FunctionContainer saved;
        LoadChartFile(saved, path.toStdString());
        QCOMPARE(saved.GetTableWidth(), 120);
        QVERIFY(saved.IsTableVisible());
    }

    void twoWindowsOnOneChart()
    {
        NewChartWithFunction();
        Frame().GetAction(Cmd::kNewWindow)->trigger();
        const std::vector<CChildFrame*> frames = Frame().GetFrames();
        QCOMPARE(frames.size(), std::size_t{2});
        QCOMPARE(frames[0]->parentWidget()->windowTitle(), QStringLiteral("Wykres1:1"));
        QCOMPARE(frames[1]->parentWidget()->windowTitle(), QStringLiteral("Wykres1:2"));
        const QImage before = frames[0]->GetGraphView()->grab().toImage();
        Frame().GetAction(Cmd::kZoomIn)->trigger();
        QVERIFY(frames[0]->GetGraphView()->grab().toImage() != before);
        // Each window reads the pointer through its own plot, whichever drew
        // last.
        frames[0]->parentWidget()->resize(700, 500);
        frames[1]->parentWidget()->resize(420, 320);
        QTest::qWait(50);
        CZeltra20View* first = frames[0]->GetGraphView();
        Frame().GetAction(Cmd::kUndoZoom)->trigger();
        first->grab();
        const RECT firstPlot = Chart().GetPlotRect();
        frames[1]->GetGraphView()->grab();
        QVERIFY(Chart().GetPlotRect().right < firstPlot.right);
        const QList<QLabel*> panes = Panes(Frame());
        QTest::mouseMove(first, QPoint(firstPlot.right - 1, (firstPlot.top + firstPlot.bottom) / 2));
        const double x = panes[0]->text().mid(5).toDouble();
        QVERIFY2(x > 4.95 && x <= 5, qPrintable(panes[0]->text()));
        // Closing one of the two asks nothing; the chart stays.
        frames[1]->parentWidget()->close();
        QCOMPARE(Frame().GetFrames().size(), std::size_t{1});
        QCOMPARE(Frame().GetFrames()[0]->parentWidget()->windowTitle(), QStringLiteral("Wykres1"));
        QVERIFY(Doc().IsModified());
    }

    void closeAsksAboutChanges_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("saved");
        QTest::newRow("yes") << int(QMessageBox::Yes) << true << true;
        QTest::newRow("no") << int(QMessageBox::No) << true << false;
        QTest::newRow("cancel") << int(QMessageBox::Cancel) << false << false;
    }

    void closeAsksAboutChanges()
    {
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QFETCH(bool, saved);
        NewChartWithFunction();
        Frame().GetAction(Cmd::kZoomIn)->trigger();
        const QString path = Path("asked.osw");
        QFile::remove(path);
        QString question;
        WhenModal([&](QWidget* modal) {
            if (answer == QMessageBox::Yes)
                WhenModal([&](QWidget* dialog) { AnswerSaveDialog(dialog, path); });
            AnswerMessage(modal, QMessageBox::StandardButton(answer), &question);
        });
        Frame().GetAction(Cmd::kFileClose)->trigger();
        QCOMPARE(question, Utf8("Zapisać zmiany w Wykres1?"));
        QCOMPARE(Frame().GetActiveFrame() == nullptr, closed);
        QCOMPARE(QFile::exists(path), saved);
        if (!saved)
            return;
        // Reopened from the recent-file list.
        QAction* recent = MenuItem(BarMenu(Frame(), Utf8("&Plik")), QStringLiteral("&1 ") + path);
        QVERIFY(recent != nullptr);
        recent->trigger();
        QCOMPARE(Frame().GetActiveFrame()->parentWidget()->windowTitle(), QStringLiteral("asked.osw"));
        QCOMPARE(Chart().GetSettings().m_xMin, -2.5);
        QVERIFY(!Doc().IsModified());
        QCOMPARE(QSettings().value("Recent File List/File1").toString(), path);
    }

    // Regression: "zadanie 3.2" was saved without ".osw", where "Otwórz" does
    // not list it, and a name typed without it was checked for replacing
    // before the extension was added.
    void saveAsPutsTheExtensionOnEveryName()
    {
        NewChartWithFunction();
        WhenModal([&](QWidget* modal) { AnswerSaveDialog(modal, Path("zadanie 3.2")); });
        Frame().GetAction(Cmd::kFileSaveAs)->trigger();
        QVERIFY(QFile::exists(Path("zadanie 3.2.osw")));
        QVERIFY(!QFile::exists(Path("zadanie 3.2")));
        QCOMPARE(Frame().GetActiveFrame()->parentWidget()->windowTitle(), QStringLiteral("zadanie 3.2.osw"));

        const QString kept = Path("kept.osw");
        {
            QFile file(kept);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("old chart");
        }
        QString question;
        WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog != nullptr);
            WhenModal([&](QWidget* box) { AnswerMessage(box, QMessageBox::No, &question); });
            dialog->selectFile(Path("kept"));
            static_cast<QDialog*>(dialog)->accept(); // returns once the question is answered
            dialog->reject();
        });
        Frame().GetAction(Cmd::kFileSaveAs)->trigger();
        QVERIFY2(question.contains(QStringLiteral("kept.osw")), qPrintable(question));
        QFile file(kept);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("old chart"));
    }

    // Regression: "&" in a file name became the recent item's key, and a
    // very long name made the menu as wide as the screen.
    void recentFilesShowTheirNamesWithinTheMenu()
    {
        FunctionContainer chart;
        const QString ampersand = m_dir.filePath(QStringLiteral("Ania & Ola.osw"));
        const QString longName = m_dir.filePath(QString(200, QLatin1Char('w')) + QStringLiteral("x.osw"));
        for (const QString& path : {longName, ampersand}) {
            SaveChartFile(chart, QFile::encodeName(path).toStdString());
            QVERIFY(Frame().GetDocManager().OpenDocumentFile(path) != nullptr);
        }
        QMenu* file = BarMenu(Frame(), Utf8("&Plik"));
        emit file->aboutToShow();
        QStringList texts;
        for (QAction* action : file->actions()) {
            if (action->statusTip() == ampersand || action->statusTip() == longName)
                texts << action->text();
        }
        QCOMPARE(texts.size(), 2);
        QVERIFY2(texts[0].startsWith(QStringLiteral("&1 ")) && texts[0].endsWith(QStringLiteral("Ania && Ola.osw")),
                 qPrintable(texts[0]));
        QVERIFY2(texts[1].startsWith(QStringLiteral("&2 .../wwww")) && texts[1].endsWith(QStringLiteral("wwwx.osw")) &&
                     texts[1].size() <= 53,
                 qPrintable(texts[1]));
    }

    // Regression: confirmed with Enter in the name field, "zadanie 4.2" was
    // saved without ".osw" (only a click on the button added it).
    void saveAsByEnterPutsTheExtension()
    {
        NewChartWithFunction();
        WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog != nullptr);
            dialog->setDirectory(m_dir.path());
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name != nullptr);
            // Typed and confirmed with Enter: the name field has the keyboard.
            QApplication::setActiveWindow(dialog);
            name->setFocus();
            QVERIFY(name->hasFocus());
            name->setText(QStringLiteral("zadanie 4.2"));
            QTest::keyClick(name, Qt::Key_Return);
        });
        Frame().GetAction(Cmd::kFileSaveAs)->trigger();
        QVERIFY(QFile::exists(Path("zadanie 4.2.osw")));
        QVERIFY(!QFile::exists(Path("zadanie 4.2")));
    }

    // Regression: an absolute path into a folder that does not exist was
    // named in the message as if typed relative to the dialog's folder.
    void saveAsIntoAMissingFolderNamesTheTypedPath()
    {
        NewChartWithFunction();
        Frame().GetAction(Cmd::kZoomIn)->trigger();
        QDir(m_dir.path()).mkdir("current");
        const QString typed = QDir::tempPath() + "/osiowiec-missing-" +
                              QString::number(QCoreApplication::applicationPid()) + "/deeper/chart";
        QString message;
        WhenModal([&](QWidget* modal) {
            WhenModal([&](QWidget* box) { AnswerMessage(box, QMessageBox::Ok, &message); });
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog != nullptr);
            dialog->setDirectory(Path("current"));
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name != nullptr);
            QApplication::setActiveWindow(dialog);
            name->setFocus();
            name->setText(typed);
            QTest::keyClick(name, Qt::Key_Return);
        });
        Frame().GetAction(Cmd::kFileSaveAs)->trigger();
        QCOMPARE(message,
                 Utf8("Nie udało się zapisać pliku '%1': folder nie istnieje").arg(typed + ".osw"));
        QVERIFY(Doc().IsModified());
    }

    void chartsNamedAtStartOpenWithTheLastInFront()
    {
        FunctionContainer chart;
        SaveChartFile(chart, Path("first.osw").toStdString());
        SaveChartFile(chart, Path("last.osw").toStdString());
        m_frame->hide();
        CZeltra20App app;
        QString message;
        WhenModal([&](QWidget* modal) { AnswerMessage(modal, QMessageBox::Ok, &message); });
        QVERIFY(app.InitInstance({Path("first.osw"), Path("missing.osw"), Path("last.osw")}));
        CMainFrame& frame = *app.GetMainWnd();
        QVERIFY(!message.isEmpty());
        QCOMPARE(frame.GetFrames().size(), std::size_t{2});
        QCOMPARE(frame.windowTitle(), QStringLiteral("Osiowiec - last.osw"));
        // The keys go to the chart in front.
        QVERIFY(frame.GetActiveFrame()->isAncestorOf(frame.focusWidget()));
    }

    void fileDialogNeverReadsAFileToNameItsType()
    {
        // Files of /proc may never end: reading one to tell its type froze
        // the program for good when the user typed "/proc/" in "Zapisz jako".
        NewChartWithFunction();
        std::atomic<bool> done{false};
        std::thread watchdog([&done] {
            for (int i = 0; i < 400 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!done) {
                std::fprintf(stderr, "the file dialog is blocked reading a file\n");
                std::_Exit(1);
            }
        });
        bool seen = false;
        WhenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (dialog == nullptr)
                return;
            seen = true;
            const QFileInfo kmsg(QStringLiteral("/proc/kmsg"));
            dialog->iconProvider()->type(kmsg);
            dialog->iconProvider()->icon(kmsg);
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (name != nullptr) {
                name->clear();
                QTest::keyClicks(name, QStringLiteral("/proc/k"));
                QTest::qWait(500);
            }
            dialog->reject();
        });
        Frame().GetAction(Cmd::kFileSaveAs)->trigger();
        done = true;
        watchdog.join();
        QVERIFY(seen);
        QVERIFY(!Doc().IsModified());
    }

    void refusedFilesLeaveNoWindow_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("pipe");
        QTest::newRow("damaged") << QByteArray("not a chart at all") << Utf8("'%1' nie jest plikiem programu Osiowiec") << false;
        QTest::newRow("cut off") << QByteArray("\x0aZELTRA 2.0\x01\x00", 13) << Utf8("Nie udało się odcztać pliku '%1'") << false;
        QTest::newRow("missing") << QByteArray() << Utf8("Nie udało się odcztać pliku '%1'") << false;
        // Regression: opening a FIFO waited for a writer, and the program froze.
        QTest::newRow("fifo") << QByteArray() << Utf8("Nie udało się odcztać pliku '%1'") << true;
    }

    void refusedFilesLeaveNoWindow()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, format);
        QFETCH(bool, pipe);
        const QString path = Path(QTest::currentDataTag());
        if (pipe)
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        if (!bytes.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        QString message;
        WhenModal([&](QWidget* modal) { AnswerMessage(modal, QMessageBox::Ok, &message); });
        QVERIFY(Frame().GetDocManager().OpenDocumentFile(path) == nullptr);
        QCOMPARE(message, format.arg(path));
        QVERIFY(Frame().GetFrames().empty());
        QVERIFY(Frame().GetDocManager().GetDocuments().empty());
    }

    void failedSaveKeepsTheChartModified()
    {
        NewChartWithFunction();
        Frame().GetAction(Cmd::kZoomIn)->trigger();
        QDir(m_dir.path()).mkdir("readonly");
        const QString folder = Path("readonly");
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        // Permissions do not stop root: a folder that is a file stops anyone.
        QString path = folder + "/chart.osw";
        // The message says why, in the program's Polish.
        QString reason = Utf8("brak uprawnień");
        if (geteuid() == 0) {
            QFile blocker(Path("plainfile"));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            path = Path("plainfile") + "/chart.osw";
            reason = Utf8("folder nie istnieje");
        }
        QString message;
        WhenModal([&](QWidget* modal) {
            WhenModal([&](QWidget* box) { AnswerMessage(box, QMessageBox::Ok, &message); });
            AnswerSaveDialog(modal, path);
        });
        Frame().GetAction(Cmd::kFileSave)->trigger();
        QCOMPARE(message, Utf8("Nie udało się zapisać pliku '%1': %2").arg(path, reason));
        QVERIFY(Doc().IsModified());
        QVERIFY(Frame().GetAction(Cmd::kFileSave)->isEnabled());
        QCOMPARE(Frame().GetActiveFrame()->parentWidget()->windowTitle(), QStringLiteral("Wykres1"));
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    // Regression: "Zapisz jako" onto a FIFO waited for a reader, and the
    // program froze.
    void aFifoIsNotSavedTo()
    {
        NewChartWithFunction();
        Frame().GetAction(Cmd::kZoomIn)->trigger();
        const QString path = Path("pipe.osw");
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        QString message;
        WhenModal([&](QWidget* dialog) {
            // The dialog asks before it replaces a file that is there.
            WhenModal([&](QWidget* question) {
                WhenModal([&](QWidget* box) { AnswerMessage(box, QMessageBox::Ok, &message); });
                AnswerMessage(question, QMessageBox::Yes);
            });
            AnswerSaveDialog(dialog, path);
        });
        Frame().GetAction(Cmd::kFileSaveAs)->trigger();
        QCOMPARE(message,
                 Utf8("Nie udało się zapisać pliku '%1': to nie jest zwykły plik").arg(path));
        QVERIFY(Doc().IsModified());
        QCOMPARE(Frame().GetActiveFrame()->parentWidget()->windowTitle(), QStringLiteral("Wykres1"));
    }

    void closeAllAsksAboutEveryChartFirst_data()
    {
        QTest::addColumn<bool>("quit");
        QTest::newRow("Zamknij wszystkie") << false;
        QTest::newRow("Zakończ") << true;
    }

    void closeAllAsksAboutEveryChartFirst()
    {
        QFETCH(bool, quit);
        NewChartWithFunction("x");                 // Wykres1 unchanged
        NewChartWithFunction("x^2");
        Frame().GetAction(Cmd::kZoomIn)->trigger(); // Wykres2 unsaved
        NewChartWithFunction("x^3");
        Frame().GetAction(Cmd::kZoomIn)->trigger(); // Wykres3 unsaved
        QAction* closeAll = MenuItem(BarMenu(Frame(), Utf8("&Okno")), Utf8("Zamknij &wszystkie"));
        QVERIFY(closeAll != nullptr && closeAll->isEnabled());
        auto close = [&] {
            if (quit)
                Frame().close();
            else
                closeAll->trigger();
        };

        // "Nie" for the first, "Anuluj" for the second: nothing has closed,
        // the first keeps its changes too.
        QStringList asked;
        AnswerQuestions({QMessageBox::No, QMessageBox::Cancel}, asked);
        close();
        QCOMPARE(asked, QStringList({Utf8("Zapisać zmiany w Wykres2?"), Utf8("Zapisać zmiany w Wykres3?")}));
        QCOMPARE(Frame().GetFrames().size(), std::size_t{3});
        QVERIFY(Frame().isVisible());
        QVERIFY(Frame().GetFrames()[1]->GetDocument().IsModified());
        // The question stands in front of the chart it is about.
        QCOMPARE(Frame().GetActiveFrame(), Frame().GetFrames()[2]);

        asked.clear();
        AnswerQuestions({QMessageBox::No, QMessageBox::No}, asked);
        close();
        QCOMPARE(asked.size(), 2);
        QVERIFY(Frame().GetFrames().empty());
        QCOMPARE(Frame().isVisible(), !quit);
        if (!quit)
            QCOMPARE(BarTitles(Frame()), QStringList({"&Plik", "&Widok", "Pomo&c"}));
    }

    void printPreviewAndPrinting()
    {
        NewChartWithFunction();
        int pages = 0;
        WhenModal([&](QWidget* modal) {
            auto* preview = modal->findChild<QPrintPreviewWidget*>();
            if (preview != nullptr) {
                preview->updatePreview();
                pages = preview->pageCount();
            }
            modal->close();
        });
        Frame().GetAction(Cmd::kFilePrintPreview)->trigger();
        QCOMPARE(pages, 1);

        // Printed to a file, as the print dialog offers on a machine without
        // printers.
        const QString pdf = Path("printed.pdf");
        Frame().GetPrinter().setOutputFileName(pdf);
        bool asked = false;
        WhenModal([&](QWidget* modal) {
            asked = qobject_cast<QPrintDialog*>(modal) != nullptr;
            static_cast<QDialog*>(modal)->accept();
        });
        const RECT screenPlot = Chart().GetPlotRect();
        Frame().GetAction(Cmd::kFilePrint)->trigger();
        QVERIFY(asked);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(5) == "%PDF-");
        QVERIFY(file.size() > 1000);
        // The mouse still maps through the screen's plot rectangle.
        QCOMPARE(Chart().GetPlotRect().right, screenPlot.right);
    }
};

QTEST_MAIN(MainFrameTest)
#include "mainframe_test.moc"
