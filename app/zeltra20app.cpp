#include "app/zeltra20app.h"

#include "app/mainframe.h"
#include "chart/zeltra20doc.h"
#include "framework/docmanager.h"

#include <QCoreApplication>

CZeltra20App::CZeltra20App()
{
    // The profile (recent files) lives under "Osiowiec 2.0".
    QCoreApplication::setOrganizationName(QStringLiteral("Osiowiec 2.0"));
    QCoreApplication::setApplicationName(QStringLiteral("Osiowiec"));
}

CZeltra20App::~CZeltra20App() = default;

bool CZeltra20App::InitInstance(const QStringList& files)
{
    m_pMainFrame = std::make_unique<CMainFrame>();
    // Shown first, so the chart windows are laid out in its real size.
    m_pMainFrame->show();
    CDocManager& documents = m_pMainFrame->GetDocManager();
    // A chart that cannot be opened is reported; the program still starts,
    // with the charts that did open or with none.
    for (const QString& file : files)
        documents.OpenDocumentFile(file);
    if (files.isEmpty())
        documents.OnFileNew();
    return true;
}
