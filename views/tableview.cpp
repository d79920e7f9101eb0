#include "views/tableview.h"

#include "document/zeltra20doc.h"
#include "framework/commandids.h"
#include "views/tablecelldelegate.h"
#include "views/tablecopy.h"
#include "views/tablemodel.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QPaintEvent>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

namespace {

QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace

CZeltra20TableView::CZeltra20TableView(CZeltra20Doc& document, QWidget* parent)
    : QTableView(parent), CView(document), m_pModel(new TableModel(document.GetChart(), this))
{
    setModel(m_pModel);
    setItemDelegate(new TableCellDelegate(this));
    setSelectionBehavior(SelectRows);
    // Click, Shift, Ctrl and Ctrl+A select rows to copy.
    setSelectionMode(ExtendedSelection);
    setEditTriggers(NoEditTriggers);
    setWordWrap(false);
    // The grid is painted by PaintGrid.
    setShowGrid(false);
    setHorizontalScrollMode(ScrollPerPixel);

    // A list of rows: no row numbers, every row one line high. Fixed heights
    // let the view place any of 100 000 rows without measuring them.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    const int rowHeight = fontMetrics().height() + 4;
    rows->setMinimumSectionSize(rowHeight);
    rows->setDefaultSectionSize(rowHeight);

    QHeaderView* columns = horizontalHeader();
    columns->setMinimumSectionSize(0);
    columns->setDefaultSectionSize(ColumnWidth());
    columns->setSectionsMovable(true);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setTextElideMode(Qt::ElideRight);
    columns->setHighlightSections(false);
}

CZeltra20TableView::~CZeltra20TableView() = default;

int CZeltra20TableView::ColumnWidth() const
{
    // The longest text "%g" writes, and the cell's margins.
    const int longest = fontMetrics().horizontalAdvance(QStringLiteral("-8.88888e+888")) + 8;
    return std::max(kColumnWidth, longest);
}

FunctionContainer& CZeltra20TableView::GetChart() const
{
    // The constructor took a chart document.
    return static_cast<CZeltra20Doc&>(GetDocument()).GetChart();
}

void CZeltra20TableView::OnUpdate(CView* /*sender*/, int hint)
{
    // While the table is switched off it is left as it is; switching it on
    // broadcasts a full update, which rebuilds it.
    if ((hint & UpdateHint::kKeepTable) != 0 || !GetChart().IsTableVisible())
        return;
    ApplyColours();
    m_pModel->Rebuild();
    // The rebuilt table starts at its first row, its columns in list order and
    // at their first width, whatever the user did to the old ones.
    QHeaderView* columns = horizontalHeader();
    for (int column = 0; column < columns->count(); ++column) {
        if (columns->visualIndex(column) != column)
            columns->moveSection(columns->visualIndex(column), column);
        columns->resizeSection(column, ColumnWidth());
    }
    scrollToTop();
}

void CZeltra20TableView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0);
    emit tableWidthRequested(GetChart().GetTableWidth());
}

void CZeltra20TableView::SetContextMenu(QMenu* menu)
{
    m_pContextMenu = menu;
}

void CZeltra20TableView::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_pContextMenu)
        m_pContextMenu->popup(event->globalPos());
    emit contextMenuRequested(event->globalPos());
    event->accept();
}

void CZeltra20TableView::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::Copy) {
        CopyToClipboard();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void CZeltra20TableView::CopyToClipboard()
{
    // Columns in the order they stand, rows in the table's order whatever
    // order they were picked in.
    const QHeaderView* header = horizontalHeader();
    std::vector<int> columns;
    for (int visual = 0; visual < header->count(); ++visual)
        columns.push_back(header->logicalIndex(visual));
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    if (rows.empty()) {
        for (int row = 0; row < m_pModel->rowCount(); ++row)
            rows.push_back(row);
    }
    QGuiApplication::clipboard()->setMimeData(TableMimeData(CopyTableRows(*m_pModel, columns, rows)));
}

void CZeltra20TableView::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    PaintGrid(event->rect());
}

// The grid lines run along the right and bottom edge of every cell. They are
// filled as rectangles one pixel wide: the raster engine strokes a line pixel
// by pixel, which costs as much as the text of the cells.
void CZeltra20TableView::PaintGrid(const QRect& area)
{
    const QHeaderView* columns = horizontalHeader();
    const QHeaderView* rows = verticalHeader();
    if (columns->count() == 0)
        return;
    const int right = std::min(area.right(), columns->length() - columns->offset() - 1);
    const int bottom = std::min(area.bottom(), rows->length() - rows->offset() - 1);

    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QColor colour = QColor::fromRgba(
        static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    QPainter painter(viewport());

    if (bottom >= area.top()) {
        const int last = columns->visualIndexAt(right);
        for (int visual = columns->visualIndexAt(area.left()); visual >= 0 && visual <= last;
             ++visual) {
            const int column = columns->logicalIndex(visual);
            const int x = columnViewportPosition(column) + columnWidth(column) - 1;
            painter.fillRect(QRect(x, area.top(), 1, bottom - area.top() + 1), colour);
        }
    }
    if (right >= area.left() && rows->count() > 0) {
        const int first = std::max(rowAt(area.top()), 0);
        const int last = rowAt(bottom);
        for (int row = first; row >= 0 && row <= last; ++row) {
            const int y = rowViewportPosition(row) + rowHeight(row) - 1;
            painter.fillRect(QRect(area.left(), y, right - area.left() + 1, 1), colour);
        }
    }
}

void CZeltra20TableView::ApplyColours()
{
    const ChartSettings& s = GetChart().GetSettings();
    const QColor text = ToQColor(s.m_crTableText);
    const QColor back = ToQColor(s.m_crTableBack);
    QPalette colours = palette();
    if (colours.color(QPalette::Text) == text && colours.color(QPalette::Base) == back)
        return; // setting a palette lays the widget out again
    colours.setColor(QPalette::Text, text);
    colours.setColor(QPalette::Base, back);
    setPalette(colours);
}
