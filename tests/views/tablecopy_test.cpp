#include "views/tableview.h"

#include "document/zeltra20doc.h"
#include "framework/qtstring.h"

#include <QClipboard>
#include <QHeaderView>
#include <QMimeData>
#include <QtTest>

namespace {

// Clicks the row's first cell with the modifiers.
void ClickRow(CZeltra20TableView& view, int row, Qt::KeyboardModifiers modifiers = {})
{
    const QRect cell = view.visualRect(view.model()->index(row, 0));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers, cell.center());
}

} // namespace

class TableCopyTest : public QObject
{
    Q_OBJECT

private slots:
    void copiesAsShown_data();
    void copiesAsShown();
    void movedColumnsCopyAsTheyStand();

private:
    void Build(CZeltra20Doc& doc, const QStringList& formulas);
};

void TableCopyTest::Build(CZeltra20Doc& doc, const QStringList& formulas)
{
    FunctionContainer& chart = doc.GetChart();
    chart.BeginEdit();
    for (const QString& formula : formulas) {
        chart.SetCurrent(-1);
        chart.SetFunction(ToCp1250(formula), 0, true, 0);
    }
    chart.SetTable(false, false, "-1", "1", "0.5", RGB(0, 0, 0), RGB(255, 255, 255));
    chart.CommitEdit();
    chart.SetTableVisible(true);
}

void TableCopyTest::copiesAsShown_data()
{
    QTest::addColumn<QStringList>("formulas");
    QTest::addColumn<QString>("clicks"); // row numbers, "s" Shift, "c" Ctrl, "a" Ctrl+A
    QTest::addColumn<QString>("tabs");
    QTest::addColumn<QString>("csv");

    const QStringList two = {"x^2", "log(x,2)"};
    QTest::newRow("nothing selected: the whole table")
        << two << ""
        << "x\tx^2\tlog(x,2)\n-1\t1\t\n-0.5\t0.25\t\n0\t0\t\n0.5\t0.25\t-1\n1\t1\t0\n"
        << "x,x^2,\"log(x,2)\"\n-1,1,\n-0.5,0.25,\n0,0,\n0.5,0.25,-1\n1,1,0\n";
    QTest::newRow("one row") << two << "3" << "x\tx^2\tlog(x,2)\n0.5\t0.25\t-1\n"
                             << "x,x^2,\"log(x,2)\"\n0.5,0.25,-1\n";
    QTest::newRow("shift: a range") << two << "1 s3"
                                    << "x\tx^2\tlog(x,2)\n-0.5\t0.25\t\n0\t0\t\n0.5\t0.25\t-1\n"
                                    << "x,x^2,\"log(x,2)\"\n-0.5,0.25,\n0,0,\n0.5,0.25,-1\n";
    QTest::newRow("ctrl: rows apart, in table order")
        << two << "4 c0" << "x\tx^2\tlog(x,2)\n-1\t1\t\n1\t1\t0\n"
        << "x,x^2,\"log(x,2)\"\n-1,1,\n1,1,0\n";
    QTest::newRow("ctrl+a: all") << QStringList{"x"} << "2 a"
                                 << "x\tx\n-1\t-1\n-0.5\t-0.5\n0\t0\n0.5\t0.5\n1\t1\n"
                                 << "x,x\n-1,-1\n-0.5,-0.5\n0,0\n0.5,0.5\n1,1\n";
    QTest::newRow("no functions: nothing") << QStringList{} << "" << "" << "";
}

void TableCopyTest::copiesAsShown()
{
    QFETCH(QStringList, formulas);
    QFETCH(QString, clicks);
    QFETCH(QString, tabs);
    QFETCH(QString, csv);

    CZeltra20Doc doc;
    Build(doc, formulas);
    CZeltra20TableView view(doc);
    view.resize(400, 300);
    view.show();
    view.OnInitialUpdate();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    for (const QString& click : clicks.split(' ', Qt::SkipEmptyParts)) {
        if (click == "a")
            QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
        else if (click.startsWith('s'))
            ClickRow(view, click.mid(1).toInt(), Qt::ShiftModifier);
        else if (click.startsWith('c'))
            ClickRow(view, click.mid(1).toInt(), Qt::ControlModifier);
        else
            ClickRow(view, click.toInt());
    }
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data != nullptr);
    QCOMPARE(data->text(), tabs);
    QCOMPARE(QString::fromUtf8(data->data("text/csv")), csv);
}

void TableCopyTest::movedColumnsCopyAsTheyStand()
{
    CZeltra20Doc doc;
    Build(doc, {"x^2", "2x"});
    CZeltra20TableView view(doc);
    view.resize(400, 300);
    view.show();
    view.OnInitialUpdate();
    view.horizontalHeader()->moveSection(2, 0);
    ClickRow(view, 4);
    view.CopyToClipboard();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("2x\tx\tx^2\n2\t1\t1\n"));
}

QTEST_MAIN(TableCopyTest)
#include "tablecopy_test.moc"
