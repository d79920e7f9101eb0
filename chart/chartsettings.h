#pragma once

#include "platform/wintypes.h"

#include <cstddef>
#include <cstdint>

/// Every setting of a chart, as the fixed 504-byte record that is copied whole
/// between the committed and the edit copy and written to the chart file byte
/// for byte. Flags are single bytes where any non-zero value means set; the
/// padding bytes are members so that they travel with the record unchanged.
/// Ranges and spacings are in chart units.
struct ChartSettings
{
    COLORREF m_crBackground;
    int32_t m_nPoints;        ///< sampling steps across the x range
    char m_szHeader[81];      ///< 80 characters and a terminating zero
    char m_szCaption[81];
    uint8_t m_bAxesVisible;
    uint8_t m_bGridVisible;
    uint8_t m_bScaleXVisible;
    uint8_t m_bScaleYVisible;
    uint8_t m_bFrameVisible;
    uint8_t m_bLegendVisible;
    uint8_t m_bHeaderVisible;
    uint8_t m_bCaptionVisible;
    uint8_t m_bAutoRangeX;    ///< the x range was set as the fixed -5 ... 5
    uint8_t m_bAutoRangeY;    ///< the y range is fitted to the curves
    uint8_t m_bAutoGridX;
    uint8_t m_bAutoGridY;
    uint8_t m_bAutoScaleX;
    uint8_t m_bAutoScaleY;
    double m_gridX;
    double m_gridY;
    double m_scaleStepX;
    double m_scaleStepY;
    double m_xMin;
    double m_xMax;
    double m_yMin;
    double m_yMax;
    LOGFONTA m_lfScale;
    LOGFONTA m_lfLegend;
    LOGFONTA m_lfHeader;      ///< header and caption
    COLORREF m_crGrid;
    COLORREF m_crScaleText;
    COLORREF m_crAxes;
    COLORREF m_crHeaderText;
    COLORREF m_crLegendText;
    COLORREF m_crFrame;       ///< frame, scale ticks and legend border
    COLORREF m_crLegendBack;
    COLORREF m_crTableText;
    COLORREF m_crTableBack;
    uint8_t m_bDegrees;
    uint8_t m_bJoinPoints;    ///< curves as lines (set) or single pixels
    uint8_t m_padding466[6];
    double m_tableXMin;
    double m_tableXMax;
    double m_tableStep;
    uint8_t m_bTableSync;     ///< the table range follows the chart's x range
    uint8_t m_bTableAutoStep;
    uint8_t m_padding498[6];
};

static_assert(sizeof(ChartSettings) == 504);
static_assert(offsetof(ChartSettings, m_crBackground) == 0);
static_assert(offsetof(ChartSettings, m_nPoints) == 4);
static_assert(offsetof(ChartSettings, m_szHeader) == 8);
static_assert(offsetof(ChartSettings, m_szCaption) == 89);
static_assert(offsetof(ChartSettings, m_bAxesVisible) == 170);
static_assert(offsetof(ChartSettings, m_bGridVisible) == 171);
static_assert(offsetof(ChartSettings, m_bScaleXVisible) == 172);
static_assert(offsetof(ChartSettings, m_bScaleYVisible) == 173);
static_assert(offsetof(ChartSettings, m_bFrameVisible) == 174);
static_assert(offsetof(ChartSettings, m_bLegendVisible) == 175);
static_assert(offsetof(ChartSettings, m_bHeaderVisible) == 176);
static_assert(offsetof(ChartSettings, m_bCaptionVisible) == 177);
static_assert(offsetof(ChartSettings, m_bAutoRangeX) == 178);
static_assert(offsetof(ChartSettings, m_bAutoRangeY) == 179);
static_assert(offsetof(ChartSettings, m_bAutoGridX) == 180);
static_assert(offsetof(ChartSettings, m_bAutoGridY) == 181);
static_assert(offsetof(ChartSettings, m_bAutoScaleX) == 182);
static_assert(offsetof(ChartSettings, m_bAutoScaleY) == 183);
static_assert(offsetof(ChartSettings, m_gridX) == 184);
static_assert(offsetof(ChartSettings, m_gridY) == 192);
static_assert(offsetof(ChartSettings, m_scaleStepX) == 200);
static_assert(offsetof(ChartSettings, m_scaleStepY) == 208);
static_assert(offsetof(ChartSettings, m_xMin) == 216);
static_assert(offsetof(ChartSettings, m_xMax) == 224);
static_assert(offsetof(ChartSettings, m_yMin) == 232);
static_assert(offsetof(ChartSettings, m_yMax) == 240);
static_assert(offsetof(ChartSettings, m_lfScale) == 248);
static_assert(offsetof(ChartSettings, m_lfLegend) == 308);
static_assert(offsetof(ChartSettings, m_lfHeader) == 368);
static_assert(offsetof(ChartSettings, m_crGrid) == 428);
static_assert(offsetof(ChartSettings, m_crScaleText) == 432);
static_assert(offsetof(ChartSettings, m_crAxes) == 436);
static_assert(offsetof(ChartSettings, m_crHeaderText) == 440);
static_assert(offsetof(ChartSettings, m_crLegendText) == 444);
static_assert(offsetof(ChartSettings, m_crFrame) == 448);
static_assert(offsetof(ChartSettings, m_crLegendBack) == 452);
static_assert(offsetof(ChartSettings, m_crTableText) == 456);
static_assert(offsetof(ChartSettings, m_crTableBack) == 460);
static_assert(offsetof(ChartSettings, m_bDegrees) == 464);
static_assert(offsetof(ChartSettings, m_bJoinPoints) == 465);
static_assert(offsetof(ChartSettings, m_padding466) == 466);
static_assert(offsetof(ChartSettings, m_tableXMin) == 472);
static_assert(offsetof(ChartSettings, m_tableXMax) == 480);
static_assert(offsetof(ChartSettings, m_tableStep) == 488);
static_assert(offsetof(ChartSettings, m_bTableSync) == 496);
static_assert(offsetof(ChartSettings, m_bTableAutoStep) == 497);
static_assert(offsetof(ChartSettings, m_padding498) == 498);

/// The font record that a new chart uses for all three fonts: Arial of 10
/// points, normal weight, default character set, swiss family.
LOGFONTA DefaultChartFont();
