#pragma once

#include "document/zeltra20doc.h"

#include <QPointer>
#include <QWidget>

class CMainFrame;
class CZeltra20TableView;
class CZeltra20View;
class QSplitter;

/// One chart window: the value table on the left and the graph on the right
/// of a splitter. The table pane is hidden unless the chart says it is shown;
/// the graph then fills the window.
class CChildFrame : public QWidget, public CChartWindow
{
    Q_OBJECT

public:
    CChildFrame(CZeltra20Doc& document, CMainFrame& mainFrame, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CZeltra20Doc& GetDocument() const { return m_document; }
    CZeltra20View* GetGraphView() const { return m_pGraphView; }
    CZeltra20TableView* GetTableView() const { return m_pTableView; }

    /// The size a chart window takes when the windows are cascaded.
    QSize sizeHint() const override { return QSize(640, 480); }

    /// The widest table width kept from a file or the network (pixels).
    static constexpr int kMaxTableWidth = 1 << 20;

    int GetTableWidth() const override;
    /// Sets the table pane's width, taken within 0 ... the window's width.
    void SetTableWidth(int cx);
    void UpdateLayout() override;

    /// Starts moving the split line with the arrow keys or the mouse; Enter
    /// or a click confirms, Escape restores the old position.
    void OnSplitBar();
    /// Moves the keyboard focus between the table and the graph (F6).
    void OnNextPane();

signals:
    /// The window was shown or hidden: a listening server sends the chart.
    void visibilityChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Lays the panes out with the table at its stored width, or narrower
    /// where the window is too narrow to leave the graph a third of it.
    void ApplyTableWidth();

    void EndSplitTracking(bool confirm);
    /// Leaves the document and the main window: the views go at once, so the
    /// document may close right after.
    void Teardown();

    CZeltra20Doc& m_document;
    CMainFrame& m_mainFrame;
    QSplitter* m_wndSplitter = nullptr;
    CZeltra20TableView* m_pTableView = nullptr;
    CZeltra20View* m_pGraphView = nullptr;
    bool m_bSplitterReady = false;
    bool m_bTornDown = false;
    /// The width the table pane had when it was last laid out, kept while it
    /// is hidden.
    /// The table's stored width (pixels): what a file or the user asked for
    /// and what a save writes, also while the table yields to the graph.
    int m_nTableWidth = 0;
    /// The table shows narrower than m_nTableWidth to leave the graph its third.
    bool m_bTableYields = false;
    bool m_bSplitTracking = false;
    int m_nSplitTrackingStart = 0;
};
