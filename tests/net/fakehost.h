#pragma once

#include "document/zeltra20doc.h"
#include "framework/commandids.h"
#include "framework/view.h"
#include "net/clientsocket.h"
#include "net/documentsharinghost.h"
#include "net/serversocket.h"

#include <memory>
#include <vector>

/// A stand-in for the main window: chart documents, the active one, and a
/// graph view per chart that sends on every update without the no-send bit,
/// as the real view does. Closing a chart ends the client's connection.
class FakeHost : public DocumentSharingHost
{
public:
    class View : public CView
    {
    public:
        View(CDocument& document, FakeHost& host) : CView(document), m_host(host) {}
        void OnUpdate(CView*, int hint) override
        {
            if (!(hint & UpdateHint::kNoSend) && m_host.m_server.IsListening())
                m_host.m_server.SendChartToAll();
        }

    private:
        FakeHost& m_host;
    };

    FakeHost() : m_server(*this), m_client(*this) {}
    ~FakeHost() override
    {
        m_views.clear();
    }

    CZeltra20Doc* OpenChart()
    {
        m_documents.push_back(std::make_unique<CZeltra20Doc>());
        m_views.push_back(std::make_unique<View>(*m_documents.back(), *this));
        m_nActive = static_cast<int>(m_documents.size()) - 1;
        return m_documents.back().get();
    }
    void Activate(int index)
    {
        m_nActive = index;
        m_client.ResumeReading();
    }
    void CloseChart(int index)
    {
        // What the document's closing routine does first.
        m_client.Close();
        m_views.erase(m_views.begin() + index);
        m_documents.erase(m_documents.begin() + index);
        m_nActive = static_cast<int>(m_documents.size()) - 1;
    }
    CZeltra20Doc* Document(int index) { return m_documents[static_cast<std::size_t>(index)].get(); }
    int ChartCount() const { return static_cast<int>(m_documents.size()); }
    int Active() const { return m_nActive; }

    CServerSocket m_server;
    CClientSocket m_client;

protected:
    CZeltra20Doc* ActiveChartDocument() override
    {
        return m_nActive >= 0 ? m_documents[static_cast<std::size_t>(m_nActive)].get() : nullptr;
    }
    CZeltra20Doc* OpenChartWindow() override { return OpenChart(); }

private:
    std::vector<std::unique_ptr<CZeltra20Doc>> m_documents;
    std::vector<std::unique_ptr<View>> m_views;
    int m_nActive = -1;
};
