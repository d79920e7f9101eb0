#include "dialogs/funcpropertysheet.h"

#include "chart/functioncontainer.h"
#include "dialogs/computpropertypage.h"
#include "dialogs/describespropertypage.h"
#include "dialogs/funcspropertypage.h"
#include "dialogs/netpropertypage.h"
#include "dialogs/rangepropertypage.h"
#include "dialogs/scalepropertypage.h"
#include "dialogs/tablepropertypage.h"

CFuncPropertySheet::CFuncPropertySheet(FunctionContainer& chart, int startPage,
                                       std::function<bool(FunctionContainer&, QWidget*)> editor,
                                       std::function<void()> applied, QWidget* parent)
    : CPropertySheet(QStringLiteral("Ustawienia wykresu"), parent, startPage),
      m_chart(chart),
      m_applied(std::move(applied))
{
    AddPage(new CFuncsPropertyPage(chart, std::move(editor), this));
    AddPage(new CRangePropertyPage(chart, this));
    AddPage(new CScalePropertyPage(chart, this));
    AddPage(new CNetPropertyPage(chart, this));
    AddPage(new CDescribesPropertyPage(chart, this));
    AddPage(new CComputPropertyPage(chart, this));
    AddPage(new CTablePropertyPage(chart, this));
}

void CFuncPropertySheet::OnInitDialog()
{
    m_chart.BeginEdit();
    CPropertySheet::OnInitDialog();
}

void CFuncPropertySheet::OnApplied()
{
    // Every created page commits, but only the first commit finds changes:
    // the document is told once per OK or "Zastosuj".
    if (m_applied)
        m_applied();
}
