#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QTextBrowser;

/// "Osiowiec - Pomoc": the program's help in a window of its own beside the
/// charts, with links between its sections and a search field that finds
/// the next place a text occurs (Enter again finds the one after).
class CHelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    /// The help as shown, for the tests.
    QTextBrowser* GetBrowser() const { return m_pBrowser; }
    QLineEdit* GetSearchField() const { return m_pSearch; }

    /// Finds the next occurrence of the search text after the selection,
    /// from the top again after the last; false when there is none.
    bool FindNext();

private:
    QTextBrowser* m_pBrowser;
    QLineEdit* m_pSearch;
    QLabel* m_pNotFound;
};
