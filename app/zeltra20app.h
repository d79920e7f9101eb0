#pragma once

#include <QStringList>

#include <memory>

class AltKeyFilter;
class CMainFrame;
class QTranslator;

/// The program: its settings' place, the main window and the charts named on
/// the command line.
class CZeltra20App
{
public:
    CZeltra20App();
    ~CZeltra20App();

    /// Makes and shows the main window and opens the charts named in `files`
    /// (or one new chart when none is named). False when the program cannot
    /// start.
    bool InitInstance(const QStringList& files);

    CMainFrame* GetMainWnd() const { return m_pMainFrame.get(); }

private:
    std::unique_ptr<QTranslator> m_pQtTranslator;
    std::unique_ptr<AltKeyFilter> m_pAltKeyFilter;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};
