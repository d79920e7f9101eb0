#include "chart/functioncontainer.h"
#include "framework/qtdevicecontext.h"
#include "framework/qtstring.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <QXmlStreamReader>

namespace {

class QtSurface : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "framework_tests";
        static char* argv[] = {name, nullptr};
        if (!QGuiApplication::instance())
            new QGuiApplication(argc, argv);
    }

    static QImage White(int width, int height, int dpi = 96)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setDotsPerMeterX(qRound(dpi / 0.0254));
        image.setDotsPerMeterY(qRound(dpi / 0.0254));
        return image;
    }

    static bool Black(const QImage& image, int x, int y)
    {
        return image.pixel(x, y) == qRgb(0, 0, 0);
    }
};

TEST_F(QtSurface, TextsCrossTheBoundaryInCodePage1250)
{
    const std::string text = "pot\xEAga \xB3\xB9" "ka";
    EXPECT_EQ(FromCp1250(text), QString::fromUtf8("potęga łąka"));
    EXPECT_EQ(ToCp1250(FromCp1250(text)), text);
    EXPECT_EQ(ToCp1250(QString::fromUtf8("√")), "?");
}

TEST_F(QtSurface, PrimitivesLandOnTheDevicePixels)
{
    QImage image = White(40, 40);
    {
        QPainter painter(&image);
        QtDeviceContext dc(painter);
        dc.SelectPen({Pen::kSolid, 1, 0});
        dc.Line({2, 5}, {30, 5});
        dc.SelectBrush({false, RGB(255, 0, 0)});
        dc.Rectangle(10, 10, 20, 20);
        dc.SetPixel({35, 35}, 0);
    }
    // A line of width 1 is one pixel high.
    EXPECT_TRUE(Black(image, 15, 5));
    EXPECT_FALSE(Black(image, 15, 4));
    EXPECT_FALSE(Black(image, 15, 6));
    // The rectangle's border covers 10 ... 19, its inside is the brush.
    EXPECT_TRUE(Black(image, 10, 15));
    EXPECT_TRUE(Black(image, 19, 15));
    EXPECT_EQ(image.pixel(20, 15), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(15, 15), qRgb(255, 0, 0));
    EXPECT_TRUE(Black(image, 35, 35));
}

TEST_F(QtSurface, ChartFrameOnThePlotRectangle)
{
    FunctionContainer chart;
    QImage image = White(800, 600);
    {
        QPainter painter(&image);
        QtDeviceContext dc(painter);
        chart.Draw(dc, {0, 0, 800, 600});
    }
    const RECT plot = chart.GetPlotRect();
    EXPECT_GT(plot.left, 10);
    EXPECT_GT(plot.top, 10);
    EXPECT_LT(plot.right, 800);
    EXPECT_LT(plot.bottom, 590);
    const int y = (plot.top + plot.bottom) / 2 + 7;
    EXPECT_TRUE(Black(image, plot.left, y));
    EXPECT_TRUE(Black(image, plot.right - 1, y));
    EXPECT_FALSE(Black(image, plot.right, y));
    EXPECT_FALSE(Black(image, plot.left - 1, y));
}

// The surface clips an image to its own rectangle, for speed; curves that
// leave the image, wide pens and the frame at the edges come out as without.
TEST_F(QtSurface, ClippingToTheImageChangesNoPixel)
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetFunction("tan(x)", 0, true, RGB(255, 0, 0));
    chart.SetCurrent(-1);
    chart.SetFunction("x^3", 1, true, RGB(0, 0, 255));
    chart.SetCurrent(-1);
    chart.SetFunction("sin(7*x)", 2, true, 0);
    chart.SetRange(false, false, "-6", "6", "-3", "3");
    chart.CommitEdit();

    auto draw = [&](bool clipped) {
        QImage image = White(500, 300);
        QPainter painter(&image);
        QtDeviceContext dc(painter);
        EXPECT_TRUE(painter.hasClipping());
        painter.setClipping(clipped);
        chart.Draw(dc, {-3, -2, 505, 304});
        dc.ResetMapping();
        dc.SelectPen({Pen::kSolid, 5, RGB(0, 128, 0)});
        dc.PolyPolyline({{-20, 150}, {250, -40}, {520, 150}, {250, 299}, {499, 0}}, {5});
        painter.end();
        return image;
    };
    EXPECT_EQ(draw(true), draw(false));
}

TEST_F(QtSurface, ImageAndSvgLayTheChartOutAlike)
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetFunction("sin(x)", 2, true, 0);
    chart.CommitEdit();

    QImage image = White(640, 480);
    {
        QPainter painter(&image);
        QtDeviceContext dc(painter);
        chart.Draw(dc, {0, 0, 640, 480});
    }
    const RECT onImage = chart.GetPlotRect();

    QBuffer buffer;
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(640, 480));
    svg.setResolution(96);
    {
        QPainter painter(&svg);
        QtDeviceContext dc(painter);
        chart.Draw(dc, {0, 0, 640, 480});
    }
    EXPECT_EQ(chart.GetPlotRect(), onImage);
    EXPECT_TRUE(buffer.data().contains("(sin(x))''"));
}

// Regression: a vertical tab in a formula (white space to the parser) or a
// control byte in the header made an SVG that was not well-formed XML.
TEST_F(QtSurface, ControlCharactersAreDrawnAsSpaces)
{
    FunctionContainer chart;
    chart.BeginEdit();
    chart.SetFunction("sin(x)\v+1", 0, true, 0);
    const ChartSettings& s = chart.GetEditSettings();
    chart.SetDescriptions("a\x01" "b\x7F", "c\x1F" "d\x81", true, true, true, true,
                          s.m_crHeaderText, s.m_crLegendText, s.m_crFrame, s.m_crLegendBack,
                          s.m_crBackground, s.m_lfHeader, s.m_lfLegend);
    chart.CommitEdit();

    QBuffer buffer;
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(640, 480));
    {
        QPainter painter(&svg);
        QtDeviceContext dc(painter);
        chart.Draw(dc, {0, 0, 640, 480});
        // Measured as drawn.
        EXPECT_EQ(dc.GetTextExtent("a\tb").cx, dc.GetTextExtent("a b").cx);
    }
    QXmlStreamReader xml(buffer.data());
    QStringList texts;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::Characters && !xml.isWhitespace())
            texts << xml.text().toString();
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(texts.contains("sin(x) +1"));
    EXPECT_TRUE(texts.contains("a b "));
    EXPECT_TRUE(texts.contains("c d "));
}

// Smoothing changes how a line is drawn, not where: straight lines are the
// same pixels, and a slanted one touches every pixel the unsmoothed drawing
// sets, about one pixel wide in each column, with grey at its edges.
TEST_F(QtSurface, SmoothLinesKeepTheirPixels)
{
    struct Row
    {
        const char* name;
        POINT from;
        POINT to;
        int32_t width;
        bool straight;
    } rows[] = {
        {"horizontal", {3, 20}, {60, 20}, 1, true},
        {"vertical", {30, 2}, {30, 38}, 1, true},
        {"three wide, horizontal", {3, 20}, {60, 20}, 3, true},
        {"two wide, vertical", {30, 2}, {30, 38}, 2, true},
        {"shallow", {3, 5}, {60, 30}, 1, false},
        {"falling", {3, 33}, {60, 12}, 1, false},
    };
    auto draw = [](const Row& row, bool smooth) {
        QImage image = White(64, 40);
        QPainter painter(&image);
        QtDeviceContext dc(painter, smooth);
        dc.SelectPen({Pen::kSolid, row.width, 0});
        dc.Line(row.from, row.to);
        painter.end();
        return image;
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QImage aliased = draw(row, false);
        const QImage smooth = draw(row, true);
        if (row.straight) {
            EXPECT_EQ(smooth, aliased);
            continue;
        }
        int grey = 0;
        for (int x = row.from.x + 1; x < row.to.x; ++x) {
            double ink = 0;
            for (int y = 0; y < smooth.height(); ++y) {
                const int level = qGray(smooth.pixel(x, y));
                ink += (255 - level) / 255.0;
                grey += level > 0 && level < 255;
                if (Black(aliased, x, y)) {
                    EXPECT_LT(level, 255) << x << "," << y;
                }
            }
            EXPECT_GT(ink, 0.7) << x;
            EXPECT_LT(ink, 1.5) << x;
        }
        EXPECT_GT(grey, 10);
    }
}

TEST_F(QtSurface, PrinterResolutionWidensLinesAndKeepsPoints)
{
    QImage image = White(100, 100, 600);
    int32_t textHeight = 0;
    {
        QPainter painter(&image);
        QtDeviceContext dc(painter);
        EXPECT_EQ(dc.DpiY(), 600);
        dc.SelectPen({Pen::kSolid, 1, 0});
        dc.Line({10, 50}, {90, 50});
        LOGFONTA font = DefaultChartFont();
        font.lfHeight = -MulDiv(10, 600, 72);
        dc.SelectFont(font);
        textHeight = dc.GetTextMetrics().tmHeight;
    }
    int rows = 0;
    for (int y = 40; y < 60; ++y)
        rows += Black(image, 50, y);
    EXPECT_EQ(rows, 6); // 600 / 96, rounded
    // A 10-point font is about 83 pixels of character height at 600 dpi.
    EXPECT_GT(textHeight, 83);
    EXPECT_LT(textHeight, 110);
}

} // namespace
