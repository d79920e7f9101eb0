#include "net/serversocket.h"

#include "framework/qtstring.h"
#include "net/connectionsocket.h"
#include "net/netmessages.h"
#include "net/sharinghost.h"

#include <QHash>
#include <QHostInfo>
#include <QSocketNotifier>
#include <QTcpServer>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

CServerSocket::CServerSocket(SharingHost& host, QObject* parent)
    : QObject(parent), m_host(host), m_pListener(std::make_unique<QTcpServer>())
{
    m_pListener->setListenBacklogSize(kBacklog);
    m_acceptPause.setSingleShot(true);
    connect(&m_acceptPause, &QTimer::timeout, this, [this] {
        if (m_pAcceptNotifier)
            m_pAcceptNotifier->setEnabled(true);
    });
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
    if (m_bListening) {
        // Accepted here rather than by the listener, which on a failed
        // accept either tries again at once, for ever, or stops accepting
        // for good.
        m_pListener->pauseAccepting();
        const qintptr listening = m_pListener->socketDescriptor();
        fcntl(static_cast<int>(listening), F_SETFL,
              fcntl(static_cast<int>(listening), F_GETFL) | O_NONBLOCK);
        m_pAcceptNotifier = std::make_unique<QSocketNotifier>(listening, QSocketNotifier::Read);
        connect(m_pAcceptNotifier.get(), &QSocketNotifier::activated, this,
                &CServerSocket::OnAcceptReady);
    }
    emit stateChanged();
    return m_bListening;
}

void CServerSocket::Close()
{
    DeleteConnections();
    const bool wasListening = m_bListening;
    m_bListening = false;
    m_image = QByteArray();
    m_acceptPause.stop();
    m_pAcceptNotifier.reset();
    m_pListener->close();
    emit serverClosed();
    if (wasListening)
        emit stateChanged();
}

quint16 CServerSocket::GetPort() const
{
    return m_pListener->isListening() ? m_pListener->serverPort() : 0;
}

void CServerSocket::OnAcceptReady()
{
    const int listening = static_cast<int>(m_pListener->socketDescriptor());
    // A bounded number at a time: a flood of connections must not keep the
    // event loop from the clients already served.
    for (int taken = 0; taken < kBacklog && m_pAcceptNotifier; ++taken) {
        const int descriptor = accept4(listening, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (descriptor >= 0) {
            OnAccept(descriptor);
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return;
        // A connection that ended before it was taken, or a passing fault
        // of the network: the next one is taken as usual.
        if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO || errno == ENETDOWN ||
            errno == ENOPROTOOPT || errno == EHOSTDOWN || errno == ENONET ||
            errno == EHOSTUNREACH || errno == ENETUNREACH || errno == EPERM)
            continue;
        // Out of descriptors or memory: the connection stays queued, and the
        // notifier would call again at once. Accepting rests a while and
        // then goes on, when the clients that left have freed their places.
        m_pAcceptNotifier->setEnabled(false);
        m_acceptPause.start(kAcceptPause);
        return;
    }
}

void CServerSocket::OnAccept(int descriptor)
{
    if (m_connections.size() >= m_nMaxConnections) {
        CConnectionSocket* givingWay =
            ConnectionToGiveWay(CConnectionSocket::PeerAddressOf(descriptor));
        if (!givingWay) {
            // Over the maximum: closed at once, without a chart.
            ::close(descriptor);
            return;
        }
        givingWay->Drop();
        // Whoever heard of the drop may have stopped the server.
        if (!m_bListening) {
            ::close(descriptor);
            return;
        }
    }
    m_connections.push_back(
        new CConnectionSocket(descriptor, *this, m_nIntroductionTimeout, m_nSendTimeout));
}

CConnectionSocket* CServerSocket::ConnectionToGiveWay(const QString& address) const
{
    QHash<QString, int> counts;
    int most = 0;
    for (const CConnectionSocket* connection : m_connections)
        most = std::max(most, ++counts[connection->GetPeerAddress()]);
    // Counted with the new connection: two addresses never take places from
    // each other by turns, and a server full of clients with a connection
    // each refuses one more, as a full server always did.
    if (counts.value(address) + 1 >= most)
        return nullptr;
    CConnectionSocket* oldest = nullptr;
    for (CConnectionSocket* connection : m_connections) {
        if (counts.value(connection->GetPeerAddress()) != most)
            continue;
        if (connection->IsWaitingForName())
            return connection;
        if (!oldest)
            oldest = connection;
    }
    return oldest;
}

bool CServerSocket::SendChartToAll()
{
    const QByteArray image = ActiveImage();
    if (image.isEmpty())
        return false;
    bool sent = false;
    const std::vector<CConnectionSocket*> connections = m_connections;
    for (CConnectionSocket* connection : connections) {
        if (std::find(m_connections.begin(), m_connections.end(), connection) !=
                m_connections.end() &&
            connection->SendImage(image, m_nImageVersion))
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
    if (!image.isSharedWith(m_image) && image != m_image) {
        m_image = image;
        ++m_nImageVersion;
        DropStaleConnections();
    }
    return m_image;
}

// Each stalled client would otherwise hold on to the version it stalled in:
// one client joining after each change keeps every version alive.
void CServerSocket::DropStaleConnections()
{
    const std::vector<CConnectionSocket*> connections = m_connections;
    for (CConnectionSocket* connection : connections) {
        if (connection->IsInsideChart() && connection->GetSendingVersion() + 2 <= m_nImageVersion)
            connection->Drop();
    }
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
