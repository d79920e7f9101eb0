#include "chart/chartmessages.h"
#include "chart/functioncontainer.h"
#include "document/zeltra20doc.h"
#include "dialogs/chartdialogs.h"
#include "dialogs/colorbutton.h"
#include "dialogs/fontbutton.h"
#include "dialogs/funcpropertysheet.h"
#include "dialogs/functiondlg.h"
#include "framework/commandids.h"
#include "framework/programsettings.h"
#include "framework/propertypage.h"
#include "framework/qtstring.h"
#include "tests/dialogs/modalanswer.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>

#include <cstring>
#include <memory>

namespace {

bool EditFormula(FunctionContainer& chart, QWidget* parent)
{
    CFunctionDlg dialog(chart, parent);
    return dialog.exec() == QDialog::Accepted;
}

// A sheet opened without a window behind it, as a user sees it.
struct Sheet
{
    Sheet(FunctionContainer& chart, int page)
        : sheet(chart, page, EditFormula, [this] { ++applied; })
    {
        sheet.show();
        QApplication::setActiveWindow(&sheet);
    }
    template <typename T>
    T* Find(const char* name) const
    {
        return sheet.GetActivePage()->findChild<T*>(QString::fromLatin1(name));
    }
    QPushButton* Button(const char* name) const
    {
        return sheet.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    // On the box itself: a check box that spans a row takes clicks only there.
    void Tick(const char* name) const
    {
        QCheckBox* check = Find<QCheckBox>(name);
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2));
    }
    QTabWidget* Tabs() const { return sheet.findChild<QTabWidget*>(); }
    void Type(const char* edit, const QString& text) const
    {
        QLineEdit* line = Find<QLineEdit>(edit);
        line->selectAll();
        for (QChar c : text)
            QTest::sendKeyEvent(QTest::Click, line, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    // Switching tabs as the user does; a refusal answers the message box.
    QString LeaveTo(int page)
    {
        QString message;
        const QPointer<QTimer> watcher = AnswerMessageBox(QMessageBox::Ok, &message);
        Tabs()->setCurrentIndex(page);
        delete watcher.data();
        return message;
    }

    int applied = 0;
    CFuncPropertySheet sheet;
};

void AddFunctions(FunctionContainer& chart, const std::vector<std::string>& formulas)
{
    chart.BeginEdit();
    for (const std::string& formula : formulas) {
        chart.SetCurrent(-1);
        chart.SetFunction(formula, 0, true, 0);
    }
    chart.CommitEdit();
}

QString Text(const auto& cp1250) { return FromCp1250(std::string(cp1250.c_str())); }

} // namespace

class FuncPropertySheetTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void opensOnTheCommandsPage_data();
    void opensOnTheCommandsPage();
    void functionButtonsFollowTheList();
    void noToRemovalChangesNothing();
    void addThenCancelSheetLeavesChart();
    void refusedValuesKeepThePageOpen_data();
    void refusedValuesKeepThePageOpen();
    void automaticTextsAreNeverEvaluated();
    void hiddenAutomaticXDisablesLimits();
    void unchangedLimitsKeepTheirValue();
    void limitsTakeFormulasAsStudentsWriteThem();
    void trackbarShowsPerCent();
    void sameChoicesDoNotMarkModified();
    void fontConfirmationAlwaysMarksModified();
    void cancelAfterApplyKeepsTheApply();
    void headerStopsAt80Characters();
    void documentRunsTheDialogs();
    void spacingSwitchesAreTheProgramsNotTheCharts();
};

void FuncPropertySheetTest::opensOnTheCommandsPage_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("caption");
    QTest::newRow("40021 properties") << Cmd::kProperties << QStringLiteral("Funkcje");
    QTest::newRow("40024 functions") << Cmd::kFunctions << QStringLiteral("Funkcje");
    QTest::newRow("40025 range") << Cmd::kRange << QStringLiteral("Zakres");
    QTest::newRow("40027 scale") << Cmd::kScale << QStringLiteral("Podziałka");
    QTest::newRow("40026 grid and axes") << Cmd::kGridAxes << QStringLiteral("Siatka i osie");
    QTest::newRow("40028 descriptions") << Cmd::kDescriptions << QStringLiteral("Opisy");
    QTest::newRow("40029 computation") << Cmd::kComputation << QStringLiteral("Obliczenia");
    QTest::newRow("32795 value table") << Cmd::kTableSettings << QStringLiteral("Tabela wartości");
}

void FuncPropertySheetTest::opensOnTheCommandsPage()
{
    QFETCH(int, command);
    QFETCH(QString, caption);
    FunctionContainer chart;
    Sheet s(chart, SettingsPageOf(command));
    QCOMPARE(s.sheet.windowTitle(), QStringLiteral("Ustawienia wykresu"));
    QCOMPARE(s.Tabs()->tabText(s.Tabs()->currentIndex()), caption);
    QCOMPARE(s.sheet.GetActivePage()->GetCaption(), caption);
    QCOMPARE(s.Tabs()->count(), 7);
    QCOMPARE(s.Button("ok")->text(), QStringLiteral("OK"));
    QCOMPARE(s.Button("cancel")->text(), QStringLiteral("Anuluj"));
    QCOMPARE(s.Button("apply")->text(), QStringLiteral("Zastosuj"));
    QVERIFY(!s.Button("apply")->isEnabled());
    // The keyboard starts in the page, not on the row of tabs.
    QVERIFY(QTest::qWaitForWindowActive(&s.sheet));
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus != nullptr && s.sheet.GetActivePage()->isAncestorOf(focus));
}

void FuncPropertySheetTest::functionButtonsFollowTheList()
{
    FunctionContainer chart;
    Sheet s(chart, CFuncPropertySheet::kFunctions);
    QVERIFY(QTest::qWaitForWindowActive(&s.sheet));
    auto* list = s.Find<QListWidget>("functions");
    QPushButton* add = s.Find<QPushButton>("add");
    QPushButton* remove = s.Find<QPushButton>("remove");
    QPushButton* edit = s.Find<QPushButton>("edit");
    QVERIFY(!remove->isEnabled() && !edit->isEnabled());

    AnswerNextModal([](QDialog* dialog) {
        QTest::keyClicks(dialog->findChild<QTextEdit*>(), QStringLiteral("sin(x)"));
        dialog->accept();
    });
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), QStringLiteral("sin(x)"));
    QCOMPARE(list->currentRow(), 0);
    QVERIFY(remove->isEnabled() && edit->isEnabled());
    QVERIFY(s.sheet.GetActivePage()->IsModified());
    QVERIFY(s.Button("apply")->isEnabled());

    // Space in the list edits the marked function.
    AnswerNextModal([](QDialog* dialog) {
        QTest::mouseClick(dialog->findChild<QRadioButton*>(QStringLiteral("order1")),
                          Qt::LeftButton);
        dialog->accept();
    });
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(list->item(0)->text(), QStringLiteral("(sin(x))'"));

    remove->setFocus();
    AnswerMessageBox(QMessageBox::Yes);
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(list->count(), 0);
    QCOMPARE(chart.GetFunctionCount(), 0);
    QVERIFY(!remove->isEnabled() && !edit->isEnabled());
    QCOMPARE(s.sheet.focusWidget(), add);
}

void FuncPropertySheetTest::noToRemovalChangesNothing()
{
    FunctionContainer chart;
    AddFunctions(chart, {"x", "x^2"});
    Sheet s(chart, CFuncPropertySheet::kFunctions);
    auto* list = s.Find<QListWidget>("functions");
    list->setCurrentRow(1);
    QString question;
    AnswerNextModal([&question](QDialog* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        question = box->windowTitle() + '|' + box->text();
        // No is what Enter answers.
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
        box->button(QMessageBox::No)->click();
    });
    QTest::mouseClick(s.Find<QPushButton>("remove"), Qt::LeftButton);
    QCOMPARE(question, QStringLiteral("Potwierdź|Czy na pewno chcesz usunąć wybraną funkcję?"));
    QCOMPARE(list->count(), 2);
    QCOMPARE(chart.GetFunctionCount(), 2);
    QVERIFY(!s.sheet.GetActivePage()->IsModified());
    QVERIFY(!s.Button("apply")->isEnabled());
}

void FuncPropertySheetTest::addThenCancelSheetLeavesChart()
{
    FunctionContainer chart;
    AddFunctions(chart, {"x"});
    {
        Sheet s(chart, CFuncPropertySheet::kFunctions);
        // A function typed and then cancelled never reaches the list or the chart.
        AnswerNextModal([](QDialog* dialog) {
            QTest::keyClicks(dialog->findChild<QTextEdit*>(), QStringLiteral("cos(x)"));
            dialog->reject();
        });
        QTest::mouseClick(s.Find<QPushButton>("add"), Qt::LeftButton);
        QCOMPARE(s.Find<QListWidget>("functions")->count(), 1);
        QCOMPARE(chart.GetFunctionCount(), 1);
        AnswerNextModal([](QDialog* dialog) {
            QTest::keyClicks(dialog->findChild<QTextEdit*>(), QStringLiteral("tan(x)"));
            dialog->accept();
        });
        QTest::mouseClick(s.Find<QPushButton>("add"), Qt::LeftButton);
        QCOMPARE(chart.GetFunctionCount(), 2);
        s.sheet.reject();
        QCOMPARE(s.applied, 0);
    }
    QCOMPARE(chart.GetFunctionCount(), 1);
}

void FuncPropertySheetTest::refusedValuesKeepThePageOpen_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    QTest::newRow("x from abc") << int(CFuncPropertySheet::kRange) << "xMin" << "abc"
                                << Text(ChartMessage::kRangeXMin) + "\nNieznany symbol\nna pozycji 0";
    QTest::newRow("x to not above x from") << int(CFuncPropertySheet::kRange) << "xMax" << "-5"
                                           << Text(ChartMessage::kRangeXOrder);
    QTest::newRow("grid x") << int(CFuncPropertySheet::kGrid) << "gridX" << "1+"
                            << Text(ChartMessage::kGridX) +
                                   "\nBrak liczby, zmiennej lub funkcji\nna pozycji 2";
    QTest::newRow("x from with two signs after a power")
        << int(CFuncPropertySheet::kRange) << "xMin" << "2^--1"
        << Text(ChartMessage::kRangeXMin) + "\nBrak liczby, zmiennej lub funkcji\nna pozycji 2";
    QTest::newRow("table step 0") << int(CFuncPropertySheet::kTable) << "step" << "0"
                                  << Text(ChartMessage::kTableStepSign);
    QTest::newRow("table to equal to from") << int(CFuncPropertySheet::kTable) << "max" << "1"
                                            << Text(ChartMessage::kTableOrder);
}

void FuncPropertySheetTest::refusedValuesKeepThePageOpen()
{
    QFETCH(int, page);
    QFETCH(QString, edit);
    QFETCH(QString, text);
    QFETCH(QString, message);
    FunctionContainer chart;
    const ChartSettings before = chart.GetSettings();
    Sheet s(chart, page);
    // Spacings and table values are typed with their automatic switches off.
    for (const char* name : {"autoX", "sync", "autoStep"}) {
        if (auto* check = s.Find<QCheckBox>(name); check && check->isChecked() && check->isVisible())
            s.Tick(name);
    }
    if (page == CFuncPropertySheet::kTable) {
        s.Type("min", QStringLiteral("1"));
        s.Type("max", QStringLiteral("2"));
        s.Type("step", QStringLiteral("0.5"));
    }
    s.Type(edit.toLatin1().constData(), text);
    QCOMPARE(s.LeaveTo(CFuncPropertySheet::kComputation), message);
    QCOMPARE(s.sheet.GetActiveIndex(), page);
    QCOMPARE(s.Tabs()->currentIndex(), page);
    // The keyboard is back in the field the message is about.
    QCOMPARE(s.sheet.focusWidget(), static_cast<QWidget*>(s.Find<QLineEdit>(edit.toLatin1().constData())));

    // OK refuses the same way; "Anuluj" leaves the chart as it was.
    AnswerMessageBox(QMessageBox::Ok);
    QTest::mouseClick(s.Button("ok"), Qt::LeftButton);
    QVERIFY(s.sheet.isVisible());
    s.sheet.reject();
    QCOMPARE(std::memcmp(&before, &chart.GetSettings(), sizeof before), 0);
    QCOMPARE(s.applied, 0);
}

void FuncPropertySheetTest::automaticTextsAreNeverEvaluated()
{
    FunctionContainer chart;
    for (int page : {int(CFuncPropertySheet::kRange), int(CFuncPropertySheet::kTable)}) {
        Sheet s(chart, page);
        const char* automatic = page == CFuncPropertySheet::kRange ? "autoY" : "sync";
        const char* edit = page == CFuncPropertySheet::kRange ? "yMin" : "min";
        QVERIFY(s.Find<QCheckBox>(automatic)->isChecked());
        QVERIFY(!s.Find<QLineEdit>(edit)->isEnabled());
        s.Tick(automatic);
        QVERIFY(s.Find<QLineEdit>(edit)->isEnabled());
        s.Type(edit, QStringLiteral("abc"));
        s.Tick(automatic);
        QVERIFY(!s.Find<QLineEdit>(edit)->isEnabled());
        QCOMPARE(s.LeaveTo(CFuncPropertySheet::kScale), QString());
        QCOMPARE(s.sheet.GetActiveIndex(), int(CFuncPropertySheet::kScale));
        s.sheet.reject();
    }
}

void FuncPropertySheetTest::hiddenAutomaticXDisablesLimits()
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetRange(true, true, "", "", "", "");
    chart.CommitEdit();
    Sheet s(chart, CFuncPropertySheet::kRange);
    QVERIFY(!s.Find<QCheckBox>("autoX")->isVisible());
    QVERIFY(!s.Find<QLineEdit>("xMin")->isEnabled());
    QVERIFY(!s.Find<QLineEdit>("xMax")->isEnabled());
    QVERIFY(s.Find<QLineEdit>("yMin")->isVisible());
}

void FuncPropertySheetTest::unchangedLimitsKeepTheirValue()
{
    // A range reached by zooming shows as "1" and "1" with six digits; looking
    // at the page and pressing OK must neither refuse nor round it.
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetRange(false, true, "1.0000001", "1.0000002", "", "");
    chart.CommitEdit();
    Sheet s(chart, CFuncPropertySheet::kRange);
    QCOMPARE(s.Find<QLineEdit>("xMin")->text(), QStringLiteral("1"));
    QTest::mouseClick(s.Button("ok"), Qt::LeftButton);
    QVERIFY(!s.sheet.isVisible());
    QCOMPARE(chart.GetSettings().m_xMin, 1.0000001);
    QCOMPARE(chart.GetSettings().m_xMax, 1.0000002);
    QCOMPARE(s.applied, 1);
}

void FuncPropertySheetTest::limitsTakeFormulasAsStudentsWriteThem()
{
    FunctionContainer chart;
    Sheet s(chart, CFuncPropertySheet::kRange);
    s.Type("xMin", QStringLiteral("-2^-1"));
    s.Type("xMax", QStringLiteral("2(e+1)"));
    QTest::mouseClick(s.Button("ok"), Qt::LeftButton);
    QVERIFY(!s.sheet.isVisible());
    QCOMPARE(chart.GetSettings().m_xMin, -0.5);
    QCOMPARE(chart.GetSettings().m_xMax, 2 * (2.718281828459045 + 1));
}

void FuncPropertySheetTest::trackbarShowsPerCent()
{
    FunctionContainer chart;
    Sheet s(chart, CFuncPropertySheet::kComputation);
    auto* slider = s.Find<QSlider>("quality");
    auto* percent = s.Find<QLineEdit>("percent");
    QCOMPARE(percent->text(), QStringLiteral("10%"));
    QVERIFY(!s.sheet.GetActivePage()->IsModified());
    const std::pair<Qt::Key, QString> keys[] = {
        {Qt::Key_Home, QStringLiteral("1%")},
        {Qt::Key_Right, QStringLiteral("2%")},
        {Qt::Key_End, QStringLiteral("100%")},
        {Qt::Key_Left, QStringLiteral("99%")},
    };
    for (const auto& [key, shown] : keys) {
        QTest::keyClick(slider, key);
        QCOMPARE(percent->text(), shown);
    }
    QCOMPARE(slider->value(), 9900);
    QVERIFY(s.sheet.GetActivePage()->IsModified());
    QTest::mouseClick(s.Button("ok"), Qt::LeftButton);
    QCOMPARE(chart.GetSettings().m_nPoints, 9900);
}

void FuncPropertySheetTest::sameChoicesDoNotMarkModified()
{
    FunctionContainer chart;
    {
        Sheet s(chart, CFuncPropertySheet::kComputation);
        QTest::mouseClick(s.Find<QRadioButton>("radians"), Qt::LeftButton);
        QVERIFY(!s.Button("apply")->isEnabled());
        QTest::mouseClick(s.Find<QRadioButton>("degrees"), Qt::LeftButton);
        QVERIFY(s.Button("apply")->isEnabled());
        s.sheet.reject();
    }
    Sheet s(chart, CFuncPropertySheet::kGrid);
    auto* grid = s.Find<CColorButton>("gridColor");
    const COLORREF shown = grid->GetColor();
    AnswerNextModal([shown](QDialog* dialog) {
        qobject_cast<QColorDialog*>(dialog)->setCurrentColor(ToQColor(shown));
        dialog->accept();
    });
    QTest::mouseClick(grid, Qt::LeftButton);
    QVERIFY(!s.sheet.GetActivePage()->IsModified());
    AnswerNextModal([](QDialog* dialog) {
        qobject_cast<QColorDialog*>(dialog)->setCurrentColor(QColor(0, 128, 255));
        dialog->accept();
    });
    QTest::mouseClick(grid, Qt::LeftButton);
    QVERIFY(s.sheet.GetActivePage()->IsModified());
    QTest::mouseClick(s.Button("ok"), Qt::LeftButton);
    QCOMPARE(chart.GetSettings().m_crGrid, RGB(0, 128, 255));
}

void FuncPropertySheetTest::fontConfirmationAlwaysMarksModified()
{
    FunctionContainer chart;
    chart.BeginEdit();
    LOGFONTA odd = DefaultChartFont();
    odd.lfWidth = 7;
    odd.lfEscapement = 900;
    odd.lfQuality = 5;
    chart.SetScale(true, true, "", "", true, true, RGB(9, 9, 9), odd);
    chart.CommitEdit();
    Sheet s(chart, CFuncPropertySheet::kScale);
    AnswerNextModal([](QDialog* dialog) { dialog->accept(); });
    QTest::mouseClick(s.Find<CFontButton>("font"), Qt::LeftButton);
    QVERIFY(s.sheet.GetActivePage()->IsModified());
    QTest::mouseClick(s.Button("ok"), Qt::LeftButton);
    // Confirming without a change keeps every byte of the record.
    QCOMPARE(std::memcmp(&chart.GetSettings().m_lfScale, &odd, sizeof odd), 0);
    QCOMPARE(chart.GetSettings().m_crScaleText, RGB(9, 9, 9));

    Sheet again(chart, CFuncPropertySheet::kScale);
    AnswerNextModal([](QDialog* dialog) {
        auto* fonts = qobject_cast<QFontDialog*>(dialog);
        QFont bigger = fonts->currentFont();
        bigger.setPointSize(20);
        bigger.setItalic(true);
        fonts->setCurrentFont(bigger);
        fonts->accept();
    });
    QTest::mouseClick(again.Find<CFontButton>("font"), Qt::LeftButton);
    QTest::mouseClick(again.Button("ok"), Qt::LeftButton);
    const LOGFONTA& chosen = chart.GetSettings().m_lfScale;
    QCOMPARE(chosen.lfHeight, 20);
    QCOMPARE(chosen.lfItalic, uint8_t(1));
    QCOMPARE(chosen.lfEscapement, 900);
    QCOMPARE(chosen.lfQuality, uint8_t(5));
}

void FuncPropertySheetTest::cancelAfterApplyKeepsTheApply()
{
    FunctionContainer chart;
    Sheet s(chart, CFuncPropertySheet::kDescriptions);
    s.Type("header", QStringLiteral("Pierwszy"));
    QTest::mouseClick(s.Button("apply"), Qt::LeftButton);
    QCOMPARE(s.applied, 1);
    QVERIFY(!s.Button("apply")->isEnabled());
    QCOMPARE(std::string(chart.GetSettings().m_szHeader), std::string("Pierwszy"));
    s.Type("header", QStringLiteral("Drugi"));
    s.LeaveTo(CFuncPropertySheet::kRange);
    s.Type("xMax", QStringLiteral("7"));
    s.sheet.reject();
    QCOMPARE(std::string(chart.GetSettings().m_szHeader), std::string("Pierwszy"));
    QCOMPARE(chart.GetSettings().m_xMax, 5.0);
    QCOMPARE(s.applied, 1);
}

void FuncPropertySheetTest::headerStopsAt80Characters()
{
    FunctionContainer chart;
    Sheet s(chart, CFuncPropertySheet::kDescriptions);
    const QString line = QString(79, QLatin1Char('a')) + QStringLiteral("żź");
    s.Type("header", line);
    QCOMPARE(s.Find<QLineEdit>("header")->text(), line.left(80));
    QTest::mouseClick(s.Button("ok"), Qt::LeftButton);
    QCOMPARE(FromCp1250(chart.GetSettings().m_szHeader), line.left(80));
}

void FuncPropertySheetTest::documentRunsTheDialogs()
{
    CZeltra20Doc doc;
    doc.SetDialogs(RunFunctionDialog, RunSettingsSheet);
    auto type = [](const QString& formula, bool confirm) {
        AnswerNextModal([formula, confirm](QDialog* dialog) {
            QTest::keyClicks(dialog->findChild<QTextEdit*>(), formula);
            confirm ? dialog->accept() : dialog->reject();
        });
    };
    type(QStringLiteral("x^3"), false);
    doc.OnAddFunction(nullptr);
    QCOMPARE(doc.GetChart().GetFunctionCount(), 0);
    QVERIFY(!doc.IsModified());
    type(QStringLiteral("x^3"), true);
    doc.OnAddFunction(nullptr);
    QCOMPARE(doc.GetChart().GetFunctionCount(), 1);
    QVERIFY(doc.IsModified());

    doc.SetModifiedFlag(false);
    QString shown;
    AnswerNextModal([&shown](QDialog* dialog) {
        auto* tabs = dialog->findChild<QTabWidget*>();
        shown = tabs->tabText(tabs->currentIndex());
        dialog->accept();
    });
    doc.OnSettings(Cmd::kTableSettings, nullptr);
    QCOMPARE(shown, QStringLiteral("Tabela wartości"));
    // OK marks the chart modified even when nothing changed.
    QVERIFY(doc.IsModified());
}

QTEST_MAIN(FuncPropertySheetTest)
#include "funcpropertysheet_test.moc"

void FuncPropertySheetTest::spacingSwitchesAreTheProgramsNotTheCharts()
{
    WriteSpacingRule({});
    FunctionContainer chart;
    AddFunctions(chart, {"sin(x)"});
    chart.BeginEdit();
    chart.SetRange(false, true, "0", "7.3", "", "");
    chart.CommitEdit();
    QCOMPARE(chart.GetSettings().m_scaleStepX, 1.0);
    const ChartSettings before = chart.GetSettings();

    Sheet s(chart, CFuncPropertySheet::kScale);
    QVERIFY(!s.Find<QCheckBox>("piTicks")->isChecked());
    QVERIFY(!s.Find<QCheckBox>("spacing20")->isChecked());
    QCOMPARE(s.Find<QCheckBox>("spacing20")->text(), QString::fromUtf8("Odstępy jak w wersji 2.0"));
    QCOMPARE(s.Find<QCheckBox>("piTicks")->text(),
             QString::fromUtf8("Podziałka osi X w wielokrotnościach \u03C0"));
    s.Tick("piTicks");
    s.Tick("spacing20");
    QVERIFY(s.sheet.GetActivePage()->IsModified());
    QTest::mouseClick(s.Button("ok"), Qt::LeftButton);
    // Kept with the program's settings; the chart follows the old rule.
    QVERIFY(ReadSpacingRule() == (SpacingRule{true, true}));
    QVERIFY(chart.GetSpacingRule() == (SpacingRule{true, true}));
    QCOMPARE(chart.GetSettings().m_scaleStepX, 0.7);
    // Nothing else of the chart changed.
    QCOMPARE(chart.GetSettings().m_xMax, before.m_xMax);
    QCOMPARE(chart.GetSettings().m_bAutoScaleX, before.m_bAutoScaleX);

    Sheet again(chart, CFuncPropertySheet::kScale);
    QVERIFY(again.Find<QCheckBox>("piTicks")->isChecked());
    QVERIFY(again.Find<QCheckBox>("spacing20")->isChecked());
    again.sheet.reject();
    WriteSpacingRule({});
}
