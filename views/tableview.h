#pragma once

#include "framework/view.h"

#include <QPointer>
#include <QTableView>

class CZeltra20Doc;
class FunctionContainer;
class QMenu;
class TableModel;

/// The value table of a chart window: one row per argument x, the "x" column
/// and one column per visible function of the committed chart, each headed by
/// the function's legend label. The table is rebuilt from the chart on every
/// update without UpdateHint::kKeepTable while the chart shows its table, and
/// keeps its columns and rows otherwise. Cells are formatted only when
/// painted, so a table of 100 000 rows appears at once.
class CZeltra20TableView : public QTableView, public CView
{
    Q_OBJECT

public:
    /// Column width in pixels given to every column at each rebuild, where
    /// the font lets a "%g" number such as -1.23457e+100 fit in it.
    static constexpr int kColumnWidth = 70;

    /// The width columns start with: kColumnWidth, or wider where the table's
    /// font needs it, so that no number is cut short.
    int ColumnWidth() const;

    CZeltra20TableView(CZeltra20Doc& document, QWidget* parent = nullptr);
    ~CZeltra20TableView() override;

    void OnUpdate(CView* sender, int hint) override;
    /// Fills the table once, then asks the chart window for the chart's table
    /// width through tableWidthRequested.
    void OnInitialUpdate() override;

    /// The popup shown at the pointer on a context-menu request (not owned;
    /// null shows none): the chart window passes the graph view's menu.
    void SetContextMenu(QMenu* menu);

    /// Puts the selected rows, or the whole table when none is selected, on
    /// the clipboard with the header row, as tab-separated text and as CSV.
    void CopyToClipboard();

signals:
    /// The table pane's width in pixels as the chart holds it, sent once by
    /// OnInitialUpdate.
    void tableWidthRequested(int width);
    /// Sent on every context-menu request, at the screen point it was made at,
    /// for a chart window that shows its menu itself instead of setting one.
    void contextMenuRequested(const QPoint& globalPos);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    FunctionContainer& GetChart() const;
    void ApplyColours();
    void PaintGrid(const QRect& area);

    TableModel* m_pModel;
    QPointer<QMenu> m_pContextMenu;
};
