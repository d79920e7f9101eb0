#include "cli/commands.h"

#include "chart/chartfile.h"
#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"
#include "platform/cp1250.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kUsage =
    "new [-f \"WZÓR[;RZĄD[;#RRGGBB[;hidden]]]\"]... [--x MIN:MAX] [--y MIN:MAX] [--points N] "
    "[--degrees] [--dots] [--grid X:Y] [--scale X:Y] [--table MIN:MAX:KROK] [--header TEKST] "
    "[--caption TEKST] -o PLIK";

struct FunctionOption
{
    std::string formula; // code page 1250
    int32_t order = 0;
    std::optional<COLORREF> color;
    bool visible = true;
};

/// A spacing side: a formula text, or automatic.
struct Spacing
{
    bool automatic = true;
    std::string text;
};

std::vector<std::string> Split(std::string_view text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

bool ParseInt(std::string_view text, int32_t& value)
{
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::optional<COLORREF> ParseColor(std::string_view text)
{
    unsigned value = 0;
    if (text.size() != 7 || text[0] != '#')
        return std::nullopt;
    auto [end, error] = std::from_chars(text.data() + 1, text.data() + 7, value, 16);
    if (error != std::errc() || end != text.data() + 7)
        return std::nullopt;
    return RGB(static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
               static_cast<uint8_t>(value));
}

// Refusals of our own, in the system's language.
int Refuse(const std::string& utf8)
{
    return ReportError(Cp1250::FromUtf8(utf8));
}

} // namespace

int RunNew(int argc, char** argv)
{
    std::vector<FunctionOption> functions;
    std::optional<std::pair<std::string, std::string>> rangeX, rangeY;
    std::optional<Spacing> gridX, gridY, scaleX, scaleY;
    std::optional<int32_t> points;
    bool degrees = false;
    bool dots = false;
    bool tableSync = true;
    bool tableAutoStep = true;
    std::string tableMin, tableMax, tableStep;
    std::optional<std::string> header, caption;
    std::string output;

    for (int i = 0; i < argc; ++i) {
        const std::string_view option = argv[i];
        const bool takesValue = option == "-f" || option == "--x" || option == "--y" ||
                                option == "--points" || option == "--grid" ||
                                option == "--scale" || option == "--table" ||
                                option == "--header" || option == "--caption" || option == "-o";
        if (takesValue && i + 1 >= argc)
            return Refuse("brak wartości opcji " + std::string(option));
        const std::string value = takesValue ? Cp1250::FromUtf8(argv[++i]) : std::string();

        if (option == "-f") {
            const std::vector<std::string> parts = Split(value, ';');
            if (parts.size() > 4)
                return Refuse("niepoprawna funkcja: " + Cp1250::ToUtf8(value));
            FunctionOption f;
            f.formula = parts[0];
            if (parts.size() > 1 && !parts[1].empty()) {
                if (!ParseInt(parts[1], f.order) || f.order < 0 || f.order > 2)
                    return Refuse("Rząd pochodnej musi być równy 0, 1 lub 2: " + parts[1]);
            }
            if (parts.size() > 2 && !parts[2].empty()) {
                f.color = ParseColor(parts[2]);
                if (!f.color)
                    return Refuse("niepoprawny kolor (oczekiwano #RRGGBB): " + parts[2]);
            }
            if (parts.size() > 3) {
                if (parts[3] != "hidden")
                    return Refuse("oczekiwano 'hidden': " + Cp1250::ToUtf8(parts[3]));
                f.visible = false;
            }
            functions.push_back(std::move(f));
        } else if (option == "--x" || option == "--y") {
            const std::vector<std::string> parts = Split(value, ':');
            if (parts.size() != 2)
                return Refuse("oczekiwano MIN:MAX: " + Cp1250::ToUtf8(value));
            (option == "--x" ? rangeX : rangeY) = std::make_pair(parts[0], parts[1]);
        } else if (option == "--points") {
            int32_t n = 0;
            if (!ParseInt(value, n) || n < 1 || n > FunctionContainer::kMaxPoints)
                return Refuse("Liczba kroków musi być liczbą całkowitą od 1 do 10000");
            points = n;
        } else if (option == "--grid" || option == "--scale") {
            const std::vector<std::string> parts = Split(value, ':');
            if (parts.size() != 2)
                return Refuse("oczekiwano X:Y: " + Cp1250::ToUtf8(value));
            auto side = [](const std::string& text) {
                return text == "auto" ? Spacing{true, ""} : Spacing{false, text};
            };
            (option == "--grid" ? gridX : scaleX) = side(parts[0]);
            (option == "--grid" ? gridY : scaleY) = side(parts[1]);
        } else if (option == "--table") {
            const std::vector<std::string> parts = Split(value, ':');
            if (parts.size() == 2 && parts[0] == "sync") {
                tableStep = parts[1];
            } else if (parts.size() == 3) {
                tableSync = false;
                tableMin = parts[0];
                tableMax = parts[1];
                tableStep = parts[2];
            } else {
                return Refuse("oczekiwano MIN:MAX:KROK lub sync:KROK: " + Cp1250::ToUtf8(value));
            }
            tableAutoStep = tableStep == "auto";
        } else if (option == "--header") {
            header = value;
        } else if (option == "--caption") {
            caption = value;
        } else if (option == "--degrees") {
            degrees = true;
        } else if (option == "--dots") {
            dots = true;
        } else if (option == "-o") {
            output = argv[i];
        } else {
            return UsageError(kUsage);
        }
    }
    if (output.empty())
        return UsageError(kUsage);

    FunctionContainer chart;
    try {
        chart.BeginEdit();
        const ChartSettings& s = chart.GetEditSettings();
        // The angle unit first: the range and spacing texts are read in it.
        chart.SetComputation(points.value_or(s.m_nPoints), degrees, !dots);
        // Without --x the range is the fixed -5 ... 5 of a new chart.
        const auto x = rangeX.value_or(std::make_pair(std::string("-5"), std::string("5")));
        chart.SetRange(false, !rangeY, x.first, x.second, rangeY ? rangeY->first : "",
                       rangeY ? rangeY->second : "");
        if (gridX) {
            chart.SetGrid(gridX->automatic, gridY->automatic, gridX->text, gridY->text,
                          s.m_bGridVisible, s.m_bAxesVisible, s.m_crGrid, s.m_crAxes);
        }
        if (scaleX) {
            chart.SetScale(scaleX->automatic, scaleY->automatic, scaleX->text, scaleY->text,
                           s.m_bScaleXVisible, s.m_bScaleYVisible, s.m_crScaleText, s.m_lfScale);
        }
        chart.SetTable(tableSync, tableAutoStep, tableMin, tableMax, tableStep, s.m_crTableText,
                       s.m_crTableBack);
        if (header || caption) {
            chart.SetDescriptions(header.value_or(s.m_szHeader), caption.value_or(s.m_szCaption),
                                  s.m_bHeaderVisible, caption ? true : s.m_bCaptionVisible,
                                  s.m_bLegendVisible, s.m_bFrameVisible, s.m_crHeaderText,
                                  s.m_crLegendText, s.m_crFrame, s.m_crLegendBack,
                                  s.m_crBackground, s.m_lfHeader, s.m_lfLegend);
        }
        for (std::size_t i = 0; i < functions.size(); ++i) {
            const FunctionOption& f = functions[i];
            chart.SetCurrent(-1);
            try {
                chart.SetFunction(f.formula, f.order, f.visible,
                                  f.color.value_or(chart.GetColor()));
            } catch (const FunctionContainerException& e) {
                // Which of the formulas, and where in it, as eval says it.
                std::fprintf(stderr, "-f %zu: syntax error: %s at %d\n", i + 1,
                             Cp1250::ToUtf8(e.m_strMessage).c_str(), e.m_nPosition);
                return 1;
            }
        }
        chart.CommitEdit();
        SaveChartFile(chart, output);
    } catch (const FunctionContainerException& e) {
        return ReportError(e.m_strMessage);
    }
    return 0;
}
