#pragma once

#include "chart/chartsettings.h"
#include "chart/functionentry.h"
#include "chart/ticks.h"
#include "engine/function.h"
#include "platform/wintypes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ArchiveReader;
class ArchiveWriter;
class DeviceContext;
struct ChartMarks;
enum class ChartParse;

/// A chart font on a device: the stored height is in points.
LOGFONTA ChartFontOnDevice(const LOGFONTA& font, const DeviceContext& dc);

/// A point of the chart under the mouse (chart units).
struct WorldPoint
{
    double x;
    double y;
    bool inside; ///< within the visible ranges
};

/// The chart model: the function list, every setting, the zoom history and the
/// computed curves of one chart.
///
/// Settings and the function list exist twice. Drawing, the value table and
/// files use the committed copy; dialogs change the edit copy through the
/// validated setters between BeginEdit and CommitEdit (or CancelEdit). Zoom,
/// pan and loading change the committed ranges directly and recalculate.
///
/// Curves live in a logical space of 32000 x 24000 units with the origin at
/// the lower left corner of the plot (x min, y min).
class FunctionContainer
{
public:
    static constexpr int32_t kLogicalWidth = 32000;
    static constexpr int32_t kLogicalHeight = 24000;
    /// The sample stored where evaluation failed: 2^64.
    static constexpr double kErrorValue = 18446744073709551616.0;
    /// Zoom history: four values (x min, x max, y min, y max) per level.
    static constexpr std::size_t kHistoryLimit = 40;
    /// Sampling steps used at most, whatever a record says.
    static constexpr int32_t kMaxPoints = 10000;
    /// Rows of a value table: SetTable refuses a longer one, and a table from
    /// a file shows its first rows only.
    static constexpr std::size_t kMaxTableRows = 100000;
    /// The value table's width in a new chart (pixels).
    static constexpr int32_t kDefaultTableWidth = 153;
    /// Bounds on the memory and time of one recalculation, whatever the chart.
    /// They never change a stored value, only how much is computed. Samples
    /// over all visible curves: 100 visible functions at kMaxPoints steps are
    /// sampled exactly; more take fewer steps each, and a chart with more
    /// visible functions than the bound can sample at all leaves the last
    /// ones without samples. Values of a value table of its own range: 100
    /// visible functions of kMaxTableRows rows are computed whole; more get
    /// the first rows of the table only.
    static constexpr std::size_t kMaxChartSamples = 2000000;
    static constexpr std::size_t kMaxTableCells = 100 * kMaxTableRows;

    FunctionContainer();

    // Editing. The setters change only the edit copy and throw
    // FunctionContainerException with the system's message on bad input;
    // numeric texts are formulas evaluated at x = 0 and read only when the
    // matching automatic flag is clear.
    void ResetToDefaults();
    void BeginEdit();
    void CommitEdit();
    void CancelEdit();
    void SetGrid(bool autoX, bool autoY, const std::string& x, const std::string& y,
                 bool gridVisible, bool axesVisible, COLORREF grid, COLORREF axes);
    void SetScale(bool autoX, bool autoY, const std::string& x, const std::string& y,
                  bool xVisible, bool yVisible, COLORREF text, const LOGFONTA& font);
    void SetRange(bool autoX, bool autoY, const std::string& xMin, const std::string& xMax,
                  const std::string& yMin, const std::string& yMax);
    void SetDescriptions(const std::string& header, const std::string& caption,
                         bool headerVisible, bool captionVisible, bool legendVisible,
                         bool frameVisible, COLORREF headerText, COLORREF legendText,
                         COLORREF frame, COLORREF legendBack, COLORREF background,
                         const LOGFONTA& headerFont, const LOGFONTA& legendFont);
    void SetComputation(int32_t points, bool degrees, bool joinPoints);
    void SetTable(bool sync, bool autoStep, const std::string& min, const std::string& max,
                  const std::string& step, COLORREF text, COLORREF back);

    // Committed values formatted with "%g", for the dialogs' edit fields.
    std::string GetXMinText() const;
    std::string GetXMaxText() const;
    std::string GetYMinText() const;
    std::string GetYMaxText() const;
    std::string GetGridXText() const;
    std::string GetGridYText() const;
    std::string GetScaleXText() const;
    std::string GetScaleYText() const;
    std::string GetTableXMinText() const;
    std::string GetTableXMaxText() const;
    std::string GetTableStepText() const;

    // The function list. Accessors read the edit list while it has unsaved
    // changes, the committed list otherwise, and act on the current function;
    // current -1 means none, which they read as a new function.
    int32_t GetCurrent() const { return m_nCurrent; }
    void SetCurrent(int32_t index) { m_nCurrent = index; }
    int32_t GetFunctionCount() const;
    std::string GetFormula() const;
    int32_t GetDerivative() const;
    bool IsVisible() const;
    COLORREF GetColor() const;
    std::string GetLegendLabel() const;
    /// Computes the values of a value table of its own range or step when
    /// what it shows (the visible functions with their formulas and orders,
    /// the table's range, step and flags, the angle unit) changed since they
    /// were last computed; a table that shows the chart's own samples needs
    /// nothing. Recalculation never computes them, so a pan or zoom costs
    /// nothing for a table of its own range and a chart nobody's table shows
    /// never computes one: whoever shows the table calls this first.
    void UpdateTable();
    /// How many times UpdateTable has computed a table's values.
    std::size_t GetTableComputations() const { return m_nTableComputations; }
    /// Rows of the value table: the values of the first visible function
    /// (as of the last UpdateTable for a table of its own range).
    std::size_t GetTableRowCount() const;
    /// One cell of the value table: function index `function` of the
    /// committed list at row `row`, as GetSampleText formats it; empty for a
    /// function or row the table has no value for.
    std::string GetTableText(std::size_t function, std::size_t row) const;
    /// The values the value table shows for function index `function` of the
    /// committed list (the error value where the evaluation failed); empty
    /// for a function without any.
    const std::vector<double>& GetTableValues(std::size_t function) const;
    /// One sample as the value table shows it: "%g" of the value, NaN
    /// included, and empty where the evaluation failed or the row is past the
    /// values.
    static std::string GetSampleText(const std::vector<double>& values,
                                     const std::vector<uint8_t>& failed, std::size_t row);
    /// Compiles the formula (a syntax error is thrown with the parser's message
    /// and position and changes nothing), then replaces the current function
    /// or, with current -1, appends one and makes it current.
    void SetFunction(const std::string& formula, int32_t derivative, bool visible,
                     COLORREF color);
    void RemoveFunction(int32_t index);

    // Geometry, zoom and pan. Device coordinates are those of the last drawing
    // (m_rcPlot).
    void Recalculate(bool keepRanges);
    void ZoomAbout(double factor);
    void ZoomToRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void UndoZoom();
    /// Scales both ranges by 1/factor about the device point (px, py), so the
    /// chart point there stays there, then recalculates keeping the ranges.
    /// With `newLevel` the ranges before are saved in the history first, as
    /// ZoomAbout does; without, the step belongs to the level an earlier step
    /// saved (one wheel or pinch gesture is one level). A factor that is not
    /// a finite positive number, or a plot not drawn yet, changes nothing.
    /// Given `layout`, a device that measures text as the one the chart will
    /// be drawn on (it need draw nothing), and the target rectangle there,
    /// the point stays under (px, py) on the plot as the new ranges lay it
    /// out, whose left edge follows the width of the scale labels.
    void ZoomAtPoint(double factor, double px, double py, bool newLevel,
                     DeviceContext* layout = nullptr, const RECT& target = {});
    /// Device units, fractions included (the arrow keys move a tenth).
    void Pan(double dx, double dy);
    WorldPoint PixelToWorld(int32_t px, int32_t py) const;
    /// The arguments at which recalculation samples the visible curves over
    /// min ... max (chart units, min < max): the committed number of steps,
    /// bounded as sampling bounds it, and the step raised to at least 1e-10.
    /// Over the committed x range these are the arguments of m_samples.
    std::vector<double> SampleArguments(double min, double max) const;
    bool CanUndoZoom() const { return m_zoomHistory.size() >= 4; }

    /// Draws the committed chart into the target rectangle (device units) and
    /// records the plot rectangle for the mouse. What was selected on the
    /// device before is selected again afterwards. The legend walks the list
    /// through the current index, which is left on the last function.
    /// With `marks`, the shaded area goes under the curves, the rings over
    /// them and the area's label over the legend's corner of the plot; the
    /// marks learn where their rings were drawn.
    void Draw(DeviceContext& dc, const RECT& target, ChartMarks* marks = nullptr);
    /// The scale labels of the x axis (horizontal) or the y axis, in tick
    /// order, as the last drawing wrote them (UTF-8: a label may read "π");
    /// an empty label for a tick left unlabelled.
    std::vector<std::string> GetScaleLabels(bool horizontal) const;
    /// Where the last drawing put the legend box (device units); empty
    /// without a legend.
    const RECT& GetLegendRect() const { return m_rcLegend; }
    /// How automatic spacings are chosen: the program's switches, the same
    /// for every chart. Takes effect at the next recalculation.
    void SetSpacingRule(const SpacingRule& rule) { m_spacingRule = rule; }
    const SpacingRule& GetSpacingRule() const { return m_spacingRule; }

    /// Writes the committed chart in the chart file format.
    void Store(ArchiveWriter& archive) const;
    /// Reads one chart and, only when it is whole and well formed, appends its
    /// functions and zoom history, takes its settings and table values and
    /// recalculates keeping the stored ranges. Otherwise nothing changes.
    ChartParse Load(ArchiveReader& archive);

    const ChartSettings& GetSettings() const { return m_settings; }
    const ChartSettings& GetEditSettings() const { return m_editSettings; }
    /// Takes a whole record as the committed settings, as loading does; call
    /// Recalculate afterwards.
    void ReplaceSettings(const ChartSettings& settings) { m_settings = settings; }
    const std::vector<FunctionEntry>& GetFunctions() const { return m_functions; }
    const std::vector<double>& GetZoomHistory() const { return m_zoomHistory; }
    double GetScaleX() const { return m_scaleX; }
    double GetScaleY() const { return m_scaleY; }
    const RECT& GetPlotRect() const { return m_rcPlot; }
    void SetPlotRect(const RECT& rect) { m_rcPlot = rect; }
    bool IsTableVisible() const { return m_bTableVisible != 0; }
    void SetTableVisible(bool visible) { m_bTableVisible = visible ? 1 : 0; }
    int32_t GetTableWidth() const { return m_nTableWidth; }
    void SetTableWidth(int32_t width) { m_nTableWidth = width; }

private:
    const std::vector<FunctionEntry>& ReadList() const;
    const FunctionEntry* CurrentEntry() const;
    double EvaluateSetting(const std::string& text, const char* prefix);
    void SaveZoomLevel();
    /// Recalculation's last step for the grid and scale spacings: automatic
    /// ones from the ranges by the spacing rule, and any that is not a
    /// positive number made automatic.
    void SettleSpacings();

    // Drawing steps; r is the layout rectangle, shrunk as they go.
    void DrawTitles(DeviceContext& dc, RECT& r) const;
    /// The scale of one axis laid out in r, the scale font selected.
    AxisScale ScaleOf(DeviceContext& dc, bool horizontal, const RECT& r, const RECT& target) const;
    void DrawScales(DeviceContext& dc, RECT& r, const RECT& target, double sx, double sy,
                    AxisScale& scaleX, AxisScale& scaleY);
    /// The chart values of the grid lines of one axis (scale: its labels as
    /// drawn, none when hidden).
    std::vector<double> GridLines(bool horizontal, const AxisScale& scale, int32_t extent) const;
    void DrawGrid(DeviceContext& dc, const RECT& target, double sx, double sy,
                  const AxisScale& scaleX, const AxisScale& scaleY) const;
    void DrawAxes(DeviceContext& dc, const RECT& r, double sx, double sy) const;
    void DrawCurves(DeviceContext& dc) const;
    void DrawFrame(DeviceContext& dc) const;
    RECT LegendBox(DeviceContext& dc, const RECT& r);
    void DrawLegend(DeviceContext& dc, const RECT& r);
    // The marks (markdrawing.cpp).
    void DrawShade(DeviceContext& dc, const ChartMarks& marks, double sx, double sy) const;
    void DrawRings(DeviceContext& dc, ChartMarks& marks, const RECT& plot, double sx, double sy) const;
    void DrawAreaLabel(DeviceContext& dc, const ChartMarks& marks, const RECT& plot, double sx,
                       double sy) const;

    // Recalculation steps.
    std::size_t VisibleCount() const;
    void SampleCurves(bool fitRangeY, int32_t points, double step);
    void BuildCurves(double step);
    void SettleTable(double step, double exactStep);
    /// Fills the entry's samples and failure flags at the arguments xs.
    void SampleFunction(const FunctionEntry& entry, const std::vector<double>& xs,
                        std::vector<double>& values, std::vector<uint8_t>& failed);
    /// Takes `xs.size()` values from `budget` and samples the entry, or, when
    /// the budget has not that many left, leaves it without samples.
    void SampleWithin(const FunctionEntry& entry, const std::vector<double>& xs,
                      std::size_t& budget, std::vector<double>& values,
                      std::vector<uint8_t>& failed);

    /// What a value table of its own range shows; its values are computed
    /// again only when this changes.
    struct TableKey
    {
        std::vector<std::size_t> functions; ///< committed-list indexes of the visible ones
        std::vector<std::string> formulas;
        std::vector<int32_t> orders;
        double xMin = 0;
        double xMax = 0;
        double step = 0;
        int32_t flags = 0; ///< sync, automatic step and degrees, one bit each
        bool operator==(const TableKey&) const = default;
    };
    /// The values of one function in a table of its own range.
    struct TableColumn
    {
        std::vector<double> values;
        std::vector<uint8_t> failed;
    };
    TableKey CurrentTableKey() const;

    Function m_evaluator;
    std::vector<double> m_zoomHistory;
    double m_scaleX = 0;
    double m_scaleY = 0;
    RECT m_rcPlot = {0, 0, 0, 0};
    RECT m_rcLegend = {0, 0, 0, 0};
    /// The target of the last drawing less its header and caption.
    RECT m_rcInner = {0, 0, 0, 0};
    std::vector<std::string> m_scaleLabelsX;
    std::vector<std::string> m_scaleLabelsY;
    SpacingRule m_spacingRule;
    /// A visible function calls sin, cos, tg or ctg (as of the last
    /// recalculation): its x axis may be marked in multiples of π.
    bool m_bTrigonometric = false;
    bool m_bSettingsDirty = false;
    bool m_bListDirty = false;
    int32_t m_nCurrent = -1;
    std::vector<FunctionEntry> m_functions;
    std::vector<FunctionEntry> m_editFunctions;
    ChartSettings m_settings{};
    ChartSettings m_editSettings{};
    /// The table shows the chart's samples, not values of its own.
    bool m_bTableShared = true;
    /// The values of a table of its own range, by committed-list index, and
    /// what they show (none until first computed).
    std::vector<TableColumn> m_tableColumns;
    std::optional<TableKey> m_tableKey;
    std::size_t m_nTableComputations = 0;
    int32_t m_bTableVisible = 0;
    int32_t m_nTableWidth = kDefaultTableWidth;
};
