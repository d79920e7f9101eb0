#pragma once

class CDocument;

/// A window that shows a document. Mixed into a QWidget; the widget registers
/// itself with its document and is told of every change through OnUpdate.
class CView
{
public:
    explicit CView(CDocument& document);
    virtual ~CView();
    CView(const CView&) = delete;
    CView& operator=(const CView&) = delete;

    CDocument& GetDocument() const { return m_document; }

    /// Called by CDocument::UpdateAllViews for every view but the sender; hint
    /// holds the UpdateHint bits (0 is a full update).
    virtual void OnUpdate(CView* sender, int hint) = 0;

    /// Called once, after the view's window was made and before it is shown.
    virtual void OnInitialUpdate() { OnUpdate(nullptr, 0); }

private:
    CDocument& m_document;
};
