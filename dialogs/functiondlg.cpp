#include "dialogs/functiondlg.h"

#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"
#include "dialogs/colorbutton.h"
#include "dialogs/dialogicons.h"
#include "framework/messagebox.h"
#include "framework/qtstring.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The formula's own font: Arial with a character cell 16 pixels high.
QFont FormulaFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(14);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

CFunctionDlg::CFunctionDlg(FunctionContainer& chart, QWidget* parent)
    : QDialog(parent),
      m_chart(chart),
      m_wndFormula(new QTextEdit(this)),
      m_wndStatusIcon(new QLabel(this)),
      m_wndStatus(new QLineEdit(this)),
      m_wndOrder(new QButtonGroup(this)),
      m_wndColor(new CColorButton(QStringLiteral("&Kolor..."), this)),
      m_wndShowCurve(new QCheckBox(QStringLiteral("&Widoczna"), this))
{
    setWindowTitle(QStringLiteral("Funkcja"));

    m_wndStatusIcon->setObjectName(QStringLiteral("statusIcon"));
    m_wndStatus->setObjectName(QStringLiteral("status"));
    m_wndStatus->setEnabled(false);
    m_wndStatus->setFrame(false);
    m_wndFormula->setObjectName(QStringLiteral("formula"));
    m_wndFormula->setAcceptRichText(false);
    m_wndFormula->setTabChangesFocus(true);
    m_wndFormula->setFont(FormulaFont());
    m_wndFormula->installEventFilter(this);
    m_wndColor->setObjectName(QStringLiteral("color"));
    m_wndShowCurve->setObjectName(QStringLiteral("visible"));

    auto* heading = new QVBoxLayout;
    heading->addWidget(new QLabel(QStringLiteral("Edycja wzoru funkcji"), this));
    heading->addWidget(m_wndStatus);
    auto* top = new QHBoxLayout;
    top->addWidget(m_wndStatusIcon, 0, Qt::AlignTop);
    top->addSpacing(6);
    top->addLayout(heading, 1);

    auto* definition = new QLabel(QStringLiteral("&Definicja"), this);
    definition->setBuddy(m_wndFormula);

    auto* orderBox = new QGroupBox(QStringLiteral("&Pochodna"), this);
    auto* orderLayout = new QHBoxLayout(orderBox);
    const QString orders[] = {QStringLiteral("0"), QStringLiteral("I"), QStringLiteral("II")};
    for (int order = 0; order < 3; ++order) {
        auto* radio = new QRadioButton(orders[order], orderBox);
        radio->setObjectName(QStringLiteral("order%1").arg(order));
        m_wndOrder->addButton(radio, order);
        orderLayout->addWidget(radio);
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Anuluj"), this);
    ok->setObjectName(QStringLiteral("ok"));
    cancel->setObjectName(QStringLiteral("cancel"));
    ok->setDefault(true);
    ok->setAutoDefault(true);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &CFunctionDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CFunctionDlg::reject);

    auto* curve = new QVBoxLayout;
    curve->addWidget(m_wndColor);
    curve->addWidget(m_wndShowCurve);
    curve->addStretch(1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(orderBox);
    bottom->addSpacing(6);
    bottom->addLayout(curve);
    bottom->addStretch(1);
    bottom->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(definition);
    layout->addWidget(m_wndFormula);
    layout->addLayout(bottom);

    // Three lines of the formula font, enough to see a long formula wrap.
    m_wndFormula->setFixedHeight(QFontMetrics(FormulaFont()).lineSpacing() * 3 + 12);
    m_wndFormula->setMinimumWidth(400);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    OnInitDialog();
    connect(m_wndFormula, &QTextEdit::textChanged, this, &CFunctionDlg::OnChangeFormula);
}

void CFunctionDlg::OnInitDialog()
{
    m_nOpenedOn = m_chart.GetCurrent();
    m_strFormula = m_chart.GetFormula();
    m_nOrder = std::clamp(m_chart.GetDerivative(), 0, 2);
    m_bShowCurve = m_chart.IsVisible();
    m_crColor = m_chart.GetColor();

    m_wndFormula->setPlainText(FromCp1250(m_strFormula));
    m_wndFormula->moveCursor(QTextCursor::End);
    m_wndOrder->button(m_nOrder)->setChecked(true);
    m_wndShowCurve->setChecked(m_bShowCurve);
    m_wndColor->SetColor(m_crColor);
    m_wndStatusIcon->setPixmap(StatusIcon(FormulaStatus::kInitial));
    m_wndFormula->setFocus();
}

QString CFunctionDlg::FormulaText() const
{
    // A pasted line separator counts as a line break, like a paragraph break.
    QString text = m_wndFormula->toPlainText();
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

void CFunctionDlg::ShowStatus(const QString& status)
{
    m_wndStatus->setText(QStringLiteral("Status: ") + status);
    m_wndStatus->setCursorPosition(0);
}

void CFunctionDlg::SetAutomaticColor()
{
    // Colour changes are no edits of the formula.
    const QSignalBlocker blocker(m_wndFormula);
    QTextCursor all(m_wndFormula->document());
    all.select(QTextCursor::Document);
    all.setCharFormat(QTextCharFormat());
    m_wndFormula->setCurrentCharFormat(QTextCharFormat());
}

void CFunctionDlg::Store(const std::string& formula)
{
    m_chart.SetFunction(formula, m_wndOrder->checkedId(), m_wndShowCurve->isChecked(),
                        m_wndColor->GetColor());
    m_bWritten = true;
}

void CFunctionDlg::OnChangeFormula()
{
    if (m_bErrorMarked) {
        SetAutomaticColor();
        m_bErrorMarked = false;
    }
    try {
        // While typing the text goes to the chart as it is; white space of
        // any kind between the symbols is allowed.
        Store(ToCp1250(FormulaText()));
        m_wndStatusIcon->setPixmap(StatusIcon(FormulaStatus::kValid));
        m_bErrorIcon = false;
        m_wndStatus->setText(QStringLiteral("Status: OK"));
    } catch (const FunctionContainerException& e) {
        if (!m_bErrorIcon) {
            m_wndStatusIcon->setPixmap(StatusIcon(FormulaStatus::kTypingError));
            m_bErrorIcon = true;
        }
        ShowStatus(FromCp1250(e.m_strMessage));
    }
}

void CFunctionDlg::accept()
{
    QString text = FormulaText();
    text.remove(QLatin1Char('\n'));
    text.remove(QLatin1Char('\t'));
    text.remove(QLatin1Char('\r'));
    try {
        Store(ToCp1250(text));
    } catch (const FunctionContainerException& e) {
        m_wndStatusIcon->setPixmap(StatusIcon(FormulaStatus::kRejected));
        m_bErrorIcon = true;
        // The editor shows the text that was checked, so the marking and the
        // caret fall on the characters the error position counts.
        if (text != m_wndFormula->toPlainText()) {
            const QSignalBlocker blocker(m_wndFormula);
            m_wndFormula->setPlainText(text);
        }
        SetAutomaticColor();
        const int length = static_cast<int>(text.size());
        const int position = e.m_nPosition < 0 ? length : std::min(e.m_nPosition, length);
        {
            const QSignalBlocker blocker(m_wndFormula);
            QTextCursor tail(m_wndFormula->document());
            tail.setPosition(position);
            tail.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            QTextCharFormat red;
            red.setForeground(QColor(255, 0, 0));
            tail.mergeCharFormat(red);
        }
        m_bErrorMarked = true;
        ShowStatus(FromCp1250(e.m_strMessage));
        ShowStopMessage(this, e.m_strMessage);
        QTextCursor caret(m_wndFormula->document());
        caret.setPosition(position);
        m_wndFormula->setTextCursor(caret);
        m_wndFormula->setFocus();
        return;
    }
    QDialog::accept();
}

void CFunctionDlg::reject()
{
    // Take back what the dialog wrote into the chart: a function it added is
    // removed, one it edited gets its old text, order, visibility and colour.
    if (m_bWritten) {
        if (m_nOpenedOn < 0) {
            m_chart.RemoveFunction(m_chart.GetCurrent());
            m_chart.SetCurrent(-1);
        } else {
            m_chart.SetCurrent(m_nOpenedOn);
            try {
                m_chart.SetFunction(m_strFormula, m_nOrder, m_bShowCurve, m_crColor);
            } catch (const FunctionContainerException&) {
                // The old text never compiled: the edited one stays.
            }
        }
    }
    QDialog::reject();
}

bool CFunctionDlg::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the formula confirms the dialog; a formula is one line.
    if (watched == m_wndFormula && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
