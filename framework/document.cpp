#include "framework/document.h"

#include "framework/view.h"

#include <algorithm>

CDocument::CDocument(QObject* parent) : QObject(parent) {}

CDocument::~CDocument() = default;

void CDocument::SetTitle(const QString& title)
{
    if (title == m_title)
        return;
    m_title = title;
    emit stateChanged();
}

void CDocument::SetPathName(const QString& path)
{
    if (path == m_path)
        return;
    m_path = path;
    emit stateChanged();
}

void CDocument::SetModifiedFlag(bool modified)
{
    if (modified == m_bModified)
        return;
    m_bModified = modified;
    emit stateChanged();
}

void CDocument::UpdateAllViews(CView* sender, int hint)
{
    // A view may close a window while it updates (a server send that fails,
    // a message box): walk a copy and skip views that are gone.
    const std::vector<CView*> views = m_views;
    for (CView* view : views) {
        if (view != sender && std::find(m_views.begin(), m_views.end(), view) != m_views.end())
            view->OnUpdate(sender, hint);
    }
    emit updated(hint);
}

void CDocument::AddView(CView* view)
{
    m_views.push_back(view);
}

void CDocument::RemoveView(CView* view)
{
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

CView::CView(CDocument& document) : m_document(document)
{
    m_document.AddView(this);
}

CView::~CView()
{
    m_document.RemoveView(this);
}
