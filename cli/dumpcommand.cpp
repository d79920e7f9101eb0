#include "cli/commands.h"
#include "cli/jsonwriter.h"

#include "chart/chartfile.h"
#include "chart/chartimage.h"
#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"
#include "framework/chartrender.h"
#include "platform/cp1250.h"

#include <QGuiApplication>

#include <clocale>

#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

void WriteFont(JsonWriter& json, std::string_view name, const LOGFONTA& font)
{
    json.Key(name);
    json.BeginObject();
    json.Key("lfHeight"), json.Integer(font.lfHeight);
    json.Key("lfWidth"), json.Integer(font.lfWidth);
    json.Key("lfEscapement"), json.Integer(font.lfEscapement);
    json.Key("lfOrientation"), json.Integer(font.lfOrientation);
    json.Key("lfWeight"), json.Integer(font.lfWeight);
    json.Key("lfItalic"), json.Integer(font.lfItalic);
    json.Key("lfUnderline"), json.Integer(font.lfUnderline);
    json.Key("lfStrikeOut"), json.Integer(font.lfStrikeOut);
    json.Key("lfCharSet"), json.Integer(font.lfCharSet);
    json.Key("lfOutPrecision"), json.Integer(font.lfOutPrecision);
    json.Key("lfClipPrecision"), json.Integer(font.lfClipPrecision);
    json.Key("lfQuality"), json.Integer(font.lfQuality);
    json.Key("lfPitchAndFamily"), json.Integer(font.lfPitchAndFamily);
    json.Key("lfFaceName");
    json.String(Cp1250::ToUtf8(std::string_view(font.lfFaceName,
                                                strnlen(font.lfFaceName, sizeof font.lfFaceName))));
    json.EndObject();
}

void WriteBytes(JsonWriter& json, std::string_view name, const uint8_t* bytes, std::size_t size)
{
    json.Key(name);
    json.BeginArray();
    for (std::size_t i = 0; i < size; ++i)
        json.Integer(bytes[i]);
    json.EndArray();
}

void WriteText(JsonWriter& json, std::string_view name, const char* field, std::size_t size)
{
    json.Key(name);
    json.String(Cp1250::ToUtf8(std::string_view(field, strnlen(field, size))));
}

void WriteSettings(JsonWriter& json, const ChartSettings& s)
{
    auto integer = [&](std::string_view name, int64_t v) { json.Key(name), json.Integer(v); };
    auto flag = [&](std::string_view name, uint8_t v) { json.Key(name), json.Bool(v != 0); };
    auto real = [&](std::string_view name, double v) { json.Key(name), json.Double(v); };

    json.Key("settings");
    json.BeginObject();
    integer("m_crBackground", s.m_crBackground);
    integer("m_nPoints", s.m_nPoints);
    WriteText(json, "m_szHeader", s.m_szHeader, sizeof s.m_szHeader);
    WriteText(json, "m_szCaption", s.m_szCaption, sizeof s.m_szCaption);
    flag("m_bAxesVisible", s.m_bAxesVisible);
    flag("m_bGridVisible", s.m_bGridVisible);
    flag("m_bScaleXVisible", s.m_bScaleXVisible);
    flag("m_bScaleYVisible", s.m_bScaleYVisible);
    flag("m_bFrameVisible", s.m_bFrameVisible);
    flag("m_bLegendVisible", s.m_bLegendVisible);
    flag("m_bHeaderVisible", s.m_bHeaderVisible);
    flag("m_bCaptionVisible", s.m_bCaptionVisible);
    flag("m_bAutoRangeX", s.m_bAutoRangeX);
    flag("m_bAutoRangeY", s.m_bAutoRangeY);
    flag("m_bAutoGridX", s.m_bAutoGridX);
    flag("m_bAutoGridY", s.m_bAutoGridY);
    flag("m_bAutoScaleX", s.m_bAutoScaleX);
    flag("m_bAutoScaleY", s.m_bAutoScaleY);
    real("m_gridX", s.m_gridX);
    real("m_gridY", s.m_gridY);
    real("m_scaleStepX", s.m_scaleStepX);
    real("m_scaleStepY", s.m_scaleStepY);
    real("m_xMin", s.m_xMin);
    real("m_xMax", s.m_xMax);
    real("m_yMin", s.m_yMin);
    real("m_yMax", s.m_yMax);
    WriteFont(json, "m_lfScale", s.m_lfScale);
    WriteFont(json, "m_lfLegend", s.m_lfLegend);
    WriteFont(json, "m_lfHeader", s.m_lfHeader);
    integer("m_crGrid", s.m_crGrid);
    integer("m_crScaleText", s.m_crScaleText);
    integer("m_crAxes", s.m_crAxes);
    integer("m_crHeaderText", s.m_crHeaderText);
    integer("m_crLegendText", s.m_crLegendText);
    integer("m_crFrame", s.m_crFrame);
    integer("m_crLegendBack", s.m_crLegendBack);
    integer("m_crTableText", s.m_crTableText);
    integer("m_crTableBack", s.m_crTableBack);
    flag("m_bDegrees", s.m_bDegrees);
    flag("m_bJoinPoints", s.m_bJoinPoints);
    WriteBytes(json, "padding466", s.m_padding466, sizeof s.m_padding466);
    real("m_tableXMin", s.m_tableXMin);
    real("m_tableXMax", s.m_tableXMax);
    real("m_tableStep", s.m_tableStep);
    flag("m_bTableSync", s.m_bTableSync);
    flag("m_bTableAutoStep", s.m_bTableAutoStep);
    WriteBytes(json, "padding498", s.m_padding498, sizeof s.m_padding498);
    json.EndObject();
}

void WriteFunction(JsonWriter& json, const FunctionEntry& f, bool computed)
{
    json.BeginObject();
    json.Key("m_strFormula"), json.String(Cp1250::ToUtf8(f.m_strFormula));
    json.Key("m_crColor"), json.Integer(f.m_crColor);
    json.Key("m_nDerivative"), json.Integer(f.m_nDerivative);
    json.Key("m_bVisible"), json.Bool(f.m_bVisible);
    if (computed) {
        json.Key("m_samples");
        json.BeginArray();
        for (double v : f.m_samples)
            json.Double(v);
        json.EndArray();
        json.Key("m_points");
        json.BeginArray();
        for (const POINT& p : f.m_points) {
            json.BeginArray();
            json.Integer(p.x);
            json.Integer(p.y);
            json.EndArray();
        }
        json.EndArray();
        json.Key("m_counts");
        json.BeginArray();
        for (uint32_t c : f.m_counts)
            json.Integer(c);
        json.EndArray();
    }
    json.EndObject();
}

} // namespace

// dump [--computed] FILE
int RunDump(int argc, char** argv)
{
    bool computed = false;
    const char* path = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--computed") == 0)
            computed = true;
        else if (!path)
            path = argv[i];
        else
            return UsageError("dump [--computed] PLIK");
    }
    if (!path)
        return UsageError("dump [--computed] PLIK");

    FunctionContainer chart;
    try {
        LoadChartFile(chart, path);
    } catch (const FunctionContainerException& e) {
        return ReportError(e.m_strMessage);
    }

    JsonWriter json;
    json.BeginObject();
    json.Key("header"), json.String(kChartHeader);
    json.Key("functions");
    json.BeginArray();
    for (const FunctionEntry& f : chart.GetFunctions())
        WriteFunction(json, f, computed);
    json.EndArray();
    WriteSettings(json, chart.GetSettings());
    json.Key("history");
    json.BeginArray();
    for (double v : chart.GetZoomHistory())
        json.Double(v);
    json.EndArray();
    json.Key("m_bTableVisible"), json.Integer(chart.IsTableVisible() ? 1 : 0);
    json.Key("m_nTableWidth"), json.Integer(chart.GetTableWidth());
    if (computed) {
        json.Key("m_scaleX"), json.Double(chart.GetScaleX());
        json.Key("m_scaleY"), json.Double(chart.GetScaleY());
        // The scale labels as drawn at render's default size of 800 x 600,
        // measured with the fonts the picture uses.
        QuietQtNotes();
        int qtArgc = 1;
        char name[] = "osiowiec-cli";
        char* qtArgv[] = {name, nullptr};
        QGuiApplication app(qtArgc, qtArgv);
        std::setlocale(LC_NUMERIC, "C");
        LayOutChart(chart, QSize(800, 600));
        auto labels = [&](const char* key, bool horizontal) {
            json.Key(key);
            json.BeginArray();
            for (const std::string& label : chart.GetScaleLabels(horizontal))
                json.String(label);
            json.EndArray();
        };
        labels("scaleLabelsX", true);
        labels("scaleLabelsY", false);
    }
    json.EndObject();
    std::printf("%s\n", json.Text().c_str());
    return 0;
}
