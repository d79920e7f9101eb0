#include "framework/propertysheet.h"

#include "framework/focus.h"
#include "framework/propertypage.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

CPropertySheet::CPropertySheet(const QString& caption, QWidget* parent, int startPage)
    : QDialog(parent), m_wndTabs(new QTabWidget(this)), m_nStartPage(startPage)
{
    setWindowTitle(caption);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
    m_wndApply = buttons->addButton(QStringLiteral("Zastosuj"), QDialogButtonBox::ApplyRole);
    ok->setObjectName(QStringLiteral("ok"));
    cancel->setObjectName(QStringLiteral("cancel"));
    m_wndApply->setObjectName(QStringLiteral("apply"));
    ok->setDefault(true);
    m_wndApply->setEnabled(false);
    connect(ok, &QPushButton::clicked, this, &CPropertySheet::accept);
    connect(cancel, &QPushButton::clicked, this, &CPropertySheet::reject);
    connect(m_wndApply, &QPushButton::clicked, this, &CPropertySheet::Apply);
    // Every tab caption stays in sight: the sheet is as wide as its tabs.
    m_wndTabs->setUsesScrollButtons(false);
    connect(m_wndTabs, &QTabWidget::currentChanged, this, &CPropertySheet::OnTabChanged);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_wndTabs);
    layout->addWidget(buttons);
}

void CPropertySheet::AddPage(CPropertyPage* page)
{
    m_pages.push_back(page);
    connect(page, &CPropertyPage::modifiedChanged, this, &CPropertySheet::UpdateApplyButton);
    const QSignalBlocker blocker(m_wndTabs);
    m_wndTabs->addTab(page, page->GetCaption());
}

CPropertyPage* CPropertySheet::GetPage(int index) const
{
    if (index < 0 || index >= GetPageCount())
        return nullptr;
    return m_pages[static_cast<std::size_t>(index)];
}

int CPropertySheet::GetActiveIndex() const
{
    return m_nShown;
}

CPropertyPage* CPropertySheet::GetActivePage() const
{
    return GetPage(m_nShown);
}

void CPropertySheet::showEvent(QShowEvent* event)
{
    if (!m_bInitialized) {
        m_bInitialized = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CPropertySheet::OnInitDialog()
{
    int start = m_nStartPage;
    if (start < 0 || start >= GetPageCount())
        start = 0;
    if (CPropertyPage* page = GetPage(start)) {
        page->Create();
        m_nShown = start;
        const QSignalBlocker blocker(m_wndTabs);
        m_wndTabs->setCurrentIndex(start);
        // The keyboard starts in the page, at its first control, not on the
        // row of tabs.
        FocusFirstControl(*page, Qt::TabFocusReason);
    }
}

bool CPropertySheet::SetActivePage(int index)
{
    if (!GetPage(index))
        return false;
    m_wndTabs->setCurrentIndex(index);
    return m_nShown == index;
}

void CPropertySheet::OnTabChanged(int index)
{
    if (m_bSwitching || index == m_nShown)
        return;
    // The tab has already changed: put the old page back in front while it is
    // asked, so that a refusal leaves everything as the user saw it.
    m_bSwitching = true;
    m_wndTabs->setCurrentIndex(m_nShown);
    CPropertyPage* leaving = GetActivePage();
    if (!leaving || leaving->OnKillActive()) {
        if (CPropertyPage* page = GetPage(index))
            page->Create();
        m_wndTabs->setCurrentIndex(index);
        m_nShown = index;
    }
    m_bSwitching = false;
}

bool CPropertySheet::Apply()
{
    CPropertyPage* active = GetActivePage();
    if (active && !active->OnKillActive())
        return false;
    for (CPropertyPage* page : m_pages) {
        if (page->IsCreated() && !page->OnApply())
            return false;
    }
    for (CPropertyPage* page : m_pages)
        page->SetModified(false);
    OnApplied();
    return true;
}

void CPropertySheet::accept()
{
    if (Apply())
        QDialog::accept();
}

void CPropertySheet::reject()
{
    for (CPropertyPage* page : m_pages) {
        if (page->IsCreated())
            page->OnReset();
    }
    QDialog::reject();
}

void CPropertySheet::UpdateApplyButton()
{
    bool modified = false;
    for (const CPropertyPage* page : m_pages)
        modified = modified || page->IsModified();
    m_wndApply->setEnabled(modified);
}
