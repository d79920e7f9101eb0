#pragma once

#include <QDialog>

#include <vector>

class CPropertyPage;
class QPushButton;
class QTabWidget;

/// A modal dialog of tabbed pages with the buttons OK, "Anuluj" and
/// "Zastosuj". Pages are created when first shown; leaving a page (another
/// tab, OK, "Zastosuj") asks the page first, and a page that refuses stays
/// in front. The sheet owns its pages.
class CPropertySheet : public QDialog
{
    Q_OBJECT

public:
    CPropertySheet(const QString& caption, QWidget* parent = nullptr, int startPage = 0);

    /// Pages keep the order in which they are added; call before showing.
    void AddPage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const;
    int GetActiveIndex() const;
    CPropertyPage* GetActivePage() const;
    /// Switches to a page if the current one lets the user leave it.
    bool SetActivePage(int index);

    /// Leaves the active page and applies every created page; false when the
    /// active page refused or a page failed to apply.
    bool Apply();

    void accept() override;
    void reject() override;

protected:
    /// Runs once before the sheet is first shown; creates the start page.
    virtual void OnInitDialog();
    /// Called after every successful apply (OK or "Zastosuj").
    virtual void OnApplied() {}

    void showEvent(QShowEvent* event) override;

private:
    void OnTabChanged(int index);
    void UpdateApplyButton();

    std::vector<CPropertyPage*> m_pages;
    QTabWidget* m_wndTabs;
    QPushButton* m_wndApply;
    int m_nStartPage;
    int m_nShown = -1; ///< the page in front, as the user last saw it
    bool m_bInitialized = false;
    bool m_bSwitching = false;
};
