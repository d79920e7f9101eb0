#include "net/serversocket.h"

#include "framework/qtstring.h"
#include "net/connectionsocket.h"
#include "net/netmessages.h"
#include "net/sharinghost.h"

#include <QHostInfo>
#include <QTcpSocket>

#include <algorithm>
#include <memory>

CServerSocket::CServerSocket(SharingHost& host, QObject* parent)
    : QObject(parent), m_host(host)
{
    m_listener.setListenBacklogSize(kBacklog);
    connect(&m_listener, &QTcpServer::newConnection, this, &CServerSocket::OnAccept);
}

CServerSocket::~CServerSocket()
{
    DeleteConnections();
}

void CServerSocket::DeleteConnections()
{
    // Taken out of the list first: deleting one must not find itself listed.
    std::vector<CConnectionSocket*> connections;
    connections.swap(m_connections);
    for (CConnectionSocket* connection : connections) {
        connection->Abort();
        delete connection;
    }
}

bool CServerSocket::Listen(quint16 port)
{
    m_bListening = m_listener.listen(QHostAddress::Any, port);
    emit stateChanged();
    return m_bListening;
}

void CServerSocket::Close()
{
    DeleteConnections();
    const bool wasListening = m_bListening;
    m_bListening = false;
    m_listener.close();
    emit serverClosed();
    if (wasListening)
        emit stateChanged();
}

quint16 CServerSocket::GetPort() const
{
    return m_listener.isListening() ? m_listener.serverPort() : 0;
}

void CServerSocket::OnAccept()
{
    while (QTcpSocket* socket = m_listener.nextPendingConnection()) {
        if (m_connections.size() >= m_nMaxConnections) {
            // Over the maximum: closed at once, without a chart.
            socket->disconnectFromHost();
            socket->deleteLater();
            continue;
        }
        m_connections.push_back(new CConnectionSocket(socket, *this, m_nIntroductionTimeout));
    }
}

bool CServerSocket::SendChartToAll()
{
    std::optional<std::vector<uint8_t>> image = m_host.ActiveChartImage();
    if (!image)
        return false;
    // One copy of the chart, shared by every connection that sends it.
    const SharedChart shared = std::make_shared<const std::vector<uint8_t>>(std::move(*image));
    bool sent = false;
    const std::vector<CConnectionSocket*> connections = m_connections;
    for (CConnectionSocket* connection : connections) {
        if (std::find(m_connections.begin(), m_connections.end(), connection) != m_connections.end() &&
            connection->SendImage(shared))
            sent = true;
    }
    return sent;
}

std::string CServerSocket::GetStatusText() const
{
    return m_bListening ? NetMessage::kServerListening.c_str() : NetMessage::kServerOff.c_str();
}

std::string CServerSocket::GetPaneText() const
{
    return m_bListening ? NetMessage::kPaneServer.c_str() : "";
}

std::string CServerSocket::GetConnectionText(int i) const
{
    const CConnectionSocket* connection = GetConnection(i);
    if (!connection)
        return std::string();
    // A name is one line of the list: control characters in it (a line
    // break could pass for another client's entry) show as spaces.
    std::string name = connection->GetClientName();
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, ' ');
    return name + " (" + ToCp1250(connection->GetPeerAddress()) + ")";
}

const CConnectionSocket* CServerSocket::GetConnection(int i) const
{
    if (i < 0 || i >= GetConnectionCount())
        return nullptr;
    return m_connections[static_cast<std::size_t>(i)];
}

void CServerSocket::RemoveConnection(CConnectionSocket* connection)
{
    const auto found = std::find(m_connections.begin(), m_connections.end(), connection);
    if (found != m_connections.end())
        m_connections.erase(found);
}

void CServerSocket::OnConnectionClosed(CConnectionSocket* connection)
{
    RemoveConnection(connection);
    emit connectionClosed();
}

std::string CServerSocket::GetLocalComputerName()
{
    constexpr std::size_t kMaxLength = 99;
    std::string name = ToCp1250(QHostInfo::localHostName());
    if (name.size() > kMaxLength)
        name.resize(kMaxLength);
    return name;
}
