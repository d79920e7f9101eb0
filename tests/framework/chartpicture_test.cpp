#include "chart/chartmarks.h"
#include "chart/functioncontainer.h"
#include "framework/chartrender.h"
#include "framework/qtdevicecontext.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr COLORREF kCurve = RGB(213, 94, 0);

class ChartPicture : public ::testing::Test
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

    void SetUp() override
    {
        m_chart.BeginEdit();
        m_chart.SetFunction("sin(x)", 0, true, kCurve);
        m_chart.SetRange(false, false, "-2pi", "2pi", "-1.5", "1.5");
        m_chart.CommitEdit();
    }

    // The columns of the plot where chart x lies, as the picture lays it out.
    int Column(double x) const
    {
        const RECT& r = m_chart.GetPlotRect();
        const ChartSettings& s = m_chart.GetSettings();
        return static_cast<int>(std::lround(r.left + (x - s.m_xMin) / (s.m_xMax - s.m_xMin) * (r.right - r.left - 1)));
    }

    FunctionContainer m_chart;
};

// The shade is the curve's colour at a third over the white background.
bool Shaded(QRgb pixel)
{
    auto blend = [](int channel) { return 255 + (channel - 255) * 80 / 255; };
    return std::abs(qRed(pixel) - blend(GetRValue(kCurve))) <= 2 &&
           std::abs(qGreen(pixel) - blend(GetGValue(kCurve))) <= 2 &&
           std::abs(qBlue(pixel) - blend(GetBValue(kCurve))) <= 2;
}

TEST_F(ChartPicture, ShadeInsideItsIntervalOnly)
{
    struct Row
    {
        const char* name;
        double a;
        double b;
        bool smooth;
    } rows[] = {
        {"0 to pi, smooth", 0, kPi, true},
        {"0 to pi, exact pixels", 0, kPi, false},
        {"a negative area", -kPi, -kPi / 2, true},
        {"reaching past the range", 4, 100, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ::ChartPicture picture;
        picture.antialiased = row.smooth;
        picture.marks.area = ShadedArea{0, row.a, row.b, 2};
        picture.marks.outline = ShadeOutline(m_chart, *picture.marks.area);
        const QImage image = RenderChartImage(m_chart, QSize(800, 600), 1, picture);
        {
            // The plot as the picture laid it out.
            QImage layout(1, 1, QImage::Format_RGB32);
            QPainter painter(&layout);
            QtLayoutDeviceContext dc(painter);
            m_chart.Draw(dc, {0, 0, 800, 600});
        }
        const int first = Column(std::max(row.a, -2 * kPi));
        const int last = Column(std::min(row.b, 2 * kPi));
        int inside = 0;
        int outside = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (!Shaded(image.pixel(x, y)))
                    continue;
                (x >= first - 1 && x <= last + 1 ? inside : outside) += 1;
            }
        }
        EXPECT_GT(inside, 2000);
        EXPECT_EQ(outside, 0);
        // Without the marks the picture has none of it.
        const QImage bare = RenderChartImage(m_chart, QSize(800, 600), 1, {row.smooth, {}});
        int bareShaded = 0;
        for (int y = 0; y < bare.height(); ++y) {
            for (int x = 0; x < bare.width(); ++x)
                bareShaded += Shaded(bare.pixel(x, y));
        }
        EXPECT_EQ(bareShaded, 0);
    }
}

} // namespace
