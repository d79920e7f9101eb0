#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"
#include "platform/cp1250.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::string& text)
{
    return Cp1250::ToUtf8(text);
}

// Runs a setter and returns its error (message in UTF-8, position).
std::pair<std::string, int> Rejection(const std::function<void()>& setter)
{
    try {
        setter();
    } catch (const FunctionContainerException& e) {
        return {Utf8(e.m_strMessage), e.m_nPosition};
    }
    return {"(accepted)", -2};
}

TEST(ChartModel, Defaults)
{
    FunctionContainer chart;
    const ChartSettings& s = chart.GetSettings();
    EXPECT_EQ(s.m_crBackground, 0xFFFFFFu);
    EXPECT_EQ(s.m_nPoints, 1000);
    EXPECT_STREQ(s.m_szHeader, "Wykres");
    EXPECT_STREQ(s.m_szCaption, "Wykres");
    EXPECT_TRUE(s.m_bAxesVisible && s.m_bGridVisible && s.m_bScaleXVisible &&
                s.m_bScaleYVisible && s.m_bFrameVisible && s.m_bLegendVisible &&
                s.m_bHeaderVisible);
    EXPECT_FALSE(s.m_bCaptionVisible);
    EXPECT_FALSE(s.m_bAutoRangeX);
    EXPECT_TRUE(s.m_bAutoRangeY && s.m_bAutoGridX && s.m_bAutoGridY && s.m_bAutoScaleX &&
                s.m_bAutoScaleY);
    EXPECT_EQ(s.m_xMin, -5);
    EXPECT_EQ(s.m_xMax, 5);
    EXPECT_EQ(s.m_yMin, -5); // no functions: the y range stays
    EXPECT_EQ(s.m_yMax, 5);
    EXPECT_EQ(s.m_gridX, 1);
    EXPECT_EQ(s.m_scaleStepY, 1);
    EXPECT_EQ(s.m_crGrid, 0xC0C0C0u);
    EXPECT_EQ(s.m_crLegendBack, 0xFFFFFFu);
    EXPECT_EQ(s.m_crTableBack, 0xFFFFFFu);
    EXPECT_FALSE(s.m_bDegrees);
    EXPECT_TRUE(s.m_bJoinPoints && s.m_bTableSync && s.m_bTableAutoStep);
    EXPECT_EQ(s.m_tableXMin, -5); // the table follows the chart
    EXPECT_EQ(s.m_tableStep, 0.01);
    for (const LOGFONTA* font : {&s.m_lfScale, &s.m_lfLegend, &s.m_lfHeader}) {
        EXPECT_EQ(font->lfHeight, 10);
        EXPECT_EQ(font->lfWeight, 400);
        EXPECT_EQ(font->lfCharSet, 1);
        EXPECT_EQ(font->lfPitchAndFamily, 0x20);
        EXPECT_STREQ(font->lfFaceName, "Arial");
    }
    EXPECT_FALSE(chart.IsTableVisible());
    EXPECT_EQ(chart.GetTableWidth(), 153);
    EXPECT_EQ(chart.GetCurrent(), -1);
    EXPECT_EQ(chart.GetXMinText(), "-5");
    EXPECT_EQ(chart.GetTableStepText(), "0.01");
}

TEST(ChartModel, SetterMessages)
{
    FunctionContainer chart;
    chart.BeginEdit();
    const std::string none;
    using Row = std::tuple<const char*, std::function<void()>, std::string, int>;
    const std::vector<Row> rows = {
        {"grid x", [&] { chart.SetGrid(false, true, "2*", "", 1, 1, 0, 0); },
         "Błąd w odstępach siatki dla osi X\nBrak liczby, zmiennej lub funkcji\nna pozycji 2", 2},
        {"grid y", [&] { chart.SetGrid(true, false, "", "sin", 1, 1, 0, 0); },
         "Błąd w odstępach siatki dla osi Y\nBrak nawiasu otwierającego\nna pozycji 3", 3},
        {"scale x evaluation error", [&] { chart.SetScale(false, true, "1/0", "", 1, 1, 0, {}); },
         "Błąd w odstępach podziałki dla osi X\nDzielenie przez zero", -1},
        {"scale y", [&] { chart.SetScale(true, false, "", "y", 1, 1, 0, {}); },
         "Błąd w odstępach podziałki dla osi Y\nNieznany symbol\nna pozycji 0", 0},
        {"x min", [&] { chart.SetRange(false, true, "(", "1", none, none); },
         "Błąd w minimalnej wartości dla X\nBrak liczby, zmiennej lub funkcji\nna pozycji 1", 1},
        {"x max", [&] { chart.SetRange(false, true, "1", "ln(0)", none, none); },
         "Błąd w maksymalnej wartości dla X\nBłąd dziedziny", -1},
        // Regression: errors without a position were shown "na pozycji -1".
        {"x max of 1e999", [&] { chart.SetRange(false, true, "1", "1e999", none, none); },
         "Błąd w maksymalnej wartości dla X\nBłąd dziedziny", -1},
        {"x order", [&] { chart.SetRange(false, true, "3", "3", none, none); },
         "Maksymalna wartość dla X musi być większa od minimalnej", -1},
        {"y min", [&] { chart.SetRange(true, false, none, none, "?", "1"); },
         "Błąd w minimalnej wartości dla Y\nNieznany symbol\nna pozycji 0", 0},
        {"y max", [&] { chart.SetRange(true, false, none, none, "1", ""); },
         "Błąd w maksymalnej wartości dla Y\nBrak liczby, zmiennej lub funkcji\nna pozycji 0", 0},
        {"y order", [&] { chart.SetRange(true, false, none, none, "2", "1"); },
         "Maksymalna wartość dla Y musi być większa minimalnej", -1},
        {"table min", [&] { chart.SetTable(false, true, "x)", "1", none, 0, 0); },
         "Błąd w minimalnej wartości X\nOczekiwany operator lub koniec wyrażenia\nna pozycji 1", 1},
        {"table max", [&] { chart.SetTable(false, true, "0", "sqrt(-1)", none, 0, 0); },
         "Błąd w maksymalnej wartości X\nBłąd dziedziny", -1},
        {"table order", [&] { chart.SetTable(false, true, "1", "0", none, 0, 0); },
         "Maksymalna wartość X musi być większa od minimalnej", -1},
        {"table step zero", [&] { chart.SetTable(true, false, none, none, "0", 0, 0); },
         "Krok musi być większy od zera", -1},
        {"table step text", [&] { chart.SetTable(true, false, none, none, "abc", 0, 0); },
         "Błąd w wartości kroku\nNieznany symbol\nna pozycji 0", 0},
        {"table too long", [&] { chart.SetTable(false, false, "0", "1", "1e-6", 0, 0); },
         "Krok jest zbyt mały: tabela może mieć najwyżej 100000 wierszy", -1},
    };
    for (const auto& [name, setter, message, position] : rows) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Rejection(setter), std::make_pair(message, position));
    }
    // Nothing of it reached the committed settings.
    EXPECT_EQ(chart.GetSettings().m_xMin, -5);
    EXPECT_TRUE(chart.GetSettings().m_bTableAutoStep);
}

// Numeric settings are formulas, so they take what formulas take: signs
// after operators, e and implied products; a double sign stays refused.
TEST(ChartModel, NumericSettingsTakeFormulasAsStudentsWriteThem)
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetRange(false, true, "-2^-1", "2(e+1)", "", "");
    EXPECT_EQ(chart.GetEditSettings().m_xMin, -0.5);
    EXPECT_EQ(chart.GetEditSettings().m_xMax, 2 * (2.718281828459045 + 1));
    EXPECT_EQ(Rejection([&] { chart.SetRange(false, true, "2^--1", "1", "", ""); }),
              std::make_pair(std::string("Błąd w minimalnej wartości dla X\n"
                                         "Brak liczby, zmiennej lub funkcji\nna pozycji 2"),
                             2));
}

// Regression: a table of exactly 100000 rows was refused with the message
// that allows it.
TEST(ChartModel, ATableOfTheMostRowsIsAccepted)
{
    FunctionContainer chart;
    chart.BeginEdit();
    EXPECT_NO_THROW(chart.SetTable(false, false, "0", "99999", "1", 0, 0));
    EXPECT_NO_THROW(chart.SetTable(false, false, "0", "999.99", "0.01", 0, 0));
    EXPECT_THROW(chart.SetTable(false, false, "0", "100000", "1", 0, 0), FunctionContainerException);
}

TEST(ChartModel, SettingsAreFormulasAndAutomaticTextsAreNotRead)
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetRange(false, true, "-pi", "2pi", "nonsense", "(((");
    chart.SetTable(false, false, "-1", "sqr(2)", "1/4", 0, 0);
    chart.CommitEdit();
    EXPECT_DOUBLE_EQ(chart.GetSettings().m_xMin, -3.141592653589793);
    EXPECT_DOUBLE_EQ(chart.GetSettings().m_xMax, 2 * 3.141592653589793);
    EXPECT_EQ(chart.GetTableXMaxText(), "4");
    EXPECT_EQ(chart.GetTableStepText(), "0.25");
    EXPECT_EQ(chart.GetTableRowCount(), 0u); // no functions yet

    // Degrees switch the evaluator at once: sin(90) is 1.
    chart.BeginEdit();
    chart.SetComputation(1000, true, true);
    chart.SetRange(false, true, "0", "sin(90)*10", "", "");
    chart.CommitEdit();
    EXPECT_DOUBLE_EQ(chart.GetSettings().m_xMax, 10);
}

TEST(ChartModel, HeaderKeepsEightyCharacters)
{
    FunctionContainer chart;
    const LOGFONTA font = DefaultChartFont();
    chart.BeginEdit();
    chart.SetDescriptions(std::string(100, 'h'), "krótki", true, true, true, true, 0, 0, 0, 0, 0,
                          font, font);
    chart.CommitEdit();
    const ChartSettings& s = chart.GetSettings();
    EXPECT_EQ(std::string(s.m_szHeader), std::string(80, 'h'));
    const auto* bytes = reinterpret_cast<const unsigned char*>(&s);
    EXPECT_EQ(bytes[88], 0);
    EXPECT_EQ(bytes[169], 0);
}

TEST(ChartModel, CancelLeavesTheCommittedChart)
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetFunction("x^2", 0, true, 0);
    chart.CommitEdit();
    const ChartSettings before = chart.GetSettings();
    const std::vector<POINT> points = chart.GetFunctions()[0].m_points;

    chart.BeginEdit();
    chart.SetRange(false, false, "0", "1", "0", "1");
    chart.SetComputation(10, true, false);
    chart.SetCurrent(-1);
    chart.SetFunction("sin(x)", 0, true, 0);
    chart.CancelEdit();
    chart.CommitEdit(); // nothing left to commit
    EXPECT_EQ(std::memcmp(&before, &chart.GetSettings(), sizeof before), 0);
    ASSERT_EQ(chart.GetFunctions().size(), 1u);
    EXPECT_EQ(chart.GetFunctions()[0].m_points, points);
}

TEST(FunctionList, ColoursLabelsAndCurrent)
{
    FunctionContainer chart;
    EXPECT_EQ(chart.GetColor(), RGB(0, 0, 0));
    chart.BeginEdit();
    // The palette: black, orange, sky blue, bluish green, blue, vermillion,
    // reddish purple, and black again.
    const std::vector<COLORREF> cycle = {RGB(0, 0, 0),     RGB(230, 159, 0), RGB(86, 180, 233),
                                         RGB(0, 158, 115), RGB(0, 114, 178), RGB(213, 94, 0),
                                         RGB(204, 121, 167), RGB(0, 0, 0)};
    for (std::size_t i = 0; i < 7; ++i) {
        chart.SetCurrent(-1);
        EXPECT_EQ(chart.GetColor(), cycle[i]) << i;
        chart.SetFunction("x", 0, true, chart.GetColor());
        EXPECT_EQ(chart.GetCurrent(), static_cast<int>(i));
    }
    chart.SetCurrent(-1);
    EXPECT_EQ(chart.GetColor(), cycle[7]);
    EXPECT_EQ(chart.GetFormula(), "");
    EXPECT_EQ(chart.GetLegendLabel(), "");
    EXPECT_TRUE(chart.IsVisible());

    chart.SetCurrent(2);
    chart.SetFunction("x^2", 1, false, RGB(1, 2, 3));
    EXPECT_EQ(chart.GetLegendLabel(), "(x^2)'");
    chart.SetFunction("sin(x)", 2, true, RGB(1, 2, 3));
    EXPECT_EQ(chart.GetLegendLabel(), "(sin(x))''");
    chart.SetFunction("x sin(x)^-2", 0, true, RGB(1, 2, 3));
    EXPECT_EQ(chart.GetLegendLabel(), "x sin(x)^-2"); // as typed, not as compiled
    chart.SetFunction("sin(x)", 2, true, RGB(1, 2, 3));
    EXPECT_EQ(chart.GetFunctionCount(), 7);
    chart.CommitEdit();
    EXPECT_EQ(chart.GetFunctions()[2].m_strFormula, "sin(x)");
    EXPECT_EQ(chart.GetFunctions()[2].m_crColor, RGB(1, 2, 3));
}

TEST(FunctionList, SyntaxErrorChangesNothing)
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetCurrent(-1);
    EXPECT_EQ(Rejection([&] { chart.SetFunction("sin x", 0, true, 0); }),
              std::make_pair(std::string("Brak nawiasu otwierającego"), 4));
    EXPECT_EQ(chart.GetFunctionCount(), 0);
    EXPECT_EQ(chart.GetCurrent(), -1);
    chart.CommitEdit(); // not dirty: no recalculation, still no functions
    EXPECT_TRUE(chart.GetFunctions().empty());
}

TEST(FunctionList, RemovingTheOnlyFunction)
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetFunction("x", 0, true, 0);
    chart.CommitEdit();
    chart.BeginEdit();
    chart.RemoveFunction(0);
    chart.RemoveFunction(5); // no such index: ignored
    EXPECT_EQ(chart.GetFunctionCount(), 0);
    chart.CommitEdit();
    EXPECT_TRUE(chart.GetFunctions().empty());
    EXPECT_EQ(chart.GetTableRowCount(), 0u);
}

} // namespace
