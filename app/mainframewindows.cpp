// The main window's chart windows: making, finding, activating, titling and
// closing them.

#include "app/mainframe.h"

#include "app/childframe.h"
#include "app/icons/commandicons.h"
#include "document/zeltra20doc.h"
#include "framework/docmanager.h"
#include "framework/messagebox.h"
#include "views/tableview.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStyle>

#include <algorithm>

CChildFrame* CMainFrame::FrameOf(QMdiSubWindow* window) const
{
    const QWidget* widget = window->widget();
    for (CChildFrame* frame : m_frames) {
        if (frame == widget)
            return frame;
    }
    return nullptr;
}

CChildFrame* CMainFrame::GetActiveFrame() const
{
    // Kept from the MDI area's activations: while another top-level window (a
    // dialog) is active the area has no active window, yet the chart window
    // activated last is still the one the commands act on.
    return m_pLastActive;
}

CZeltra20Doc* CMainFrame::GetActiveDocument() const
{
    CChildFrame* frame = GetActiveFrame();
    return frame ? &frame->GetDocument() : nullptr;
}

std::vector<CChildFrame*> CMainFrame::GetFrames() const
{
    return m_frames;
}

std::vector<CChildFrame*> CMainFrame::FramesOf(const CZeltra20Doc& document) const
{
    std::vector<CChildFrame*> frames;
    for (CChildFrame* frame : GetFrames()) {
        if (&frame->GetDocument() == &document)
            frames.push_back(frame);
    }
    return frames;
}

CChildFrame* CMainFrame::OpenFrame(CZeltra20Doc& document)
{
    const bool first = FramesOf(document).empty();
    // Every chart follows the program's spacing rule; one loaded or made
    // under another is laid out again.
    FunctionContainer& chart = document.GetChart();
    if (!(chart.GetSpacingRule() == m_spacingRule)) {
        chart.SetSpacingRule(m_spacingRule);
        chart.Recalculate(true);
    }
    auto* frame = new CChildFrame(document, *this);
    m_frames.push_back(frame);
    m_pLastActive = frame;
    frame->GetGraphView()->setCursor(m_viewCursor);
    connect(frame, &CChildFrame::visibilityChanged, this, &CMainFrame::SendChartToClients);
    QMdiSubWindow* window = m_pMdiArea->addSubWindow(frame);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(ChartFileIcon());
    // The window's own menu closes on the desktop's close key, which is
    // Ctrl+W on some desktops: Ctrl+W is the chart's properties here, so
    // the window closes on Ctrl+F4 as chart windows always have.
    if (QMenu* menu = window->systemMenu()) {
        for (QAction* action : menu->actions()) {
            if (action->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_W)))
                action->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_F4)});
        }
    }
    // New chart windows take three quarters of the free area and stand in a
    // cascade, each one title bar lower and to the right of the one before.
    const QSize area = m_pMdiArea->viewport()->size();
    const QSize size(std::max(480, area.width() * 3 / 4), std::max(360, area.height() * 3 / 4));
    window->resize(size);
    const int step = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window) + 4;
    const int room = std::max(1, std::min(area.width() - size.width(), area.height() - size.height()) / step + 1);
    const int place = static_cast<int>((m_frames.size() - 1) % static_cast<std::size_t>(room));
    window->move(place * step, place * step);
    if (first) {
        connect(&document, &CDocument::stateChanged, this, [this] {
            UpdateTitles();
            UpdateActions();
        });
        connect(&document, &CDocument::updated, this, &CMainFrame::UpdateActions);
    }
    window->show();
    ShowFrame(*frame);
    document.ActivateWindow(frame);
    frame->GetGraphView()->OnInitialUpdate();
    frame->GetTableView()->OnInitialUpdate();
    UpdateTitles();
    UpdateActions();
    return frame;
}

void CMainFrame::ActivateChart(CZeltra20Doc& document)
{
    const std::vector<CChildFrame*> frames = FramesOf(document);
    if (frames.empty())
        OpenFrame(document);
    else
        ShowFrame(*frames.front());
}

void CMainFrame::ShowFrame(CChildFrame& frame)
{
    m_pMdiArea->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(frame.parentWidget()));
    // The window area activates the window that holds the focus when the
    // main window becomes active: before that, the focus must be here too.
    if (!frame.isAncestorOf(focusWidget()))
        frame.GetGraphView()->setFocus(Qt::OtherFocusReason);
}

bool CMainFrame::CanCloseFrame(CChildFrame& frame)
{
    // Only the last window of a chart closes the chart; on exit every chart
    // has been asked about already.
    if (m_bClosingAll || FramesOf(frame.GetDocument()).size() > 1)
        return true;
    return m_pDocManager->SaveModified(frame.GetDocument());
}

void CMainFrame::OnFrameClosed(CChildFrame& frame)
{
    m_frames.erase(std::remove(m_frames.begin(), m_frames.end(), &frame), m_frames.end());
    if (m_pLastActive == &frame)
        m_pLastActive = m_frames.empty() ? nullptr : m_frames.back();
    CZeltra20Doc& document = frame.GetDocument();
    if (!document.HasWindows() && m_pDocManager != nullptr) {
        // The charts a server sends go into the active chart: closing one
        // ends the connection rather than let them land somewhere unexpected.
        m_client.Close();
        m_pDocManager->CloseDocument(document);
    }
    UpdateTitles();
    UpdateActions();
}

void CMainFrame::UpdateTitles()
{
    for (const auto& document : m_pDocManager->GetDocuments()) {
        const std::vector<CChildFrame*> frames =
            FramesOf(static_cast<const CZeltra20Doc&>(*document));
        for (std::size_t i = 0; i < frames.size(); ++i) {
            QString title = document->GetTitle();
            if (frames.size() > 1)
                title += QStringLiteral(":%1").arg(i + 1);
            frames[i]->parentWidget()->setWindowTitle(title);
        }
    }
    CChildFrame* active = GetActiveFrame();
    setWindowTitle(active ? AppTitle() + QStringLiteral(" - ") + active->parentWidget()->windowTitle()
                          : AppTitle());
}

void CMainFrame::OnNewWindow()
{
    CChildFrame* active = GetActiveFrame();
    if (active == nullptr)
        return;
    const int tableWidth = active->GetTableWidth();
    OpenFrame(active->GetDocument())->SetTableWidth(tableWidth);
}

void CMainFrame::OnCloseAll()
{
    CloseAllCharts();
}

bool CMainFrame::CloseAllCharts()
{
    // Every unsaved chart is asked about, in its window, before any window
    // closes: a cancel leaves every chart open as it was. Meanwhile no chart
    // is received, and none is sent from the windows that go.
    m_bClosingAll = true;
    std::vector<CDocument*> documents;
    for (const auto& document : m_pDocManager->GetDocuments())
        documents.push_back(document.get());
    for (CDocument* document : documents) {
        if (!document->IsModified())
            continue;
        ActivateChart(static_cast<CZeltra20Doc&>(*document));
        if (!m_pDocManager->SaveModified(*document)) {
            m_bClosingAll = false;
            return false;
        }
    }
    const std::vector<CChildFrame*> frames = m_frames;
    for (CChildFrame* frame : frames)
        frame->parentWidget()->close();
    m_bClosingAll = false;
    return true;
}
