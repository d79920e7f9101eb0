#include "chart/functioncontainer.h"

#include "chart/chartcolors.h"
#include "chart/chartmath.h"
#include "chart/chartmessages.h"
#include "chart/chartimage.h"
#include "chart/functioncontainerexception.h"
#include "engine/functionexception.h"

#include <algorithm>
#include <cstring>

namespace {

// Copies at most 80 characters, up to the first zero, and fills the rest of
// the field with zeros; the terminating byte is always 0.
template <std::size_t N>
void CopyText(char (&field)[N], const std::string& text)
{
    static_assert(N == 81);
    const std::size_t length = std::min(std::strlen(text.c_str()), N - 1);
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), length);
}

} // namespace

LOGFONTA DefaultChartFont()
{
    LOGFONTA font{};
    font.lfHeight = 10;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfPitchAndFamily = FF_SWISS;
    std::memcpy(font.lfFaceName, "Arial", 5);
    return font;
}

FunctionContainer::FunctionContainer()
{
    ResetToDefaults();
}

void FunctionContainer::ResetToDefaults()
{
    m_functions.clear();
    m_zoomHistory.clear();
    BeginEdit();
    const LOGFONTA font = DefaultChartFont();
    SetGrid(true, true, "", "", true, true, RGB(192, 192, 192), RGB(0, 0, 0));
    SetScale(true, true, "", "", true, true, RGB(0, 0, 0), font);
    SetRange(false, true, "-5", "5", "", "");
    SetDescriptions("Wykres", "Wykres", true, false, true, true, RGB(0, 0, 0), RGB(0, 0, 0),
                    RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 255), font, font);
    SetComputation(1000, false, true);
    SetTable(true, true, "", "", "", RGB(0, 0, 0), RGB(255, 255, 255));
    m_bTableVisible = 0;
    m_nTableWidth = kDefaultTableWidth;
    CommitEdit();
}

void FunctionContainer::BeginEdit()
{
    m_editFunctions = m_functions;
    m_editSettings = m_settings;
    m_bListDirty = false;
    m_bSettingsDirty = false;
}

void FunctionContainer::CommitEdit()
{
    if (m_bListDirty || m_bSettingsDirty)
        Recalculate(false);
}

void FunctionContainer::CancelEdit()
{
    if (m_bListDirty || m_bSettingsDirty) {
        m_editFunctions.clear();
        m_bListDirty = false;
        m_bSettingsDirty = false;
    }
    // Settings texts are read in the committed angle unit again.
    m_evaluator.m_bDegrees = m_settings.m_bDegrees != 0;
}

double FunctionContainer::EvaluateSetting(const std::string& text, const char* prefix)
{
    m_evaluator.m_bThrowSyntaxErrors = true;
    m_evaluator.m_bThrowEvalErrors = true;
    try {
        return m_evaluator.SetFormula(text).Evaluate(0);
    } catch (const FunctionException& e) {
        // A message never names position -1.
        const std::string message =
            e.m_nPosition < 0
                ? ChartMessage::Format(ChartMessage::kSettingFormatNoPosition, prefix,
                                       e.m_strMessage.c_str())
                : ChartMessage::Format(ChartMessage::kSettingFormat, prefix,
                                       e.m_strMessage.c_str(), e.m_nPosition);
        throw FunctionContainerException(message, e.m_nPosition);
    }
}

void FunctionContainer::SetGrid(bool autoX, bool autoY, const std::string& x, const std::string& y,
                                bool gridVisible, bool axesVisible, COLORREF grid, COLORREF axes)
{
    ChartSettings& s = m_editSettings;
    m_bSettingsDirty = true;
    if (!autoX)
        s.m_gridX = EvaluateSetting(x, ChartMessage::kGridX);
    if (!autoY)
        s.m_gridY = EvaluateSetting(y, ChartMessage::kGridY);
    s.m_bAutoGridX = autoX;
    s.m_bAutoGridY = autoY;
    s.m_bGridVisible = gridVisible;
    s.m_bAxesVisible = axesVisible;
    s.m_crGrid = grid;
    s.m_crAxes = axes;
}

void FunctionContainer::SetScale(bool autoX, bool autoY, const std::string& x,
                                 const std::string& y, bool xVisible, bool yVisible,
                                 COLORREF text, const LOGFONTA& font)
{
    ChartSettings& s = m_editSettings;
    m_bSettingsDirty = true;
    if (!autoX)
        s.m_scaleStepX = EvaluateSetting(x, ChartMessage::kScaleX);
    if (!autoY)
        s.m_scaleStepY = EvaluateSetting(y, ChartMessage::kScaleY);
    s.m_bAutoScaleX = autoX;
    s.m_bAutoScaleY = autoY;
    s.m_bScaleXVisible = xVisible;
    s.m_bScaleYVisible = yVisible;
    s.m_crScaleText = text;
    s.m_lfScale = font;
}

void FunctionContainer::SetRange(bool autoX, bool autoY, const std::string& xMin,
                                 const std::string& xMax, const std::string& yMin,
                                 const std::string& yMax)
{
    ChartSettings& s = m_editSettings;
    m_bSettingsDirty = true;
    if (autoX) {
        s.m_xMin = -5;
        s.m_xMax = 5;
    } else {
        s.m_xMin = EvaluateSetting(xMin, ChartMessage::kRangeXMin);
        s.m_xMax = EvaluateSetting(xMax, ChartMessage::kRangeXMax);
        if (!(s.m_xMax > s.m_xMin))
            throw FunctionContainerException(ChartMessage::kRangeXOrder.c_str());
    }
    if (autoY) {
        s.m_yMin = -5;
        s.m_yMax = 5;
    } else {
        s.m_yMin = EvaluateSetting(yMin, ChartMessage::kRangeYMin);
        s.m_yMax = EvaluateSetting(yMax, ChartMessage::kRangeYMax);
        if (!(s.m_yMax > s.m_yMin))
            throw FunctionContainerException(ChartMessage::kRangeYOrder.c_str());
    }
    s.m_bAutoRangeX = autoX;
    s.m_bAutoRangeY = autoY;
}

void FunctionContainer::SetDescriptions(const std::string& header, const std::string& caption,
                                        bool headerVisible, bool captionVisible,
                                        bool legendVisible, bool frameVisible,
                                        COLORREF headerText, COLORREF legendText, COLORREF frame,
                                        COLORREF legendBack, COLORREF background,
                                        const LOGFONTA& headerFont, const LOGFONTA& legendFont)
{
    ChartSettings& s = m_editSettings;
    m_bSettingsDirty = true;
    CopyText(s.m_szHeader, header);
    CopyText(s.m_szCaption, caption);
    s.m_bHeaderVisible = headerVisible;
    s.m_bCaptionVisible = captionVisible;
    s.m_bLegendVisible = legendVisible;
    s.m_bFrameVisible = frameVisible;
    s.m_crHeaderText = headerText;
    s.m_crLegendText = legendText;
    s.m_crFrame = frame;
    s.m_crLegendBack = legendBack;
    s.m_crBackground = background;
    s.m_lfHeader = headerFont;
    s.m_lfLegend = legendFont;
}

void FunctionContainer::SetComputation(int32_t points, bool degrees, bool joinPoints)
{
    ChartSettings& s = m_editSettings;
    m_bSettingsDirty = true;
    s.m_nPoints = points;
    s.m_bDegrees = degrees;
    s.m_bJoinPoints = joinPoints;
    m_evaluator.m_bDegrees = degrees;
}

void FunctionContainer::SetTable(bool sync, bool autoStep, const std::string& min,
                                 const std::string& max, const std::string& step, COLORREF text,
                                 COLORREF back)
{
    ChartSettings& s = m_editSettings;
    m_bSettingsDirty = true;
    if (!sync) {
        s.m_tableXMin = EvaluateSetting(min, ChartMessage::kTableMin);
        s.m_tableXMax = EvaluateSetting(max, ChartMessage::kTableMax);
        if (!(s.m_tableXMax > s.m_tableXMin))
            throw FunctionContainerException(ChartMessage::kTableOrder.c_str());
    }
    if (!autoStep) {
        const double value = EvaluateSetting(step, ChartMessage::kTableStep);
        if (!(value > 0))
            throw FunctionContainerException(ChartMessage::kTableStepSign.c_str());
        s.m_tableStep = RaiseTiny(value);
        // The table shows at most kMaxTableRows rows of the range it covers:
        // steps between the first row and the last, with room for the
        // rounding of a quotient that is meant to be whole.
        const double first = sync ? s.m_xMin : s.m_tableXMin;
        const double last = sync ? s.m_xMax : s.m_tableXMax;
        if ((last - first) / s.m_tableStep > static_cast<double>(kMaxTableRows - 1) * (1 + 1e-12))
            throw FunctionContainerException(ChartMessage::kTableTooLong.c_str());
    }
    s.m_bTableSync = sync;
    s.m_bTableAutoStep = autoStep;
    s.m_crTableText = text;
    s.m_crTableBack = back;
}

std::string FunctionContainer::GetXMinText() const { return FormatG(m_settings.m_xMin); }
std::string FunctionContainer::GetXMaxText() const { return FormatG(m_settings.m_xMax); }
std::string FunctionContainer::GetYMinText() const { return FormatG(m_settings.m_yMin); }
std::string FunctionContainer::GetYMaxText() const { return FormatG(m_settings.m_yMax); }
std::string FunctionContainer::GetGridXText() const { return FormatG(m_settings.m_gridX); }
std::string FunctionContainer::GetGridYText() const { return FormatG(m_settings.m_gridY); }
std::string FunctionContainer::GetScaleXText() const { return FormatG(m_settings.m_scaleStepX); }
std::string FunctionContainer::GetScaleYText() const { return FormatG(m_settings.m_scaleStepY); }
std::string FunctionContainer::GetTableXMinText() const { return FormatG(m_settings.m_tableXMin); }
std::string FunctionContainer::GetTableXMaxText() const { return FormatG(m_settings.m_tableXMax); }
std::string FunctionContainer::GetTableStepText() const { return FormatG(m_settings.m_tableStep); }

const std::vector<FunctionEntry>& FunctionContainer::ReadList() const
{
    return m_bListDirty ? m_editFunctions : m_functions;
}

const FunctionEntry* FunctionContainer::CurrentEntry() const
{
    const std::vector<FunctionEntry>& list = ReadList();
    if (m_nCurrent < 0 || static_cast<std::size_t>(m_nCurrent) >= list.size())
        return nullptr;
    return &list[static_cast<std::size_t>(m_nCurrent)];
}

int32_t FunctionContainer::GetFunctionCount() const
{
    return static_cast<int32_t>(ReadList().size());
}

std::string FunctionContainer::GetFormula() const
{
    const FunctionEntry* entry = CurrentEntry();
    return entry ? entry->m_strFormula : std::string();
}

int32_t FunctionContainer::GetDerivative() const
{
    const FunctionEntry* entry = CurrentEntry();
    return entry ? entry->m_nDerivative : 0;
}

bool FunctionContainer::IsVisible() const
{
    const FunctionEntry* entry = CurrentEntry();
    return entry ? entry->m_bVisible : true;
}

COLORREF FunctionContainer::GetColor() const
{
    if (const FunctionEntry* entry = CurrentEntry())
        return entry->m_crColor;
    // A new function takes the next colour of the palette; the colours of
    // functions already in a chart are theirs and never change.
    return PaletteColor(ReadList().size());
}

std::string LegendLabel(const FunctionEntry& entry)
{
    if (entry.m_nDerivative <= 0)
        return entry.m_strFormula;
    // A record from a file may hold any order, so the count is bounded.
    const int32_t order = std::min(entry.m_nDerivative, 2);
    return "(" + entry.m_strFormula + ")" + std::string(static_cast<std::size_t>(order), '\'');
}

std::string FunctionContainer::GetLegendLabel() const
{
    const FunctionEntry* entry = CurrentEntry();
    return entry ? LegendLabel(*entry) : std::string();
}

std::size_t FunctionContainer::GetTableRowCount() const
{
    for (std::size_t i = 0; i < m_functions.size(); ++i) {
        if (!m_functions[i].m_bVisible)
            continue;
        if (m_bTableShared)
            return m_functions[i].m_samples.size();
        return i < m_tableColumns.size() ? m_tableColumns[i].values.size() : 0;
    }
    return 0;
}

std::string FunctionContainer::GetTableText(std::size_t function, std::size_t row) const
{
    if (m_bTableShared) {
        if (function >= m_functions.size())
            return {};
        const FunctionEntry& entry = m_functions[function];
        return GetSampleText(entry.m_samples, entry.m_failed, row);
    }
    if (function >= m_tableColumns.size())
        return {};
    const TableColumn& column = m_tableColumns[function];
    return GetSampleText(column.values, column.failed, row);
}

const std::vector<double>& FunctionContainer::GetTableValues(std::size_t function) const
{
    static const std::vector<double> none;
    if (m_bTableShared)
        return function < m_functions.size() ? m_functions[function].m_samples : none;
    return function < m_tableColumns.size() ? m_tableColumns[function].values : none;
}

std::string FunctionContainer::GetSampleText(const std::vector<double>& values,
                                             const std::vector<uint8_t>& failed, std::size_t row)
{
    if (row >= values.size() || (row < failed.size() && failed[row]))
        return {};
    return FormatG(values[row]);
}

void FunctionContainer::SetFunction(const std::string& formula, int32_t derivative, bool visible,
                                    COLORREF color)
{
    const bool adding = m_nCurrent < 0 || static_cast<std::size_t>(m_nCurrent) >= m_editFunctions.size();
    // A chart with more functions could not be opened again.
    if (adding && m_editFunctions.size() >= kMaxChartFunctions)
        throw FunctionContainerException(ChartMessage::kTooManyFunctions.c_str());
    m_evaluator.m_bThrowSyntaxErrors = true;
    m_evaluator.m_bThrowEvalErrors = true;
    try {
        m_evaluator.SetFormula(formula);
    } catch (const FunctionException& e) {
        throw FunctionContainerException(e.m_strMessage, e.m_nPosition);
    }
    FunctionEntry entry;
    entry.m_strFormula = formula;
    entry.m_nDerivative = derivative;
    entry.m_crColor = color;
    entry.m_bVisible = visible;

    // The accessors read the committed list until the first change; the edit
    // list is a copy of it since BeginEdit.
    if (adding) {
        m_editFunctions.push_back(std::move(entry));
        m_nCurrent = static_cast<int32_t>(m_editFunctions.size()) - 1;
    } else {
        m_editFunctions[static_cast<std::size_t>(m_nCurrent)] = std::move(entry);
    }
    m_bListDirty = true;
}

void FunctionContainer::RemoveFunction(int32_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_editFunctions.size())
        return;
    m_editFunctions.erase(m_editFunctions.begin() + index);
    m_bListDirty = true;
}
