#include "app/childframe.h"

#include "app/mainframe.h"
#include "chart/functioncontainer.h"
#include "views/graphview.h"
#include "views/tableview.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>

CChildFrame::CChildFrame(CZeltra20Doc& document, CMainFrame& mainFrame, QWidget* parent)
    : QWidget(parent), m_document(document), m_mainFrame(mainFrame)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_wndSplitter = new QSplitter(Qt::Horizontal, this);
    m_wndSplitter->setChildrenCollapsible(true);
    m_wndSplitter->setOpaqueResize(true);
    layout->addWidget(m_wndSplitter);

    m_pTableView = new CZeltra20TableView(document, m_wndSplitter);
    connect(m_pTableView, &CZeltra20TableView::tableWidthRequested, this,
            &CChildFrame::SetTableWidth);
    connect(m_pTableView, &CZeltra20TableView::contextMenuRequested, this,
            [&mainFrame](const QPoint& globalPos) { mainFrame.ShowContextMenu(globalPos); });
    m_pGraphView = new CZeltra20View(document, mainFrame, m_wndSplitter);
    m_wndSplitter->addWidget(m_pTableView);
    m_wndSplitter->addWidget(m_pGraphView);
    m_wndSplitter->setStretchFactor(0, 0);
    m_wndSplitter->setStretchFactor(1, 1);
    // Dragged to the edge, either pane would vanish (the table while it
    // counts as shown) and be saved so: each stops at the table's narrowest
    // width instead.
    m_pGraphView->setMinimumWidth(m_pTableView->minimumSizeHint().width());
    m_wndSplitter->setCollapsible(0, false);
    m_wndSplitter->setCollapsible(1, false);
    connect(m_wndSplitter, &QSplitter::splitterMoved, this, [this](int pos, int) {
        m_nTableWidth = pos;
        m_bTableYields = false;
    });
    m_bSplitterReady = true;

    // Shift+F10 opens the chart's menu from the keyboard, as the menu key
    // does, for the pane that has the focus.
    auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this, this, [this] {
        QWidget* pane = m_pTableView->hasFocus() ? static_cast<QWidget*>(m_pTableView) : m_pGraphView;
        const QPoint centre = pane->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Keyboard, centre, pane->mapToGlobal(centre));
        QApplication::sendEvent(pane, &event);
    });
    menuKey->setContext(Qt::WidgetWithChildrenShortcut);

    m_document.AttachWindow(this);
    m_nTableWidth = document.GetChart().GetTableWidth();
    resize(640, 480);
    SetTableWidth(document.GetChart().GetTableWidth());
    UpdateLayout();
}

CChildFrame::~CChildFrame()
{
    Teardown();
}

void CChildFrame::Teardown()
{
    if (m_bTornDown)
        return;
    m_bTornDown = true;
    if (m_bSplitTracking)
        EndSplitTracking(false);
    m_bSplitterReady = false;
    m_document.DetachWindow(this);
    // The views leave the document before the main window may close it.
    delete m_wndSplitter;
    m_wndSplitter = nullptr;
    m_pTableView = nullptr;
    m_pGraphView = nullptr;
    m_mainFrame.OnFrameClosed(*this);
}

int CChildFrame::GetTableWidth() const
{
    if (!m_bSplitterReady)
        return 0;
    if (m_pTableView->isVisibleTo(const_cast<CChildFrame*>(this)) && isVisible() &&
        !m_bTableYields)
        return m_wndSplitter->sizes().value(0);
    return m_nTableWidth;
}

void CChildFrame::SetTableWidth(int cx)
{
    if (m_wndSplitter == nullptr)
        return;
    // A width from a file or the network is only a wish, kept as it is; the
    // window shows what fits.
    m_nTableWidth = std::clamp(cx, 0, kMaxTableWidth);
    ApplyTableWidth();
}

void CChildFrame::ApplyTableWidth()
{
    const int total = std::max(m_wndSplitter->width(), width());
    // Tiled windows can be too narrow for a wide table: the table gives way
    // so the graph keeps at least a third of the window.
    const int fitting = std::max(0, total - total / 3 - m_wndSplitter->handleWidth());
    const int shown = std::min(m_nTableWidth, fitting);
    m_bTableYields = shown < m_nTableWidth;
    m_wndSplitter->setSizes({shown, std::max(0, total - shown)});
}

void CChildFrame::UpdateLayout()
{
    if (!m_bSplitterReady)
        return;
    const bool show = m_document.GetChart().IsTableVisible();
    if (show == m_pTableView->isVisibleTo(this))
        return;
    if (show) {
        m_pTableView->show();
        // A table asked for comes back where it can be seen, whatever width
        // a file or the network gave it.
        if (m_nTableWidth < m_pTableView->minimumSizeHint().width())
            m_nTableWidth = FunctionContainer::kDefaultTableWidth;
        SetTableWidth(m_nTableWidth);
    } else {
        if (isVisible() && !m_bTableYields)
            m_nTableWidth = m_wndSplitter->sizes().value(0);
        m_pTableView->hide();
    }
}

void CChildFrame::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UpdateLayout();
    if (m_bSplitterReady && !m_bSplitTracking && m_pTableView->isVisibleTo(this))
        ApplyTableWidth();
}

void CChildFrame::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    UpdateLayout();
    emit visibilityChanged();
}

void CChildFrame::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    emit visibilityChanged();
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (!m_bTornDown && !m_mainFrame.CanCloseFrame(*this)) {
        event->ignore();
        return;
    }
    event->accept();
    Teardown();
}

void CChildFrame::OnNextPane()
{
    if (m_bTornDown)
        return;
    if (m_pTableView->isVisible() && m_pGraphView->hasFocus())
        m_pTableView->setFocus(Qt::ShortcutFocusReason);
    else
        m_pGraphView->setFocus(Qt::ShortcutFocusReason);
}

void CChildFrame::OnSplitBar()
{
    if (m_bTornDown || !m_pTableView->isVisible() || m_bSplitTracking)
        return;
    m_bSplitTracking = true;
    m_nSplitTrackingStart = m_wndSplitter->sizes().value(0);
    QSplitterHandle* handle = m_wndSplitter->handle(1);
    QCursor::setPos(handle->mapToGlobal(handle->rect().center()));
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(Qt::SplitHCursor);
}

void CChildFrame::EndSplitTracking(bool confirm)
{
    m_bSplitTracking = false;
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    if (!confirm) {
        SetTableWidth(m_nSplitTrackingStart);
    } else {
        m_nTableWidth = m_wndSplitter->sizes().value(0);
        m_bTableYields = false;
    }
}

bool CChildFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_bSplitTracking)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int step = (key->modifiers() & Qt::ControlModifier) ? 1 : 8;
        const int current = m_wndSplitter->sizes().value(0);
        switch (key->key()) {
        case Qt::Key_Left:
            SetTableWidth(current - step);
            return true;
        case Qt::Key_Right:
            SetTableWidth(current + step);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            EndSplitTracking(true);
            return true;
        case Qt::Key_Escape:
            EndSplitTracking(false);
            return true;
        default:
            return true;
        }
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        SetTableWidth(m_wndSplitter->mapFromGlobal(mouse->globalPosition().toPoint()).x());
        return false;
    }
    case QEvent::MouseButtonPress:
        EndSplitTracking(true);
        return true;
    case QEvent::ShortcutOverride:
        return true;
    default:
        return false;
    }
}
