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
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

constexpr AreaKind kKinds[3] = {AreaKind::kSigned, AreaKind::kGeometric, AreaKind::kBetween};

} // namespace

QString AreaValueText(double value, double error)
{
    if (value == 0 || !std::isfinite(value))
        return ValueText(value);
    int digits = 17;
    if (error > 0)
        digits = std::clamp(static_cast<int>(std::floor(std::log10(std::fabs(value) / error))) + 2, 1, 17);
    char text[64];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
    std::string shown(text, result.ptr);
    // The general form drops trailing zeros; they are digits the error
    // vouches for, so they are put back before any exponent.
    const std::size_t exponent = std::min(shown.find('e'), shown.size());
    std::string mantissa = shown.substr(0, exponent);
    int have = 0;
    bool started = false;
    for (char c : mantissa) {
        started = started || (c >= '1' && c <= '9');
        have += started && c >= '0' && c <= '9' ? 1 : 0;
    }
    if (have < digits) {
        if (mantissa.find('.') == std::string::npos)
            mantissa += '.';
        mantissa.append(static_cast<std::size_t>(digits - have), '0');
    }
    return QString::fromLatin1(mantissa + shown.substr(exponent));
}

CAreaDlg::CAreaDlg(const FunctionContainer& chart, QWidget* parent)
    : QDialog(parent), m_chart(chart)
{
    setWindowTitle(QStringLiteral("Pole pod wykresem"));
    m_wndFunction = new QComboBox(this);
    m_wndFunction->setObjectName(QStringLiteral("function"));
    m_wndSecond = new QComboBox(this);
    m_wndSecond->setObjectName(QStringLiteral("second"));
    const std::vector<FunctionEntry>& functions = chart.GetFunctions();
    for (std::size_t i = 0; i < functions.size(); ++i) {
        if (!functions[i].m_bVisible)
            continue;
        m_functions.push_back(static_cast<int32_t>(i));
        m_wndFunction->addItem(FromCp1250(LegendLabel(functions[i])));
        m_wndSecond->addItem(FromCp1250(LegendLabel(functions[i])));
    }
    // The second curve is another one where there is another.
    m_wndSecond->setCurrentIndex(m_functions.size() > 1 ? 1 : 0);

    auto* kinds = new QGroupBox(QStringLiteral("Rodzaj pola"), this);
    auto* kindLayout = new QVBoxLayout(kinds);
    const char* texts[3] = {"&Całka oznaczona (pole ze znakiem)",
                            "Pole obszaru między wykresem a osią &X",
                            "Pole obszaru między dwoma &wykresami"};
    const char* names[3] = {"signed", "geometric", "between"};
    for (int i = 0; i < 3; ++i) {
        m_wndKinds[i] = new QRadioButton(QString::fromUtf8(texts[i]), kinds);
        m_wndKinds[i]->setObjectName(QString::fromLatin1(names[i]));
        kindLayout->addWidget(m_wndKinds[i]);
    }
    m_wndKinds[0]->setChecked(true);
    m_wndKinds[2]->setEnabled(m_functions.size() > 1);

    const ChartSettings& s = chart.GetSettings();
    m_wndFrom = new QLineEdit(ValueText(s.m_xMin), this);
    m_wndTo = new QLineEdit(ValueText(s.m_xMax), this);
    m_wndFrom->setObjectName(QStringLiteral("from"));
    m_wndTo->setObjectName(QStringLiteral("to"));
    m_wndResult = new QLabel(this);
    m_wndResult->setObjectName(QStringLiteral("result"));
    m_wndResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_wndResult->setMinimumWidth(360);
    m_wndResult->setMinimumHeight(2 * m_wndResult->fontMetrics().lineSpacing());
    m_wndResult->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Funkcja:"), m_wndFunction);
    form->addRow(kinds);
    form->addRow(QStringLiteral("Dr&uga funkcja:"), m_wndSecond);
    form->addRow(QStringLiteral("&Od x ="), m_wndFrom);
    form->addRow(QStringLiteral("&Do x ="), m_wndTo);

    auto* compute = new QPushButton(QStringLiteral("O&blicz"), this);
    compute->setObjectName(QStringLiteral("compute"));
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

    for (QLineEdit* field : {m_wndFrom, m_wndTo}) {
        connect(field, &QLineEdit::textChanged, this, &CAreaDlg::Forget);
        connect(field, &QLineEdit::textEdited, this, [this] { m_bTyped = true; });
    }
    for (QComboBox* combo : {m_wndFunction, m_wndSecond}) {
        connect(combo, &QComboBox::currentIndexChanged, this, [this] {
            Forget();
            FillInterval();
        });
    }
    for (QRadioButton* kind : m_wndKinds) {
        connect(kind, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                KindChanged();
        });
    }
    KindChanged();
}

CAreaDlg::~CAreaDlg() = default;

AreaKind CAreaDlg::Kind() const
{
    for (int i = 0; i < 3; ++i) {
        if (m_wndKinds[i]->isChecked())
            return kKinds[i];
    }
    return AreaKind::kSigned;
}

void CAreaDlg::Forget()
{
    m_bKnown = false;
    m_wndResult->clear();
}

void CAreaDlg::KindChanged()
{
    Forget();
    m_wndSecond->setEnabled(Kind() == AreaKind::kBetween);
    FillInterval();
}

void CAreaDlg::FillInterval()
{
    if (m_bTyped)
        return;
    const ChartSettings& s = m_chart.GetSettings();
    double from = s.m_xMin;
    double to = s.m_xMax;
    const int first = m_wndFunction->currentIndex();
    const int second = m_wndSecond->currentIndex();
    if (Kind() == AreaKind::kBetween && first >= 0 && second >= 0 && first != second) {
        if (!m_pAnswers) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            m_pAnswers = std::make_unique<ChartAnswers>(CurveAnalysis(m_chart).Analyze(s.m_xMin, s.m_xMax));
            QApplication::restoreOverrideCursor();
        }
        const int32_t f = m_functions[static_cast<std::size_t>(first)];
        const int32_t g = m_functions[static_cast<std::size_t>(second)];
        std::vector<double> meetings;
        for (const CurveIntersection& meeting : m_pAnswers->m_intersections) {
            if ((meeting.m_nFirst == f && meeting.m_nSecond == g) ||
                (meeting.m_nFirst == g && meeting.m_nSecond == f))
                meetings.push_back(meeting.x);
        }
        // The region two curves enclose lies between where they meet.
        if (meetings.size() >= 2) {
            from = *std::min_element(meetings.begin(), meetings.end());
            to = *std::max_element(meetings.begin(), meetings.end());
        }
    }
    m_wndFrom->setText(ValueText(from));
    m_wndTo->setText(ValueText(to));
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
            ChartMessage::SettingError(ToCp1250(QString::fromUtf8(name)).c_str(), e.m_strMessage,
                                       e.m_nPosition),
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
    try {
        ShadedArea area;
        area.kind = Kind();
        area.function = m_functions[static_cast<std::size_t>(choice)];
        if (area.kind == AreaKind::kBetween)
            area.second = m_functions[static_cast<std::size_t>(std::max(m_wndSecond->currentIndex(), 0))];
        area.a = Evaluate(m_wndFrom, "Błąd w początku przedziału");
        area.b = Evaluate(m_wndTo, "Błąd w końcu przedziału");
        const AreaAnswer answer =
            CurveAnalysis(m_chart).Area(area.function, area.a, area.b, area.kind, area.second);
        area.value = answer.value;
        m_wndResult->setText(QString::fromUtf8("Pole = %1 (%2)\nBłąd nie większy niż %3")
                                 .arg(AreaValueText(answer.value, answer.error),
                                      FromCp1250(AreaKindName(area.kind)), ValueText(answer.error, 3)));
        m_area = area;
        m_bKnown = true;
    } catch (const FunctionContainerException& e) {
        m_wndResult->setText(FromCp1250(e.m_strMessage));
        m_bKnown = false;
    }
    QApplication::restoreOverrideCursor();
    return m_bKnown;
}

void CAreaDlg::accept()
{
    if (m_bKnown || Compute())
        QDialog::accept();
}

bool RunAreaDialog(const FunctionContainer& chart, QWidget* parent, ShadedArea& area)
{
    CAreaDlg dialog(chart, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    area = dialog.GetArea();
    return true;
}
