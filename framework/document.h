#pragma once

#include <QObject>
#include <QString>

#include <string>
#include <vector>

class CView;

/// One open document: its title, its file, the modified flag and the views
/// that show it. The document manager owns it; it is deleted when its last
/// window closes.
class CDocument : public QObject
{
    Q_OBJECT

public:
    explicit CDocument(QObject* parent = nullptr);
    ~CDocument() override;

    /// The title shown in window captions: the file's name, or "Wykres1"...
    const QString& GetTitle() const { return m_title; }
    void SetTitle(const QString& title);
    /// The file the document was last loaded from or saved to; empty when none.
    const QString& GetPathName() const { return m_path; }
    void SetPathName(const QString& path);

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true);

    const std::vector<CView*>& GetViews() const { return m_views; }
    /// Tells every view except the sender of a change (hint: UpdateHint bits).
    void UpdateAllViews(CView* sender, int hint);

    /// Empties the document before it is filled anew (new or opened).
    virtual void DeleteContents() {}
    /// Fills the document from a file; false leaves it as it was and the
    /// reason is shown to the user by the caller (the message in *error).
    virtual bool OnOpenDocument(const QString& path, std::string* error) = 0;
    /// Writes the document to a file; false when the file was not written.
    virtual bool OnSaveDocument(const QString& path, std::string* error) = 0;

signals:
    /// Title, path or modified flag changed.
    void stateChanged();
    /// Any update broadcast (after the views were told).
    void updated(int hint);

private:
    friend class CView;
    void AddView(CView* view);
    void RemoveView(CView* view);

    QString m_title;
    QString m_path;
    bool m_bModified = false;
    std::vector<CView*> m_views;
};
