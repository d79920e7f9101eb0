#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class CDocument;
class QWidget;

/// The open documents and the file commands: new, open, save, save as, close
/// with the save-changes question, and the list of recent files.
///
/// The manager owns the documents. Windows are made by the shell through
/// `OpenWindow`; when the last window of a document closes, the shell calls
/// `CloseDocument`.
class CDocManager : public QObject
{
    Q_OBJECT

public:
    static constexpr int kRecentFiles = 4;

    using MakeDocument = std::function<std::unique_ptr<CDocument>()>;
    using OpenWindow = std::function<void(CDocument&)>;

    /// `name` is the document name that new documents are numbered after
    /// ("Wykres" gives "Wykres1", "Wykres2", ...); `filter` the file dialogs'
    /// filter, `extension` the one added to names typed without one.
    CDocManager(QWidget* mainWindow, QString name, QString filter, QString extension,
                MakeDocument makeDocument, OpenWindow openWindow);
    ~CDocManager() override;

    const std::vector<std::unique_ptr<CDocument>>& GetDocuments() const { return m_documents; }

    /// A new, empty document in a new window.
    CDocument* OnFileNew();
    /// Asks for a file and opens it.
    void OnFileOpen();
    /// Opens a file; a document already open on it gets a window activated
    /// instead. On failure the user is told why and nothing is left open.
    CDocument* OpenDocumentFile(const QString& path);
    /// Saves to the document's file, asking for a name when it has none.
    bool OnFileSave(CDocument& document);
    bool OnFileSaveAs(CDocument& document);
    /// Asks whether to save a modified document; false when the user
    /// cancelled (or the save failed), so the closing must stop.
    bool SaveModified(CDocument& document);
    /// Forgets the document (its windows are gone).
    void CloseDocument(CDocument& document);

    QStringList GetRecentFiles() const { return m_recent; }
    void OpenRecentFile(int index);

    /// Where the question and message boxes are centred.
    QWidget* GetMainWindow() const { return m_mainWindow; }

signals:
    void recentFilesChanged();
    /// A document was opened, created or closed.
    void documentsChanged();

private:
    bool DoSave(CDocument& document, bool askName);
    void AddRecentFile(const QString& path);
    void RemoveRecentFile(const QString& path);
    void LoadRecentFiles();
    void StoreRecentFiles() const;
    CDocument* FindOpen(const QString& path) const;
    CDocument* Adopt(std::unique_ptr<CDocument> document);

    QWidget* m_mainWindow;
    QString m_name;
    QString m_filter;
    QString m_extension;
    MakeDocument m_makeDocument;
    OpenWindow m_openWindow;
    std::vector<std::unique_ptr<CDocument>> m_documents;
    int m_nUntitled = 0;
    QStringList m_recent;
};
