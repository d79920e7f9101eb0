#include "views/tableview.h"

#include "chart/chartmath.h"
#include "document/zeltra20doc.h"
#include "framework/commandids.h"
#include "framework/qtstring.h"

#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

namespace {

// One function as "FORMULA[;ORDER[;hidden]]".
void AddFunction(FunctionContainer& chart, const QString& description)
{
    const QStringList parts = description.split(';');
    chart.SetCurrent(-1);
    chart.SetFunction(ToCp1250(parts[0]), parts.size() > 1 ? parts[1].toInt() : 0,
                      parts.size() < 3 || parts[2] != "hidden", chart.GetColor());
}

// A chart with the given functions and a table of its own range, shown.
void BuildChart(CZeltra20Doc& doc, const QStringList& functions, const char* min = "-1",
                const char* max = "1", const char* step = "0.1")
{
    FunctionContainer& chart = doc.GetChart();
    chart.BeginEdit();
    for (const QString& description : functions)
        AddFunction(chart, description);
    chart.SetTable(false, false, min, max, step, RGB(0, 0, 0), RGB(255, 255, 255));
    chart.CommitEdit();
    chart.SetTableVisible(true);
}

// The headers as the user sees them, left to right.
QStringList Headers(const QTableView& view)
{
    QStringList headers;
    const QHeaderView* header = view.horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual)
        headers
            << view.model()->headerData(header->logicalIndex(visual), Qt::Horizontal).toString();
    return headers;
}

QString Cell(const QTableView& view, int row, int column)
{
    return view.model()->index(row, column).data().toString();
}

QString G(double v)
{
    return QString::fromStdString(FormatG(v));
}

// Shows the view as the chart window does: its initial update, then on screen.
bool Show(CZeltra20TableView& view, int width = 300, int height = 200)
{
    view.resize(width, height);
    view.show();
    view.OnInitialUpdate();
    return QTest::qWaitForWindowExposed(&view);
}

} // namespace

class TableViewTest : public QObject
{
    Q_OBJECT

private slots:
    void columns_data();
    void columns();
    void indexedArguments();
    void failedValuesAreEmpty();
    void ownRangeIsComputedOnlyWhenShownAndChanged();
    void rebuildsOnlyWhenShownAndAsked();
    void uncommittedEditIsNotShown();
    void rebuildRestoresLayout();
    void initialUpdateAsksForWidth();
    void rowSelection();
    void colours();
    void contextMenu();
    void longTable();
    void roundingLeftOfZeroReadsZero_data();
    void roundingLeftOfZeroReadsZero();
};

void TableViewTest::columns_data()
{
    QTest::addColumn<QStringList>("functions");
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<int>("rows");

    QTest::newRow("no functions: no columns, not even x") << QStringList() << QStringList() << 0;
    QTest::newRow("none visible: x alone, no rows")
        << QStringList{"sin(x);0;hidden", "x;0;hidden"} << QStringList{"x"} << 0;
    QTest::newRow("hidden function takes no column")
        << QStringList{"sin(x)", "cos(x);0;hidden", "x^2"} << QStringList{"x", "sin(x)", "x^2"}
        << 21;
    QTest::newRow("derivatives in parentheses with apostrophes")
        << QStringList{"x^3;1", "x^3;2"} << QStringList{"x", "(x^3)'", "(x^3)''"} << 21;
    QTest::newRow("Polish letters")
        << QStringList{u"potęga(x,2)"_qs} << QStringList{"x", u"potęga(x,2)"_qs} << 21;
}

void TableViewTest::columns()
{
    QFETCH(QStringList, functions);
    QFETCH(QStringList, headers);
    QFETCH(int, rows);

    CZeltra20Doc doc;
    BuildChart(doc, functions, "-1", "1.05", "0.1");
    CZeltra20TableView view(doc);
    view.OnInitialUpdate();

    QCOMPARE(Headers(view), headers);
    QCOMPARE(view.model()->rowCount(), rows);
    for (int column = 0; column < headers.size(); ++column)
        QCOMPARE(view.columnWidth(column), view.ColumnWidth());
}

void TableViewTest::indexedArguments()
{
    // The x of row k is x0 + k*h, the argument its values were computed at:
    // from -1 by 0.1 the row of 0 reads 0 (a running sum missed it and read
    // -1.38778e-16).
    for (const char* min : {"0", "-1"}) {
        CZeltra20Doc doc;
        BuildChart(doc, {"x"}, min, "1.05", "0.1");
        CZeltra20TableView view(doc);
        view.OnInitialUpdate();
        for (int row = 0; row < view.model()->rowCount(); ++row) {
            QCOMPARE(Cell(view, row, 0), G(std::atof(min) + row * 0.1));
            // f(x) = x was computed at the very arguments shown.
            QCOMPARE(Cell(view, row, 1), Cell(view, row, 0));
        }
        QCOMPARE(Cell(view, 10, 0), min[0] == '0' ? "1" : "0");
    }
}

// A table of its own range costs a pan nothing: its values are computed
// when the pane shows them and what they show has changed.
void TableViewTest::ownRangeIsComputedOnlyWhenShownAndChanged()
{
    CZeltra20Doc doc;
    BuildChart(doc, {"x^2"}, "0", "1000", "0.5");
    FunctionContainer& chart = doc.GetChart();
    chart.SetTableVisible(false);
    CZeltra20TableView view(doc);
    view.OnInitialUpdate();
    QCOMPARE(chart.GetTableRowCount(), std::size_t{0}); // hidden: nothing computed

    chart.SetTableVisible(true);
    view.OnUpdate(nullptr, 0);
    QCOMPARE(view.model()->rowCount(), 2001);
    QCOMPARE(Cell(view, 3, 1), QStringLiteral("2.25"));
    QCOMPARE(chart.GetTableComputations(), std::size_t{1});

    chart.SetPlotRect({0, 0, 640, 480});
    chart.Pan(17, 5);
    chart.ZoomAbout(2);
    view.OnUpdate(nullptr, 0);
    QCOMPARE(chart.GetTableComputations(), std::size_t{1}); // not computed again

    chart.BeginEdit();
    chart.SetCurrent(0);
    chart.SetFunction("x^3", 0, true, 0);
    chart.CommitEdit();
    view.OnUpdate(nullptr, 0);
    QCOMPARE(Cell(view, 3, 1), QStringLiteral("3.375"));
    QCOMPARE(chart.GetTableComputations(), std::size_t{2});
}

void TableViewTest::failedValuesAreEmpty()
{
    // Both a table of its own range and one that shows the chart's samples.
    for (bool sync : {false, true}) {
        CZeltra20Doc doc;
        BuildChart(doc, {"sqrt(x)", "x", "2^64"}, "-5", "5.05", "1");
        FunctionContainer& chart = doc.GetChart();
        chart.BeginEdit();
        chart.SetTable(sync, sync, "-5", "5.05", "1", RGB(0, 0, 0), RGB(255, 255, 255));
        chart.SetComputation(10, false, true);
        chart.CommitEdit();
        CZeltra20TableView view(doc);
        view.OnInitialUpdate();

        QCOMPARE(view.model()->rowCount(), 11);
        QCOMPARE(Cell(view, 0, 0), "-5");
        QCOMPARE(Cell(view, 0, 1), "");
        QCOMPARE(Cell(view, 0, 2), "-5");
        QCOMPARE(Cell(view, 9, 1), G(std::sqrt(4.0)));
        // A computed value equal to the failure marker is a value.
        QCOMPARE(Cell(view, 0, 3), "1.84467e+19");
    }
}

void TableViewTest::rebuildsOnlyWhenShownAndAsked()
{
    CZeltra20Doc doc;
    BuildChart(doc, {"sin(x)"});
    FunctionContainer& chart = doc.GetChart();
    chart.SetTableVisible(false);
    CZeltra20TableView view(doc);
    view.OnInitialUpdate();
    QCOMPARE(Headers(view), QStringList());

    doc.OnToggleTable(); // shown: the toggle's update rebuilds
    QCOMPARE(Headers(view), (QStringList{"x", "sin(x)"}));

    auto addAndBroadcast = [&](const char* formula, int hint) {
        chart.BeginEdit();
        AddFunction(chart, formula);
        chart.CommitEdit();
        doc.UpdateAllViews(nullptr, hint);
    };
    addAndBroadcast("cos(x)", UpdateHint::kKeepTable);
    addAndBroadcast("tan(x)", UpdateHint::kKeepTable | UpdateHint::kNoSend);
    QCOMPARE(Headers(view), (QStringList{"x", "sin(x)"}));
    addAndBroadcast("exp(x)", UpdateHint::kNoSend);
    QCOMPARE(Headers(view), (QStringList{"x", "sin(x)", "cos(x)", "tan(x)", "exp(x)"}));

    doc.OnToggleTable(); // hidden: a full update leaves the table alone
    addAndBroadcast("ln(x)", 0);
    QCOMPARE(Headers(view).size(), 5);
    doc.OnToggleTable();
    QCOMPARE(Headers(view).size(), 6);
}

void TableViewTest::uncommittedEditIsNotShown()
{
    CZeltra20Doc doc;
    BuildChart(doc, {"x;0;hidden", "x^2"});
    FunctionContainer& chart = doc.GetChart();
    chart.BeginEdit();
    chart.SetCurrent(0);
    chart.SetFunction("x+1", 0, true, 0);
    chart.SetCurrent(1);
    chart.SetFunction("x^3", 0, true, 0);
    for (int i = 0; i < 3; ++i)
        AddFunction(chart, "sin(x)");

    CZeltra20TableView view(doc);
    QVERIFY(Show(view, 600, 300));
    QCOMPARE(Headers(view), (QStringList{"x", "x^2"}));
    QCOMPARE(Cell(view, 20, 1), "1");
    view.grab(); // paints every column shown: nothing reads past the values
    chart.CancelEdit();
}

void TableViewTest::rebuildRestoresLayout()
{
    CZeltra20Doc doc;
    BuildChart(doc, {"sin(x)", "cos(x)"}, "0", "1000", "0.1");
    CZeltra20TableView view(doc);
    QVERIFY(Show(view));

    QHeaderView* header = view.horizontalHeader();
    QVERIFY(header->sectionsMovable());
    header->moveSection(2, 1);
    header->resizeSection(0, 120);
    view.scrollToBottom();
    QCOMPARE(Headers(view), (QStringList{"x", "cos(x)", "sin(x)"}));

    doc.UpdateAllViews(nullptr, 0);
    QCOMPARE(Headers(view), (QStringList{"x", "sin(x)", "cos(x)"}));
    QCOMPARE(view.columnWidth(0), view.ColumnWidth());
    QCOMPARE(view.rowAt(0), 0);
}

void TableViewTest::initialUpdateAsksForWidth()
{
    CZeltra20Doc doc;
    doc.GetChart().SetTableWidth(211);
    CZeltra20TableView view(doc);
    QSignalSpy spy(&view, &CZeltra20TableView::tableWidthRequested);
    view.OnInitialUpdate();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 211);
    doc.UpdateAllViews(nullptr, 0);
    QCOMPARE(spy.count(), 1);
}

void TableViewTest::rowSelection()
{
    CZeltra20Doc doc;
    BuildChart(doc, {"sin(x)", "cos(x)"});
    CZeltra20TableView view(doc);
    QVERIFY(Show(view, 300, 400));

    auto selectedRows = [&] {
        QList<int> rows;
        for (const QModelIndex& index : view.selectionModel()->selectedRows())
            rows << index.row();
        return rows;
    };
    const QPoint cell = view.visualRect(view.model()->index(2, 1)).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell);
    QCOMPARE(selectedRows(), QList<int>{2});
    QCOMPARE(view.selectionModel()->selectedIndexes().size(), 3); // the whole row
    // Rows are selected to be copied: Shift takes the rows between.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      view.visualRect(view.model()->index(5, 0)).center());
    QCOMPARE(selectedRows(), QList<int>({2, 3, 4, 5}));
}

void TableViewTest::colours()
{
    CZeltra20Doc doc;
    BuildChart(doc, {"x"});
    FunctionContainer& chart = doc.GetChart();
    chart.BeginEdit();
    chart.SetTable(false, false, "-1", "1", "0.1", RGB(255, 0, 0), RGB(0, 0, 128));
    chart.CommitEdit();
    CZeltra20TableView view(doc);
    QVERIFY(Show(view));

    // Right of the short text "-0.9": background; the text in its colour.
    const QImage image = view.viewport()->grab().toImage();
    const QRect cell = view.visualRect(view.model()->index(1, 0));
    QCOMPARE(image.pixelColor(cell.right() - 4, cell.center().y()), QColor(0, 0, 128));
    int textPixels = 0;
    for (int x = cell.left(); x < cell.center().x(); ++x) {
        for (int y = cell.top(); y < cell.bottom(); ++y)
            textPixels += image.pixelColor(x, y) == QColor(255, 0, 0);
    }
    QVERIFY(textPixels > 0);
}

void TableViewTest::contextMenu()
{
    CZeltra20Doc doc;
    BuildChart(doc, {"x"});
    CZeltra20TableView view(doc);
    QVERIFY(Show(view));

    QMenu menu;
    menu.addAction(u"Po&większ"_qs);
    view.SetContextMenu(&menu);
    QSignalSpy requests(&view, &CZeltra20TableView::contextMenuRequested);
    const QPoint at(40, 30);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, view.viewport()->mapToGlobal(at));
    QApplication::sendEvent(view.viewport(), &event);
    QTRY_VERIFY(menu.isVisible());
    QCOMPARE(menu.pos(), view.viewport()->mapToGlobal(at));
    QCOMPARE(requests.count(), 1);
    QCOMPARE(requests.at(0).at(0).toPoint(), view.viewport()->mapToGlobal(at));
    menu.close();
}

void TableViewTest::longTable()
{
    CZeltra20Doc doc;
    BuildChart(doc, {"sin(x)", "x^2"}, "0", "9999.85", "0.1");
    CZeltra20TableView view(doc);
    QVERIFY(Show(view, 200, 300));

    const int rows = view.model()->rowCount();
    QCOMPARE(rows, 99999);
    view.scrollToBottom();
    QCOMPARE(view.rowAt(view.viewport()->height() - 1), rows - 1);
    double x = 0;
    for (int i = 0; i < rows - 1; ++i)
        x = x + doc.GetChart().GetSettings().m_tableStep;
    QCOMPARE(Cell(view, rows - 1, 0), G(x));
}

void TableViewTest::roundingLeftOfZeroReadsZero_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("tooltip");
    // Rows at -2pi + k * pi/2.
    QTest::newRow("sin(-2pi) is 0 up to rounding") << "sin(x)" << 0 << "0" << "2.4492935982947064e-16";
    QTest::newRow("sin(-3pi/2) is 1") << "sin(x)" << 1 << "1" << "1";
    QTest::newRow("a column of tiny values keeps them") << "1e-20*sin(x)" << 1 << "1e-20" << "1e-20";
    QTest::newRow("tiny beside large is kept above the bound")
        << "sin(x)/1e11" << 1 << "1e-11" << "1e-11";
}

void TableViewTest::roundingLeftOfZeroReadsZero()
{
    QFETCH(QString, formula);
    QFETCH(int, row);
    QFETCH(QString, shown);
    QFETCH(QString, tooltip);
    CZeltra20Doc doc;
    BuildChart(doc, {formula}, "-2pi", "2pi", "pi/2");
    CZeltra20TableView view(doc);
    view.OnInitialUpdate();
    QCOMPARE(Cell(view, row, 1), shown);
    QCOMPARE(view.model()->index(row, 1).data(Qt::ToolTipRole).toString(), tooltip);
}

QTEST_MAIN(TableViewTest)
#include "tableview_test.moc"
