#include "dialogs/chartdialogs.h"

#include "dialogs/funcpropertysheet.h"
#include "dialogs/functiondlg.h"

bool RunFunctionDialog(FunctionContainer& chart, QWidget* parent)
{
    CFunctionDlg dialog(chart, parent);
    return dialog.exec() == QDialog::Accepted;
}

void RunSettingsSheet(FunctionContainer& chart, int page, const std::function<void()>& applied,
                      QWidget* parent)
{
    CFuncPropertySheet sheet(chart, page, RunFunctionDialog, applied, parent);
    sheet.exec();
}
