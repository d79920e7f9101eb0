#include "app/zeltra20app.h"

#include "app/mainframe.h"
#include "app/programcommandline.h"
#include "document/zeltra20doc.h"
#include "framework/altkeyfilter.h"
#include "framework/docmanager.h"
#include "framework/document.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTranslator>

CZeltra20App::CZeltra20App()
{
    // The profile (recent files) lives under "Osiowiec 2.0".
    QCoreApplication::setOrganizationName(QStringLiteral("Osiowiec 2.0"));
    QCoreApplication::setApplicationName(QStringLiteral("Osiowiec"));
}

CZeltra20App::~CZeltra20App() = default;

bool CZeltra20App::InitInstance(const QStringList& files)
{
    // The program speaks Polish whatever the desktop's language: so do the
    // file, colour, font and print dialogs that Qt provides. Without Qt's
    // translations installed they stay in English.
    m_pQtTranslator = std::make_unique<QTranslator>();
    if (LoadQtTranslation(*m_pQtTranslator))
        QCoreApplication::installTranslator(m_pQtTranslator.get());

    m_pAltKeyFilter = std::make_unique<AltKeyFilter>();
    qApp->installEventFilter(m_pAltKeyFilter.get());

    m_pMainFrame = std::make_unique<CMainFrame>();
    // Shown first, so the chart windows are laid out in its real size.
    m_pMainFrame->show();
    CDocManager& documents = m_pMainFrame->GetDocManager();
    // A chart that cannot be opened is reported; the program still starts,
    // with the charts that did open or with none.
    CDocument* last = nullptr;
    for (const QString& file : files) {
        if (CDocument* document = documents.OpenDocumentFile(file))
            last = document;
    }
    if (files.isEmpty())
        documents.OnFileNew();
    // The chart named last stands in front, as if opened one by one (a file
    // named twice, or one that failed, may have activated another).
    if (last != nullptr)
        m_pMainFrame->ActivateChart(static_cast<CZeltra20Doc&>(*last));
    return true;
}
