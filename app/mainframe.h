#pragma once

#include "chart/ticks.h"

#include "app/chartprinter.h"
#include "framework/commandids.h"
#include "net/clientsocket.h"
#include "net/documentsharinghost.h"
#include "net/serversocket.h"
#include "views/graphview.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <map>
#include <memory>
#include <vector>

class CChildFrame;
class CHelpWindow;
class QPrinter;
class CDocManager;
class CDocument;
class CZeltra20Doc;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

/// The main window: the chart windows in an MDI area, the menus, toolbar,
/// keys and status bar, the mouse mode and the guides switch.
///
/// Every command is one QAction owned here, shared by the menus, the toolbar
/// and the keys; UpdateActions refreshes their states from the current state.
class CMainFrame : public QMainWindow, public CGraphViewHost, public DocumentSharingHost
{
    Q_OBJECT

public:
    CMainFrame();
    ~CMainFrame() override;

    CDocManager& GetDocManager() const { return *m_pDocManager; }
    /// The action of a command id (the toolbar's, the menus' and the keys').
    QAction* GetAction(int command) const;

    /// The active chart window and its document, or null.
    CChildFrame* GetActiveFrame() const;
    CZeltra20Doc* GetActiveDocument() const;
    /// The windows of all charts, in the order they were made.
    std::vector<CChildFrame*> GetFrames() const;

    /// Opens a new chart window on the document and makes it active.
    CChildFrame* OpenFrame(CZeltra20Doc& document);
    /// Brings the chart's first window to the front, or opens one.
    void ActivateChart(CZeltra20Doc& document);

    // CGraphViewHost
    int GetMouseMode() const override { return m_nMouseMode; }
    bool GetGuides() const override { return m_bGuides; }
    bool GetPointsOfInterest() const override { return m_bPointsOfInterest; }
    bool GetAntialiasing() const override { return m_bAntialiasing; }
    void ShowCoordinates(const QString& x, const QString& y) override;
    void ShowContextMenu(const QPoint& globalPos) override;
    void SendChartToClients() override;

    /// The sharing server (its port and clients, for the tests).
    CServerSocket& GetServer() { return m_server; }

    // For the chart windows.
    bool CanCloseFrame(CChildFrame& frame);
    /// The chart window closed: a chart without windows closes too.
    void OnFrameClosed(CChildFrame& frame);
    QMenu* GetContextMenu() const { return m_pContextMenu; }

    /// Refreshes every action's enabled and checked state.
    void UpdateActions();

    /// The printer of print, preview, print setup and the PDF export.
    QPrinter& GetPrinter() { return m_printer.GetPrinter(); }

    /// The help window, once F1 opened it; null before.
    CHelpWindow* GetHelpWindow() const;

protected:
    // DocumentSharingHost
    bool CanShowChart() override;
    CZeltra20Doc* ActiveChartDocument() override { return GetActiveDocument(); }
    CZeltra20Doc* OpenChartWindow() override;

    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Command;

    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void UpdateSharingPanes();
    QAction* Alias(int command, const QString& text);
    void FillFileMenu(QMenu* menu, bool withChart);
    void FillWindowMenu();
    void ShowMenusFor(bool withChart);
    void UpdateTitles();
    std::vector<CChildFrame*> FramesOf(const CZeltra20Doc& document) const;
    CChildFrame* FrameOf(QMdiSubWindow* window) const;
    /// Makes the chart window the active one, with the keyboard's focus.
    void ShowFrame(CChildFrame& frame);

    // Command handlers.
    void OnCommand(int command);
    void OnSetMouseMode(int command);
    void OnAbout();
    void OnHelp();
    void OnNewWindow();
    void OnCloseAll();
    /// Asks about every unsaved chart, then closes every chart window; false,
    /// with nothing closed, when the user cancels.
    bool CloseAllCharts();
    void OnPointsOfInterest();
    void OnAntialiasing();
    /// Gives every open chart the program's spacing rule as stored, drawing
    /// again those it changes.
    void ApplySpacingRule();
    void OnArea(CChildFrame& frame);
    void OnServer();
    void OnClient();

    int m_nMouseMode = Cmd::kModePoint;
    bool m_bGuides = false;
    /// Remembered in the program's settings, not in the charts.
    bool m_bPointsOfInterest = true;
    bool m_bAntialiasing = true;
    SpacingRule m_spacingRule;
    /// The cursor of every graph view: it follows the mouse mode chosen while
    /// a chart window is active.
    Qt::CursorShape m_viewCursor = Qt::ArrowCursor;

    QMdiArea* m_pMdiArea = nullptr;
    /// The open chart windows in the order they were made; the MDI area may
    /// still list a window that is closing.
    std::vector<CChildFrame*> m_frames;
    CChildFrame* m_pLastActive = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    QLabel* m_pPaneX = nullptr;
    QLabel* m_pPaneY = nullptr;
    QLabel* m_pPaneServer = nullptr;
    QLabel* m_pPaneClient = nullptr;
    std::map<int, QAction*> m_actions;
    std::vector<std::pair<int, QAction*>> m_aliases;
    std::vector<QAction*> m_recentActions[2];
    QMenu* m_pContextMenu = nullptr;
    std::vector<QMenu*> m_menusNoChart;
    std::vector<QMenu*> m_menusChart;
    QMenu* m_pWindowMenu = nullptr;
    bool m_bMenusWithChart = true;
    bool m_bClosingAll = false;
    CChartPrinter m_printer;
    QPointer<CHelpWindow> m_pHelpWindow;
    std::unique_ptr<CDocManager> m_pDocManager;
    // Declared last: their connections go before the windows and charts
    // they send from and receive into.
    CServerSocket m_server{*this};
    CClientSocket m_client{*this};
    /// Looks again for charts that waited while the user was asked something.
    QTimer m_resumeReading;
};
