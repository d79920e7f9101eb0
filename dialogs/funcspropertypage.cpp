#include "dialogs/funcspropertypage.h"

#include "chart/functioncontainer.h"
#include "framework/messagebox.h"
#include "framework/qtstring.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CFuncsPropertyPage::CFuncsPropertyPage(FunctionContainer& chart, FunctionEditor editor,
                                       QWidget* parent)
    : CChartPage(chart, QStringLiteral("Funkcje"), PagePicture::kFunctions,
                 QStringLiteral("Tu możesz dodawać, usuwać i edytować funkcje wykresu"), parent),
      m_editor(std::move(editor)),
      m_wndList(new QListWidget(this)),
      m_wndAdd(new QPushButton(QStringLiteral("&Dodaj"), this)),
      m_wndRemove(new QPushButton(QStringLiteral("&Usuń"), this)),
      m_wndEdit(new QPushButton(QStringLiteral("&Edytuj"), this))
{
    m_wndList->setObjectName(QStringLiteral("functions"));
    m_wndAdd->setObjectName(QStringLiteral("add"));
    m_wndRemove->setObjectName(QStringLiteral("remove"));
    m_wndEdit->setObjectName(QStringLiteral("edit"));
    for (QPushButton* button : {m_wndAdd, m_wndRemove, m_wndEdit})
        button->setAutoDefault(false);

    // Names flow down and then into the next column, as in a list of files.
    m_wndList->setViewMode(QListView::ListMode);
    m_wndList->setFlow(QListView::TopToBottom);
    m_wndList->setWrapping(true);
    m_wndList->setResizeMode(QListView::Adjust);
    m_wndList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_wndList->setIconSize(QSize(16, 16));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(14);
    m_wndList->setFont(font);
    m_wndList->installEventFilter(this);

    auto* label = new QLabel(QStringLiteral("&Lista funkcji"), this);
    label->setBuddy(m_wndList);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_wndAdd);
    buttons->addWidget(m_wndRemove);
    buttons->addWidget(m_wndEdit);
    buttons->addStretch(1);
    auto* list = new QVBoxLayout;
    list->addWidget(label);
    list->addWidget(m_wndList, 1);
    auto* row = new QHBoxLayout;
    row->addLayout(list, 1);
    row->addLayout(buttons);
    Body()->addLayout(row, 1);

    connect(m_wndAdd, &QPushButton::clicked, this, &CFuncsPropertyPage::OnAdd);
    connect(m_wndRemove, &QPushButton::clicked, this, &CFuncsPropertyPage::OnRemove);
    connect(m_wndEdit, &QPushButton::clicked, this, &CFuncsPropertyPage::OnEdit);
    connect(m_wndList, &QListWidget::itemDoubleClicked, this, &CFuncsPropertyPage::OnEdit);
}

void CFuncsPropertyPage::OnInitDialog()
{
    FunctionContainer& chart = Chart();
    const int count = chart.GetFunctionCount();
    for (int i = 0; i < count; ++i) {
        chart.SetCurrent(i);
        m_wndList->addItem(QString());
        ShowCurrent(i);
    }
    if (count == 0) {
        m_wndRemove->setEnabled(false);
        m_wndEdit->setEnabled(false);
    } else {
        SelectRow(0);
    }
}

void CFuncsPropertyPage::ShowCurrent(int row)
{
    QListWidgetItem* item = m_wndList->item(row);
    item->setText(FromCp1250(Chart().GetLegendLabel()));
    item->setIcon(QIcon(VisibilityIcon(Chart().IsVisible())));
}

void CFuncsPropertyPage::SelectRow(int row)
{
    m_wndList->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void CFuncsPropertyPage::OnAdd()
{
    Chart().SetCurrent(-1);
    if (!m_editor(Chart(), this))
        return;
    const int row = m_wndList->count();
    m_wndList->addItem(QString());
    ShowCurrent(row);
    SelectRow(row);
    m_wndEdit->setEnabled(true);
    m_wndRemove->setEnabled(true);
    SetModified(true);
}

void CFuncsPropertyPage::OnEdit()
{
    const int row = m_wndList->currentRow();
    if (row < 0)
        return;
    Chart().SetCurrent(row);
    if (!m_editor(Chart(), this))
        return;
    ShowCurrent(row);
    SetModified(true);
}

void CFuncsPropertyPage::OnRemove()
{
    const int row = m_wndList->currentRow();
    if (row < 0)
        return;
    // The question takes the focus while it is open.
    QWidget* focus = window()->focusWidget();
    if (AskQuestion(this, QStringLiteral("Czy na pewno chcesz usunąć wybraną funkcję?"),
                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
                    QStringLiteral("Potwierdź")) != QMessageBox::Yes)
        return;
    delete m_wndList->takeItem(row);
    Chart().RemoveFunction(row);
    if (m_wndList->count() > 0) {
        SelectRow(0);
    } else {
        if (focus == m_wndRemove || focus == m_wndEdit)
            m_wndAdd->setFocus();
        m_wndRemove->setEnabled(false);
        m_wndEdit->setEnabled(false);
    }
    SetModified(true);
}

bool CFuncsPropertyPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_wndList && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        OnEdit();
        return true;
    }
    return CChartPage::eventFilter(watched, event);
}
