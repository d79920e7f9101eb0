#include "dialogs/areadlg.h"

#include "chart/chartmessages.h"
#include "chart/curveanalysis.h"
#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"
#include "engine/function.h"
#include "engine/functionexception.h"
#include "framework/qtstring.h"
#include "framework/valuetext.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

CAreaDlg::CAreaDlg(const FunctionContainer& chart, QWidget* parent)
    : QDialog(parent), m_chart(chart)
{
    setWindowTitle(QStringLiteral("Pole pod wykresem"));
    m_wndFunction = new QComboBox(this);
    const std::vector<FunctionEntry>& functions = chart.GetFunctions();
    for (std::size_t i = 0; i < functions.size(); ++i) {
        if (!functions[i].m_bVisible)
            continue;
        m_functions.push_back(static_cast<int32_t>(i));
        m_wndFunction->addItem(FromCp1250(LegendLabel(functions[i])));
    }
    const ChartSettings& s = chart.GetSettings();
    m_wndFrom = new QLineEdit(ValueText(s.m_xMin), this);
    m_wndTo = new QLineEdit(ValueText(s.m_xMax), this);
    m_wndResult = new QLabel(this);
    m_wndResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_wndResult->setMinimumWidth(320);
    m_wndResult->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Funkcja:"), m_wndFunction);
    form->addRow(QStringLiteral("&Od x ="), m_wndFrom);
    form->addRow(QStringLiteral("&Do x ="), m_wndTo);

    auto* compute = new QPushButton(QStringLiteral("O&blicz"), this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Anuluj"), this);
    ok->setDefault(true);
    connect(compute, &QPushButton::clicked, this, &CAreaDlg::Compute);
    connect(ok, &QPushButton::clicked, this, &CAreaDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CAreaDlg::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(compute);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_wndResult);
    layout->addLayout(buttons);
}

double CAreaDlg::Evaluate(const QLineEdit* field, const char* name) const
{
    Function formula;
    formula.m_bThrowSyntaxErrors = true;
    formula.m_bThrowEvalErrors = true;
    formula.m_bDegrees = m_chart.GetSettings().m_bDegrees != 0;
    try {
        return formula.SetFormula(ToCp1250(field->text())).Evaluate(0);
    } catch (const FunctionException& e) {
        throw FunctionContainerException(
            ChartMessage::Format(ChartMessage::kSettingFormat, ToCp1250(QString::fromUtf8(name)).c_str(),
                                 e.m_strMessage.c_str(), e.m_nPosition),
            e.m_nPosition);
    }
}

bool CAreaDlg::Compute()
{
    const int choice = m_wndFunction->currentIndex();
    if (choice < 0) {
        m_wndResult->setText(QString::fromUtf8("Wykres nie ma widocznych funkcji."));
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool known = false;
    try {
        const double from = Evaluate(m_wndFrom, "Błąd w początku przedziału");
        const double to = Evaluate(m_wndTo, "Błąd w końcu przedziału");
        const int32_t function = m_functions[static_cast<std::size_t>(choice)];
        const AreaAnswer area = CurveAnalysis(m_chart).Area(function, from, to);
        m_wndResult->setText(QString::fromUtf8("Pole = %1\nBłąd nie większy niż %2")
                                 .arg(ValueText(area.value), ValueText(area.error, 3)));
        m_nFunction = function;
        m_from = from;
        m_to = to;
        m_value = area.value;
        known = true;
    } catch (const FunctionContainerException& e) {
        m_wndResult->setText(FromCp1250(e.m_strMessage));
    }
    QApplication::restoreOverrideCursor();
    return known;
}

void CAreaDlg::accept()
{
    if (Compute())
        QDialog::accept();
}

bool RunAreaDialog(const FunctionContainer& chart, QWidget* parent, ShadedArea& area)
{
    CAreaDlg dialog(chart, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    area.function = dialog.GetFunction();
    area.a = dialog.GetFrom();
    area.b = dialog.GetTo();
    area.value = dialog.GetValue();
    area.kind = AreaKind::kSigned;
    return true;
}
