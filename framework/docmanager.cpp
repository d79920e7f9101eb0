#include "framework/docmanager.h"

#include "framework/document.h"
#include "framework/filedialog.h"
#include "framework/messagebox.h"

#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace {

constexpr char kRecentSection[] = "Recent File List";

QString CanonicalOrAbsolute(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

CDocManager::CDocManager(QWidget* mainWindow, QString name, QString filter, QString extension,
                         MakeDocument makeDocument, OpenWindow openWindow)
    : m_mainWindow(mainWindow), m_name(std::move(name)), m_filter(std::move(filter)),
      m_extension(std::move(extension)), m_makeDocument(std::move(makeDocument)),
      m_openWindow(std::move(openWindow))
{
    LoadRecentFiles();
}

CDocManager::~CDocManager() = default;

CDocument* CDocManager::Adopt(std::unique_ptr<CDocument> document)
{
    m_documents.push_back(std::move(document));
    CDocument* adopted = m_documents.back().get();
    m_openWindow(*adopted);
    emit documentsChanged();
    return adopted;
}

CDocument* CDocManager::OnFileNew()
{
    std::unique_ptr<CDocument> document = m_makeDocument();
    document->DeleteContents();
    document->SetTitle(m_name + QString::number(++m_nUntitled));
    document->SetModifiedFlag(false);
    return Adopt(std::move(document));
}

void CDocManager::OnFileOpen()
{
    const QString path = AskOpenFileName(m_mainWindow, QStringLiteral("Otwórz"), m_filter);
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

CDocument* CDocManager::FindOpen(const QString& path) const
{
    const QString wanted = CanonicalOrAbsolute(path);
    for (const auto& document : m_documents) {
        if (!document->GetPathName().isEmpty() &&
            CanonicalOrAbsolute(document->GetPathName()) == wanted)
            return document.get();
    }
    return nullptr;
}

CDocument* CDocManager::OpenDocumentFile(const QString& path)
{
    if (CDocument* open = FindOpen(path)) {
        m_openWindow(*open);
        return open;
    }
    std::unique_ptr<CDocument> document = m_makeDocument();
    document->DeleteContents();
    std::string error;
    if (!document->OnOpenDocument(path, &error)) {
        ShowStopMessage(m_mainWindow, error);
        return nullptr;
    }
    const QString absolute = QFileInfo(path).absoluteFilePath();
    document->SetPathName(absolute);
    document->SetTitle(QFileInfo(path).fileName());
    document->SetModifiedFlag(false);
    AddRecentFile(absolute);
    return Adopt(std::move(document));
}

bool CDocManager::OnFileSave(CDocument& document)
{
    return DoSave(document, document.GetPathName().isEmpty());
}

bool CDocManager::OnFileSaveAs(CDocument& document)
{
    return DoSave(document, true);
}

bool CDocManager::DoSave(CDocument& document, bool askName)
{
    QString path = document.GetPathName();
    if (askName) {
        const QString suggested =
            path.isEmpty() ? document.GetTitle() + m_extension : path;
        path = AskSaveFileName(m_mainWindow, QStringLiteral("Zapisz jako"), suggested, m_filter,
                               m_extension);
        if (path.isEmpty())
            return false;
    }
    std::string error;
    if (!document.OnSaveDocument(path, &error)) {
        // The chart stays modified: nothing was written.
        ShowStopMessage(m_mainWindow, error);
        return false;
    }
    const QString absolute = QFileInfo(path).absoluteFilePath();
    document.SetPathName(absolute);
    document.SetTitle(QFileInfo(path).fileName());
    document.SetModifiedFlag(false);
    AddRecentFile(absolute);
    return true;
}

bool CDocManager::SaveModified(CDocument& document)
{
    if (!document.IsModified())
        return true;
    const QString name =
        document.GetPathName().isEmpty() ? document.GetTitle() : document.GetPathName();
    switch (AskQuestion(m_mainWindow, QStringLiteral("Zapisać zmiany w %1?").arg(name),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                        QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return OnFileSave(document);
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void CDocManager::CloseDocument(CDocument& document)
{
    auto it = std::find_if(m_documents.begin(), m_documents.end(),
                           [&](const auto& d) { return d.get() == &document; });
    if (it == m_documents.end())
        return;
    // Removed from the list first, so that anything the deletion sets off
    // sees the document gone.
    std::unique_ptr<CDocument> closing = std::move(*it);
    m_documents.erase(it);
    closing.reset();
    emit documentsChanged();
}

void CDocManager::OpenRecentFile(int index)
{
    if (index < 0 || index >= m_recent.size())
        return;
    const QString path = m_recent.at(index);
    if (!OpenDocumentFile(path))
        RemoveRecentFile(path);
}

void CDocManager::AddRecentFile(const QString& path)
{
    // Reopening the newest file changes nothing: the profile is not
    // rewritten for it.
    if (!m_recent.isEmpty() && m_recent.first() == path)
        return;
    m_recent.removeAll(path);
    m_recent.prepend(path);
    while (m_recent.size() > kRecentFiles)
        m_recent.removeLast();
    StoreRecentFiles();
    emit recentFilesChanged();
}

void CDocManager::RemoveRecentFile(const QString& path)
{
    if (m_recent.removeAll(path) == 0)
        return;
    StoreRecentFiles();
    emit recentFilesChanged();
}

void CDocManager::LoadRecentFiles()
{
    QSettings settings;
    settings.beginGroup(kRecentSection);
    for (int i = 1; i <= kRecentFiles; ++i) {
        const QString path = settings.value(QStringLiteral("File%1").arg(i)).toString();
        if (!path.isEmpty() && !m_recent.contains(path))
            m_recent.append(path);
    }
}

void CDocManager::StoreRecentFiles() const
{
    QSettings settings;
    settings.beginGroup(kRecentSection);
    for (int i = 1; i <= kRecentFiles; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= m_recent.size())
            settings.setValue(key, m_recent.at(i - 1));
        else
            settings.remove(key);
    }
}
