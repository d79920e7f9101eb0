#include "net/serversocket.h"

#include "framework/qtstring.h"
#include "net/connectionsocket.h"
#include "net/netmessages.h"
#include "net/sharinghost.h"

#include <QHostInfo>
#include <QTcpServer>

#include <algorithm>
#include <memory>
#include <unistd.h>

/// Hands each accepted descriptor to the server: the connections drive their
/// sockets themselves.
class CServerSocket::Listener : public QTcpServer
{
public:
    explicit Listener(CServerSocket& server) : m_server(server) {}

protected:
    void incomingConnection(qintptr descriptor) override { m_server.OnAccept(descriptor); }

private:
    CServerSocket& m_server;
};

CServerSocket::CServerSocket(SharingHost& host, QObject* parent)
    : QObject(parent), m_host(host), m_pListener(std::make_unique<Listener>(*this))
{
    m_pListener->setListenBacklogSize(kBacklog);
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

bool CServerSocket::Listen(quint16 port, const QHostAddress& address)
{
    m_bListening = m_pListener->listen(address, port);
    emit stateChanged();
    return m_bListening;
}

void CServerSocket::Close()
{
    DeleteConnections();
    const bool wasListening = m_bListening;
    m_bListening = false;
    m_image = QByteArray();
    m_pListener->close();
    emit serverClosed();
    if (wasListening)
        emit stateChanged();
}

quint16 CServerSocket::GetPort() const
{
    return m_pListener->isListening() ? m_pListener->serverPort() : 0;
}

void CServerSocket::OnAccept(qintptr descriptor)
{
    if (m_connections.size() >= m_nMaxConnections) {
        // Over the maximum: closed at once, without a chart.
        ::close(static_cast<int>(descriptor));
        return;
    }
    auto connection = std::make_unique<CConnectionSocket>(descriptor, *this, m_nIntroductionTimeout);
    const QString& address = connection->GetPeerAddress();
    const auto waiting = std::count_if(m_connections.begin(), m_connections.end(), [&](const CConnectionSocket* other) {
        return other->GetPeerAddress() == address && other->IsWaitingForName();
    });
    if (waiting >= kMaxUnnamedPerAddress && connection->IsWaitingForName()) {
        connection->Abort();
        return;
    }
    m_connections.push_back(connection.release());
}

bool CServerSocket::SendChartToAll()
{
    const QByteArray image = ActiveImage();
    if (image.isEmpty())
        return false;
    bool sent = false;
    const std::vector<CConnectionSocket*> connections = m_connections;
    for (CConnectionSocket* connection : connections) {
        if (std::find(m_connections.begin(), m_connections.end(), connection) != m_connections.end() &&
            connection->SendImage(image))
            sent = true;
    }
    return sent;
}

QByteArray CServerSocket::ActiveImage()
{
    const QByteArray image = m_host.ActiveChartImage();
    // A host that stores the chart afresh for every call gives equal bytes
    // in a new copy: the connections keep the one they already share.
    if (image.isEmpty())
        return image;
    if (!image.isSharedWith(m_image) && image != m_image)
        m_image = image;
    return m_image;
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
