#include "chart/functioncontainer.h"
#include "dialogs/colorbutton.h"
#include "dialogs/dialogicons.h"
#include "dialogs/functiondlg.h"
#include "framework/qtstring.h"
#include "tests/dialogs/modalanswer.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>
#include <QTextEdit>

namespace {

void AddFunctions(FunctionContainer& chart, int count)
{
    chart.BeginEdit();
    for (int i = 0; i < count; ++i) {
        chart.SetCurrent(-1);
        chart.SetFunction("x+" + std::to_string(i), 0, true, RGB(1, 2, 3));
    }
    chart.CommitEdit();
}

struct Dialog
{
    explicit Dialog(FunctionContainer& chart) : dlg(chart)
    {
        formula = dlg.findChild<QTextEdit*>(QStringLiteral("formula"));
        status = dlg.findChild<QLineEdit*>(QStringLiteral("status"));
        icon = dlg.findChild<QLabel*>(QStringLiteral("statusIcon"));
        color = dlg.findChild<CColorButton*>(QStringLiteral("color"));
        visible = dlg.findChild<QCheckBox*>(QStringLiteral("visible"));
    }
    bool Shows(FormulaStatus expected) const
    {
        return icon->pixmap().toImage() == StatusIcon(expected).toImage();
    }
    // The colour of the character at a position of the editor.
    QColor ColorAt(int position) const
    {
        QTextCursor cursor(formula->document());
        cursor.setPosition(position + 1);
        return cursor.charFormat().foreground().color();
    }
    bool Red(int position) const
    {
        QTextCursor cursor(formula->document());
        cursor.setPosition(position + 1);
        return cursor.charFormat().hasProperty(QTextFormat::ForegroundBrush) &&
               cursor.charFormat().foreground().color() == QColor(255, 0, 0);
    }

    CFunctionDlg dlg;
    QTextEdit* formula;
    QLineEdit* status;
    QLabel* icon;
    CColorButton* color;
    QCheckBox* visible;
};

} // namespace

class FunctionDlgTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void newFunctionDefaults_data();
    void newFunctionDefaults();
    void statusFollowsTyping();
    void failedOkMarksFromErrorPosition();
    void studentForms_data();
    void studentForms();
    void okStripsLineBreaks_data();
    void okStripsLineBreaks();
    void enterConfirms();
    void secondDerivativeLabel();
    void cancelTakesBackWhatWasWritten();
    void colorButtonNotifiesOnlyOnChange();
    void customColorsLastForTheRun();
};

void FunctionDlgTest::newFunctionDefaults_data()
{
    QTest::addColumn<int>("functions");
    QTest::addColumn<QColor>("color");
    QTest::newRow("empty chart: black") << 0 << QColor(0, 0, 0);
    QTest::newRow("one: orange") << 1 << QColor(230, 159, 0);
    QTest::newRow("three: bluish green") << 3 << QColor(0, 158, 115);
    QTest::newRow("seven: black again") << 7 << QColor(0, 0, 0);
}

void FunctionDlgTest::newFunctionDefaults()
{
    QFETCH(int, functions);
    QFETCH(QColor, color);
    FunctionContainer chart;
    AddFunctions(chart, functions);
    chart.BeginEdit();
    chart.SetCurrent(-1);
    Dialog d(chart);
    d.dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&d.dlg));
    QCOMPARE(d.dlg.windowTitle(), QStringLiteral("Funkcja"));
    QCOMPARE(d.formula->toPlainText(), QString());
    QVERIFY(d.formula->hasFocus());
    QVERIFY(d.dlg.findChild<QRadioButton*>(QStringLiteral("order0"))->isChecked());
    QVERIFY(d.visible->isChecked());
    QCOMPARE(ToQColor(d.color->GetColor()), color);
    QCOMPARE(d.status->text(), QString());
    QVERIFY(d.Shows(FormulaStatus::kInitial));
}

void FunctionDlgTest::statusFollowsTyping()
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetCurrent(-1);
    Dialog d(chart);
    d.dlg.show();
    QTest::keyClicks(d.formula, QStringLiteral("sin(x"));
    QCOMPARE(d.status->text(), QStringLiteral("Status: Brak nawiasu zamkającego lub operatora"));
    QVERIFY(d.Shows(FormulaStatus::kTypingError));
    QCOMPARE(chart.GetFunctionCount(), 0);

    // The first text that compiles enters the chart; later ones replace it.
    QTest::keyClick(d.formula, Qt::Key_ParenRight);
    QCOMPARE(d.status->text(), QStringLiteral("Status: OK"));
    QVERIFY(d.Shows(FormulaStatus::kValid));
    QCOMPARE(chart.GetFunctionCount(), 1);
    QTest::keyClicks(d.formula, QStringLiteral("*2"));
    QCOMPARE(chart.GetFunctionCount(), 1);
    QCOMPARE(chart.GetFormula(), std::string("sin(x)*2"));

    // No text is an error too, and it never shows a message box.
    d.formula->selectAll();
    QTest::keyClick(d.formula, Qt::Key_Delete);
    QCOMPARE(d.status->text(), QStringLiteral("Status: Brak liczby, zmiennej lub funkcji"));
    QVERIFY(d.dlg.isVisible());
}

void FunctionDlgTest::failedOkMarksFromErrorPosition()
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetCurrent(-1);
    Dialog d(chart);
    d.dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&d.dlg));
    QTest::keyClicks(d.formula, QStringLiteral("2 3*x"));
    QString message;
    AnswerMessageBox(QMessageBox::Ok, &message);
    QTest::mouseClick(d.dlg.findChild<QPushButton*>(QStringLiteral("ok")), Qt::LeftButton);

    QCOMPARE(message, QStringLiteral("Oczekiwany operator lub koniec wyrażenia"));
    QVERIFY(d.dlg.isVisible());
    QVERIFY(d.Shows(FormulaStatus::kRejected));
    QCOMPARE(d.status->text(), QStringLiteral("Status: ") + message);
    for (int i = 0; i < 5; ++i)
        QVERIFY2(d.Red(i) == (i >= 2), qPrintable(QString::number(i)));
    QCOMPARE(d.formula->textCursor().position(), 2);
    QVERIFY(!d.formula->textCursor().hasSelection());
    QCOMPARE(d.dlg.focusWidget(), d.formula);

    // The first keystroke takes the red away, and the error icon stays until
    // a text compiles.
    QTest::keyClick(d.formula, Qt::Key_Asterisk);
    for (int i = 0; i < 6; ++i)
        QVERIFY(!d.Red(i));
    QCOMPARE(d.status->text(), QStringLiteral("Status: OK"));
    QVERIFY(d.Shows(FormulaStatus::kValid));
}

void FunctionDlgTest::studentForms_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<int>("errorAt");
    const QString operand = QStringLiteral("Brak liczby, zmiennej lub funkcji");
    const QString expected = QStringLiteral("Oczekiwany operator lub koniec wyrażenia");
    QTest::newRow("negative power") << QStringLiteral("x^-2") << QString() << -1;
    QTest::newRow("sign after times") << QStringLiteral("2*-x") << QString() << -1;
    QTest::newRow("e") << QStringLiteral("e^x") << QString() << -1;
    QTest::newRow("number before a group") << QStringLiteral("2(x+1)") << QString() << -1;
    QTest::newRow("two groups") << QStringLiteral("(x+1)(x-1)") << QString() << -1;
    QTest::newRow("x before a call") << QStringLiteral("x sin(x)") << QString() << -1;
    QTest::newRow("two signs after a power") << QStringLiteral("2^--1") << operand << 2;
    QTest::newRow("number after a group") << QStringLiteral("(x+1)2") << expected << 5;
    // School maths: pieces, steps, odd roots and log x; the hint on a
    // decimal comma and malformed conditions marked from their place (typed
    // with the English words: the keyboard of the test types ASCII only).
    QTest::newRow("piece") << QStringLiteral("if(x < 0, x + 1, x^2)") << QString() << -1;
    QTest::newRow("restricted domain") << QStringLiteral("if(0 <= x <= 2, x^2)") << QString() << -1;
    QTest::newRow("integer part") << QStringLiteral("floor(x) + zaokr(x)") << QString() << -1;
    QTest::newRow("odd root and log x") << QStringLiteral("root(x, 3) + log(x)") << QString() << -1;
    QTest::newRow("decimal comma") << QStringLiteral("2x+0,5")
                                   << QStringLiteral("Ułamki dziesiętne pisz z kropką: 0.5 zamiast 0,5")
                                   << 4;
    QTest::newRow("value as condition")
        << QStringLiteral("if(x, 1, 2)")
        << QStringLiteral("Oczekiwane porównanie: <, <=, >, >=, = lub <>") << 4;
    QTest::newRow("condition as value")
        << QStringLiteral("x + (x < 1)")
        << QStringLiteral("Porównanie może stać tylko w warunku funkcji jeżeli") << 7;
    QTest::newRow("missing branch") << QStringLiteral("if(x<0)")
                                    << QStringLiteral("Nieprawidłowa liczba argumentów") << 6;
}

// The live status and the red marking on OK follow the language as it is now.
void FunctionDlgTest::studentForms()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(int, errorAt);
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetCurrent(-1);
    Dialog d(chart);
    d.dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&d.dlg));
    QTest::keyClicks(d.formula, typed);
    if (message.isEmpty()) {
        QCOMPARE(d.status->text(), QStringLiteral("Status: OK"));
        QVERIFY(d.Shows(FormulaStatus::kValid));
        QTest::keyClick(d.formula, Qt::Key_Return);
        QCOMPARE(d.dlg.result(), int(QDialog::Accepted));
        // The formula is kept as typed, and the legend shows it so.
        QCOMPARE(FromCp1250(chart.GetFormula()), typed);
        return;
    }
    QCOMPARE(d.status->text(), QStringLiteral("Status: ") + message);
    QString shown;
    AnswerMessageBox(QMessageBox::Ok, &shown);
    QTest::mouseClick(d.dlg.findChild<QPushButton*>(QStringLiteral("ok")), Qt::LeftButton);
    QCOMPARE(shown, message);
    QVERIFY(d.dlg.isVisible());
    for (int i = 0; i < typed.size(); ++i)
        QVERIFY2(d.Red(i) == (i >= errorAt), qPrintable(QString::number(i)));
    QCOMPARE(d.formula->textCursor().position(), errorAt);
}

void FunctionDlgTest::okStripsLineBreaks_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("errorAt"); // -1: accepted
    QTest::newRow("line feeds") << QStringLiteral("sin(x)\n+\n1") << QStringLiteral("sin(x)+1") << -1;
    QTest::newRow("tabs and carriage returns")
        << QStringLiteral("x\t*\r\n2") << QStringLiteral("x*2") << -1;
    QTest::newRow("error counted in the stripped text")
        << QStringLiteral("x\n\n\n+)") << QStringLiteral("x+)") << 2;
}

void FunctionDlgTest::okStripsLineBreaks()
{
    QFETCH(QString, pasted);
    QFETCH(QString, stored);
    QFETCH(int, errorAt);
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetCurrent(-1);
    Dialog d(chart);
    d.dlg.show();
    d.formula->insertPlainText(pasted);
    if (errorAt < 0) {
        // While typing the text is stored as it is.
        QCOMPARE(d.status->text(), QStringLiteral("Status: OK"));
        QVERIFY(chart.GetFormula().find_first_of("\n\t") != std::string::npos);
        d.dlg.accept();
        QCOMPARE(d.dlg.result(), int(QDialog::Accepted));
        QCOMPARE(FromCp1250(chart.GetFormula()), stored);
        return;
    }
    AnswerMessageBox(QMessageBox::Ok);
    d.dlg.accept();
    QVERIFY(d.dlg.isVisible());
    QCOMPARE(d.formula->toPlainText(), stored);
    QVERIFY(!d.Red(errorAt - 1));
    QVERIFY(d.Red(errorAt));
    QCOMPARE(d.formula->textCursor().position(), errorAt);
}

void FunctionDlgTest::enterConfirms()
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetCurrent(-1);
    Dialog d(chart);
    d.dlg.show();
    QTest::keyClicks(d.formula, QStringLiteral("x^2"));
    QTest::keyClick(d.formula, Qt::Key_Return);
    QVERIFY(!d.dlg.isVisible());
    QCOMPARE(d.dlg.result(), int(QDialog::Accepted));
    QCOMPARE(chart.GetFormula(), std::string("x^2"));
}

void FunctionDlgTest::secondDerivativeLabel()
{
    FunctionContainer chart;
    AddFunctions(chart, 1);
    chart.BeginEdit();
    chart.SetCurrent(0);
    Dialog d(chart);
    d.dlg.show();
    QTest::mouseClick(d.dlg.findChild<QRadioButton*>(QStringLiteral("order2")), Qt::LeftButton);
    QTest::mouseClick(d.visible, Qt::LeftButton);
    d.dlg.accept();
    chart.CommitEdit();
    chart.SetCurrent(0);
    QCOMPARE(chart.GetLegendLabel(), std::string("(x+0)''"));
    QVERIFY(!chart.IsVisible());
}

void FunctionDlgTest::cancelTakesBackWhatWasWritten()
{
    FunctionContainer chart;
    AddFunctions(chart, 2);
    chart.BeginEdit();
    {
        chart.SetCurrent(-1);
        Dialog added(chart);
        added.dlg.show();
        QTest::keyClicks(added.formula, QStringLiteral("cos(x)"));
        QCOMPARE(chart.GetFunctionCount(), 3);
        added.dlg.reject();
        QCOMPARE(chart.GetFunctionCount(), 2);
        QCOMPARE(chart.GetCurrent(), -1);
    }
    {
        chart.SetCurrent(1);
        Dialog edited(chart);
        edited.dlg.show();
        QTest::mouseClick(edited.visible, Qt::LeftButton);
        QTest::keyClicks(edited.formula, QStringLiteral("*3"));
        QCOMPARE(chart.GetFormula(), std::string("x+1*3"));
        edited.dlg.reject();
    }
    chart.SetCurrent(1);
    QCOMPARE(chart.GetFormula(), std::string("x+1"));
    QVERIFY(chart.IsVisible());
    QCOMPARE(chart.GetColor(), RGB(1, 2, 3));
}

void FunctionDlgTest::colorButtonNotifiesOnlyOnChange()
{
    CColorButton button(QStringLiteral("&Kolor..."));
    button.SetColor(RGB(10, 20, 30));
    button.show();
    int notices = 0;
    connect(&button, &CColorButton::colorChanged, [&notices] { ++notices; });
    auto pick = [&button](const QColor& color, bool confirm) {
        AnswerNextModal([color, confirm](QDialog* dialog) {
            auto* colors = qobject_cast<QColorDialog*>(dialog);
            QVERIFY(colors);
            colors->setCurrentColor(color);
            confirm ? colors->accept() : colors->reject();
        });
        QTest::mouseClick(&button, Qt::LeftButton);
    };
    pick(QColor(10, 20, 30), true);
    QCOMPARE(notices, 0);
    pick(QColor(200, 0, 0), false);
    QCOMPARE(notices, 0);
    QCOMPARE(button.GetColor(), RGB(10, 20, 30));
    pick(QColor(200, 0, 0), true);
    QCOMPARE(notices, 1);
    QCOMPARE(button.GetColor(), RGB(200, 0, 0));
}

void FunctionDlgTest::customColorsLastForTheRun()
{
    CColorButton first(QStringLiteral("A"));
    CColorButton second(QStringLiteral("B"));
    AnswerNextModal([](QDialog* dialog) {
        QColorDialog::setCustomColor(3, QColor(1, 2, 3));
        dialog->reject();
    });
    first.Pick();
    QColor offered;
    AnswerNextModal([&offered](QDialog* dialog) {
        offered = QColorDialog::customColor(3);
        dialog->reject();
    });
    QColorDialog::setCustomColor(3, Qt::white); // what Qt alone would now offer
    second.Pick();
    QCOMPARE(offered, QColor(1, 2, 3));
}

QTEST_MAIN(FunctionDlgTest)
#include "functiondlg_test.moc"
