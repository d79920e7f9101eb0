#pragma once

#include "framework/propertysheet.h"

#include <functional>

class FunctionContainer;

/// The sheet "Ustawienia wykresu" with the seven settings pages of one chart.
/// One run of the sheet is one edit transaction of the chart: begun when the
/// sheet opens, committed by OK and "Zastosuj", cancelled by "Anuluj".
class CFuncPropertySheet : public CPropertySheet
{
    Q_OBJECT

public:
    /// The pages in their order; the numbers are what SettingsPageOf returns.
    enum Page { kFunctions, kRange, kScale, kGrid, kDescriptions, kComputation, kTable };

    /// `editor` runs the formula editor for the functions page; `applied` is
    /// called after each commit.
    CFuncPropertySheet(FunctionContainer& chart, int startPage,
                       std::function<bool(FunctionContainer&, QWidget*)> editor,
                       std::function<void()> applied, QWidget* parent = nullptr);

protected:
    void OnInitDialog() override;
    void OnApplied() override;

private:
    FunctionContainer& m_chart;
    std::function<void()> m_applied;
};
