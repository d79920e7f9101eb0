#pragma once

#include "dialogs/chartpage.h"

#include <functional>

class QListWidget;
class QPushButton;

/// The page "Funkcje": the chart's functions with their visibility, and the
/// buttons that add, remove and edit them. It writes into the chart's edit
/// copy at once.
class CFuncsPropertyPage : public CChartPage
{
    Q_OBJECT

public:
    /// Runs the formula editor on the chart's current function; true on OK.
    using FunctionEditor = std::function<bool(FunctionContainer& chart, QWidget* parent)>;

    CFuncsPropertyPage(FunctionContainer& chart, FunctionEditor editor, QWidget* parent = nullptr);

    void OnInitDialog() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnAdd();
    void OnEdit();
    void OnRemove();
    /// Shows the chart's current function in a list item.
    void ShowCurrent(int row);
    void SelectRow(int row);

    FunctionEditor m_editor;
    QListWidget* m_wndList;
    QPushButton* m_wndAdd;
    QPushButton* m_wndRemove;
    QPushButton* m_wndEdit;
};
