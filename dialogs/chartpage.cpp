#include "dialogs/chartpage.h"

#include "chart/functioncontainer.h"
#include "chart/functioncontainerexception.h"
#include "framework/messagebox.h"
#include "framework/qtstring.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <cmath>
#include <cstdio>

CChartPage::CChartPage(FunctionContainer& chart, const QString& caption, PagePicture picture,
                       const QString& intro, QWidget* parent)
    : CPropertyPage(caption, parent), m_chart(chart), m_body(new QVBoxLayout)
{
    auto* icon = new QLabel(this);
    icon->setPixmap(PageIcon(picture));
    auto* text = new QLabel(intro, this);
    text->setWordWrap(true);
    auto* header = new QHBoxLayout;
    header->addWidget(icon, 0, Qt::AlignTop);
    header->addSpacing(8);
    header->addWidget(text, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addSpacing(4);
    layout->addLayout(m_body, 1);
}

bool CChartPage::OnApply()
{
    m_chart.CommitEdit();
    return true;
}

void CChartPage::OnReset()
{
    m_chart.CancelEdit();
}

bool CChartPage::Store(const std::function<void()>& setter, std::initializer_list<Field> fields)
{
    try {
        setter();
    } catch (const FunctionContainerException& e) {
        ShowStopMessage(this, e.m_strMessage);
        for (const Field& field : fields) {
            if (e.m_strMessage.rfind(field.message, 0) == 0) {
                field.edit->setFocus(Qt::OtherFocusReason);
                field.edit->selectAll();
                break;
            }
        }
        return false;
    }
    return true;
}

void CChartPage::Changed()
{
    if (!m_bLoading)
        SetModified(true);
}

QCheckBox* CChartPage::AddCheck(const QString& text, const QString& name)
{
    auto* check = new QCheckBox(text, this);
    check->setObjectName(name);
    connect(check, &QCheckBox::clicked, this, &CChartPage::Changed);
    return check;
}

QLineEdit* CChartPage::AddEdit(const QString& name)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    connect(edit, &QLineEdit::textChanged, this, &CChartPage::Changed);
    return edit;
}

void CChartPage::PlaceUnder(QGridLayout* grid, int row, int column, const QString& label,
                            QLineEdit* edit)
{
    auto* caption = new QLabel(label, this);
    caption->setBuddy(edit);
    grid->addWidget(caption, row, column);
    grid->addWidget(edit, row + 1, column);
}

void CChartPage::LoadNumber(QLineEdit* edit, const std::string& text, double value)
{
    // "%g" keeps six digits: a range reached by zooming would come back
    // rounded, or even with both ends equal, from a page the user only looked at.
    char exact[32];
    std::snprintf(exact, sizeof exact, "%.17g", value);
    const QString shown = FromCp1250(text);
    m_numbers[edit] = LoadedNumber{shown, std::isfinite(value) ? std::string(exact) : text};
    edit->setText(shown);
}

std::string CChartPage::NumberText(const QLineEdit* edit) const
{
    const auto loaded = m_numbers.find(edit);
    if (loaded != m_numbers.end() && loaded->second.text == edit->text())
        return loaded->second.exact;
    return ToCp1250(edit->text());
}
