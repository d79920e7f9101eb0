#pragma once

#include <QPageLayout>

#include <memory>

class CZeltra20Doc;
struct ChartPicture;
class QPrinter;
class QWidget;

/// Printing, preview and print setup of the charts, sharing one printer for
/// the whole run, so a page set up once serves every printout and export.
class CChartPrinter
{
public:
    CChartPrinter();
    ~CChartPrinter();

    /// The printer, made when first needed: finding the system's printers
    /// takes longer than the rest of the start.
    QPrinter& GetPrinter();
    /// The page of a printout, as the printer is set up.
    QPageLayout GetPageLayout();

    /// `picture`: what the chart's window shows besides the chart.
    void Print(CZeltra20Doc& document, const ChartPicture& picture, QWidget* parent);
    void Preview(CZeltra20Doc& document, const ChartPicture& picture, QWidget* parent);
    void Setup(QWidget* parent);

private:
    std::unique_ptr<QPrinter> m_pPrinter;
};
