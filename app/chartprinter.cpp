#include "app/chartprinter.h"

#include "document/zeltra20doc.h"
#include "framework/chartrender.h"
#include "views/graphview.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

CChartPrinter::CChartPrinter() = default;

CChartPrinter::~CChartPrinter() = default;

QPrinter& CChartPrinter::GetPrinter()
{
    if (m_pPrinter == nullptr) {
        m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        m_pPrinter->setPageOrientation(QPageLayout::Landscape);
    }
    return *m_pPrinter;
}

QPageLayout CChartPrinter::GetPageLayout()
{
    return GetPrinter().pageLayout();
}

void CChartPrinter::Print(CZeltra20Doc& document, const ChartPicture& picture, QWidget* parent)
{
    QPrintDialog dialog(&GetPrinter(), parent);
    if (dialog.exec() == QDialog::Accepted)
        PrintChart(document, GetPrinter(), picture);
}

void CChartPrinter::Preview(CZeltra20Doc& document, const ChartPicture& picture, QWidget* parent)
{
    QPrintPreviewDialog preview(&GetPrinter(), parent);
    preview.setWindowTitle(QString::fromUtf8("Podgląd wydruku"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&document, &picture](QPrinter* printer) { PrintChart(document, *printer, picture); });
    preview.exec();
}

void CChartPrinter::Setup(QWidget* parent)
{
    QPageSetupDialog dialog(&GetPrinter(), parent);
    dialog.exec();
}
