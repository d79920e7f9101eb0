#pragma once

#include <QString>
#include <QWidget>

/// One page of a property sheet. The sheet creates the page's contents the
/// first time the page is shown (OnInitDialog) and asks it before the user
/// leaves it (OnKillActive); OK and "Zastosuj" apply every created page,
/// "Anuluj" resets every created page.
class CPropertyPage : public QWidget
{
    Q_OBJECT

public:
    explicit CPropertyPage(const QString& caption, QWidget* parent = nullptr);

    const QString& GetCaption() const { return m_caption; }
    bool IsCreated() const { return m_bCreated; }
    bool IsModified() const { return m_bModified; }

    /// Marks the page as holding changes not yet applied; the sheet enables
    /// its apply button while any page is modified.
    void SetModified(bool modified = true);

    /// Runs OnInitDialog once; the sheet calls it before the page is first shown.
    void Create();

    /// Fills the controls; called once, before the page is first shown.
    virtual void OnInitDialog() {}
    /// False keeps the user on the page (and the sheet open).
    virtual bool OnKillActive() { return true; }
    /// Makes the page's changes permanent; false keeps the sheet open.
    virtual bool OnApply() { return true; }
    /// Throws the page's changes away (the sheet is being cancelled).
    virtual void OnReset() {}

signals:
    void modifiedChanged(bool modified);

private:
    QString m_caption;
    bool m_bCreated = false;
    bool m_bModified = false;
};
