#include "chart/functioncontainer.h"
#include "dialogs/areadlg.h"
#include "framework/valuetext.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cmath>
#include <numbers>

namespace {

void Build(FunctionContainer& chart, std::initializer_list<const char*> formulas)
{
    chart.BeginEdit();
    for (const char* f : formulas) {
        chart.SetCurrent(-1);
        chart.SetFunction(f, 0, true, 0);
    }
    chart.CommitEdit();
}

// The dialog's widgets, as the user finds them.
struct Dialog
{
    explicit Dialog(const FunctionContainer& chart) : dlg(chart)
    {
        function = dlg.findChild<QComboBox*>(QStringLiteral("function"));
        second = dlg.findChild<QComboBox*>(QStringLiteral("second"));
        kinds[0] = dlg.findChild<QRadioButton*>(QStringLiteral("signed"));
        kinds[1] = dlg.findChild<QRadioButton*>(QStringLiteral("geometric"));
        kinds[2] = dlg.findChild<QRadioButton*>(QStringLiteral("between"));
        from = dlg.findChild<QLineEdit*>(QStringLiteral("from"));
        to = dlg.findChild<QLineEdit*>(QStringLiteral("to"));
        result = dlg.findChild<QLabel*>(QStringLiteral("result"));
        compute = dlg.findChild<QPushButton*>(QStringLiteral("compute"));
        dlg.show();
    }
    void Type(QLineEdit* field, const QString& text)
    {
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    void Compute() { QTest::mouseClick(compute, Qt::LeftButton); }
    void Ok()
    {
        for (QPushButton* button : dlg.findChildren<QPushButton*>()) {
            if (button->text() == "OK")
                QTest::mouseClick(button, Qt::LeftButton);
        }
    }
    CAreaDlg dlg;
    QComboBox* function;
    QComboBox* second;
    QRadioButton* kinds[3];
    QLineEdit* from;
    QLineEdit* to;
    QLabel* result;
    QPushButton* compute;
};

} // namespace

class AreaDlgTest : public QObject
{
    Q_OBJECT

private slots:
    void resultSaysTheKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("shown");
        QTest::newRow("signed") << 0 << "0" << "3" << QString::fromUtf8("Pole = 3.0000000000");
        QTest::newRow("geometric") << 1 << "0" << "3" << QString::fromUtf8("Pole = 6.77123616632");
        QTest::newRow("between") << 2 << "0" << "3" << QString::fromUtf8("Pole = 5.1666666666");
        QTest::newRow("reversed") << 0 << "3" << "0" << QString::fromUtf8("Pole = -3.0000000000");
        QTest::newRow("empty") << 2 << "1" << "1" << QString::fromUtf8("Pole = 0 ");
    }

    // x^2-2 over 0..3 is 3 signed and 3 + 8 sqrt(2) / 3 as a region; with x
    // it encloses 31/6 (x^2 - 2 - x changes sign at 2).
    void resultSaysTheKind()
    {
        QFETCH(int, kind);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, shown);
        FunctionContainer chart;
        Build(chart, {"x^2-2", "x"});
        Dialog d(chart);
        QTest::mouseClick(d.kinds[kind], Qt::LeftButton);
        QVERIFY(d.kinds[kind]->isChecked());
        QCOMPARE(d.second->isEnabled(), kind == 2);
        d.Type(d.from, from);
        d.Type(d.to, to);
        d.Compute();
        const QString text = d.result->text();
        QVERIFY2(text.startsWith(shown), qPrintable(text));
        const char* names[] = {"(całka oznaczona)", "(pole obszaru)", "(pole między wykresami)"};
        QVERIFY2(text.contains(QString::fromUtf8(names[kind])), qPrintable(text));
        QVERIFY2(text.contains(QString::fromUtf8("\nBłąd nie większy niż ")), qPrintable(text));
    }

    // Regression: the last result stayed on screen after an input changed,
    // and OK then shaded an interval whose area was never shown.
    void aStaleResultIsNeverShown()
    {
        FunctionContainer chart;
        Build(chart, {"sin(x)", "cos(x)"});
        Dialog d(chart);
        auto computed = [&] {
            d.Compute();
            return d.result->text().startsWith(QStringLiteral("Pole = "));
        };
        QVERIFY(computed());
        d.Type(d.from, QStringLiteral("0"));
        QVERIFY(d.result->text().isEmpty());
        QVERIFY(computed());
        d.Type(d.to, QStringLiteral("pi"));
        QVERIFY(d.result->text().isEmpty());
        QVERIFY(computed());
        d.function->setCurrentIndex(1);
        QVERIFY(d.result->text().isEmpty());
        QVERIFY(computed());
        QTest::mouseClick(d.kinds[1], Qt::LeftButton);
        QVERIFY(d.result->text().isEmpty());
        QVERIFY(computed());
        // OK computes what the fields now say before it closes.
        d.Type(d.to, QStringLiteral("pi/2"));
        d.Ok();
        QCOMPARE(d.dlg.result(), int(QDialog::Accepted));
        const ShadedArea& area = d.dlg.GetArea();
        QCOMPARE(area.function, 1);
        QCOMPARE(area.kind, AreaKind::kGeometric);
        QCOMPARE(area.a, 0.0);
        QCOMPARE(area.b, std::numbers::pi / 2);
        QVERIFY(std::fabs(area.value - 1) < 1e-12);
    }

    // Two curves: the interval between their outermost intersections in the
    // visible range, until the user types an end.
    void twoCurvesMeetAtTheEnds()
    {
        FunctionContainer chart;
        Build(chart, {"x^2", "x+1", "x^2+3"});
        Dialog d(chart);
        QCOMPARE(d.from->text(), QStringLiteral("-5"));
        QVERIFY(!d.second->isEnabled());
        QTest::mouseClick(d.kinds[2], Qt::LeftButton);
        QCOMPARE(d.second->currentIndex(), 1);
        QCOMPARE(d.from->text().toDouble(), (1 - std::sqrt(5.0)) / 2);
        QCOMPARE(d.to->text().toDouble(), (1 + std::sqrt(5.0)) / 2);
        d.Compute();
        QVERIFY2(d.result->text().startsWith(QStringLiteral("Pole = 1.86338998124982")),
                 qPrintable(d.result->text()));
        // Curves that never meet keep the visible range.
        d.second->setCurrentIndex(2);
        QCOMPARE(d.from->text(), QStringLiteral("-5"));
        QCOMPARE(d.to->text(), QStringLiteral("5"));
        // A typed end stays.
        d.second->setCurrentIndex(1);
        d.Type(d.from, QStringLiteral("0"));
        d.second->setCurrentIndex(2);
        d.second->setCurrentIndex(1);
        QCOMPARE(d.from->text(), QStringLiteral("0"));
    }

    void betweenNeedsTwoCurves()
    {
        FunctionContainer chart;
        Build(chart, {"x^2"});
        Dialog d(chart);
        QVERIFY(!d.kinds[2]->isEnabled());
    }

    void valueShowsTheDigitsItsErrorLeaves_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("error");
        QTest::addColumn<QString>("text");
        QTest::newRow("two") << 2.0 << 4e-15 << "2.000000000000000";
        QTest::newRow("below 1") << 0.0012345 << 1e-9 << "0.0012345000";
        QTest::newRow("negative") << -6.7712361663282534 << 2e-14 << "-6.771236166328253";
        QTest::newRow("exponent") << 1e20 << 1e8 << "1.0000000000000e+20";
        QTest::newRow("loose") << 1.99936 << 0.01 << "1.999";
        QTest::newRow("exact") << 0.5 << 0.0 << "0.50000000000000000";
        QTest::newRow("zero") << 0.0 << 1e-16 << "0";
    }

    void valueShowsTheDigitsItsErrorLeaves()
    {
        QFETCH(double, value);
        QFETCH(double, error);
        QFETCH(QString, text);
        QCOMPARE(AreaValueText(value, error), text);
    }
};

QTEST_MAIN(AreaDlgTest)
#include "areadlg_test.moc"
