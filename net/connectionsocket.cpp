#include "net/connectionsocket.h"

#include "net/serversocket.h"

#include <QHostAddress>
#include <QPointer>

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

// An IPv4 client as such, not mapped into IPv6: the server counts the
// connections of one computer whichever way it came.
QString CConnectionSocket::PeerAddressOf(qintptr descriptor)
{
    sockaddr_storage address = {};
    socklen_t length = sizeof address;
    if (getpeername(static_cast<int>(descriptor), reinterpret_cast<sockaddr*>(&address), &length) !=
        0)
        return QString();
    const QHostAddress host(reinterpret_cast<const sockaddr*>(&address));
    bool isIPv4 = false;
    const quint32 ipv4 = host.toIPv4Address(&isIPv4);
    return isIPv4 ? QHostAddress(ipv4).toString() : host.toString();
}

// The socket is driven here rather than through QTcpSocket: that class takes
// the end of the client's stream for the end of the connection and drops
// what it had still to send, and it copies every byte it is given into a
// buffer of its own, once per client.
CConnectionSocket::CConnectionSocket(qintptr descriptor, CServerSocket& server,
                                     int introductionTimeout, int sendTimeout)
    : QObject(&server), m_fd(static_cast<int>(descriptor)), m_pServer(&server),
      m_readNotifier(descriptor, QSocketNotifier::Read),
      m_writeNotifier(descriptor, QSocketNotifier::Write), m_nSendTimeout(sendTimeout)
{
    fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    fcntl(m_fd, F_SETFD, FD_CLOEXEC);
    m_strPeerAddress = PeerAddressOf(descriptor);
    m_writeNotifier.setEnabled(false);
    connect(&m_readNotifier, &QSocketNotifier::activated, this, &CConnectionSocket::OnReceive);
    connect(&m_writeNotifier, &QSocketNotifier::activated, this, &CConnectionSocket::OnWritable);

    // A client that connects and never finishes its introduction would hold a
    // place among the connections for ever.
    m_introductionTimer.setSingleShot(true);
    connect(&m_introductionTimer, &QTimer::timeout, this, &CConnectionSocket::OnClose);
    m_introductionTimer.start(introductionTimeout);

    // A client that takes no chart would keep its place, and the charts
    // queued for it, for as long as it likes.
    m_sendTimer.setSingleShot(true);
    connect(&m_sendTimer, &QTimer::timeout, this, [this] {
        if (PendingBytes() > 0)
            OnClose();
    });
}

CConnectionSocket::~CConnectionSocket()
{
    m_readNotifier.setEnabled(false);
    m_writeNotifier.setEnabled(false);
    ::close(m_fd);
}

void CConnectionSocket::OnReceive()
{
    char buffer[4096];
    while (!m_bClosed && !m_bPeerDone) {
        const ssize_t count = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                OnClose();
            return;
        }
        if (count == 0) {
            // The client sends no more: one that never finished its name is
            // gone; one that did may still be reading its charts.
            m_bPeerDone = true;
            m_readNotifier.setEnabled(false);
            if (!m_bNamed || (m_sending.isNull() && m_waiting.isNull()))
                OnClose();
            return;
        }
        // A client sends nothing after its name; whatever follows is read
        // and dropped.
        if (m_bNamed)
            continue;
        m_nameReader.Feed(reinterpret_cast<const uint8_t*>(buffer), static_cast<std::size_t>(count));
        switch (m_nameReader.GetStatus()) {
        case StringStreamReader::Status::kPartial:
            break;
        case StringStreamReader::Status::kComplete: {
            m_introductionTimer.stop();
            m_strClientName = m_nameReader.Text();
            m_bNamed = true;
            // The server may be closed by a slot of this signal.
            QPointer<CConnectionSocket> self(this);
            emit m_pServer->clientNamed();
            if (!self || m_bClosed)
                return;
            SendChart();
            break;
        }
        case StringStreamReader::Status::kTooLong:
        case StringStreamReader::Status::kMalformed:
            OnClose();
            return;
        }
    }
}

bool CConnectionSocket::IsWaitingForName() const
{
    if (m_bNamed || m_bClosed)
        return false;
    // Looked at without reading: a client introduces itself as soon as it is
    // connected, and its name may be here before the notification.
    uint8_t buffer[4096];
    const ssize_t count = ::recv(m_fd, buffer, sizeof buffer, MSG_PEEK | MSG_DONTWAIT);
    if (count <= 0)
        return true;
    StringStreamReader reader = m_nameReader;
    reader.Feed(buffer, static_cast<std::size_t>(count));
    return reader.GetStatus() == StringStreamReader::Status::kPartial;
}

bool CConnectionSocket::SendChart()
{
    const SharedChart image = m_pServer->ActiveImage();
    if (image.isEmpty())
        return false;
    return SendImage(image, m_pServer->GetImageVersion());
}

bool CConnectionSocket::SendImage(const SharedChart& image, quint64 version)
{
    if (m_bClosed || image.isEmpty())
        return false;
    // A chart that has started to go out is finished first; one that has not
    // is out of date, and the newer one takes its place and its time.
    if (IsInsideChart()) {
        m_waiting = image;
        m_nWaitingVersion = version;
    } else {
        if (m_sending.isNull())
            m_sendTimer.start(m_nSendTimeout);
        m_sending = image;
        m_nSent = 0;
        m_nSendingVersion = version;
    }
    Pump();
    return true;
}

void CConnectionSocket::Pump()
{
    while (!m_sending.isNull() && !m_bClosed) {
        const auto size = static_cast<std::size_t>(m_sending.size());
        const ssize_t written = ::send(m_fd, m_sending.constData() + m_nSent, size - m_nSent, MSG_NOSIGNAL);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                // The rest when the system has room for it.
                m_writeNotifier.setEnabled(true);
                return;
            }
            // The client is gone (reset, or closed while charts came).
            OnClose();
            return;
        }
        m_nSent += static_cast<std::size_t>(written);
        if (m_nSent == size) {
            m_sending = std::move(m_waiting);
            m_waiting = SharedChart();
            m_nSent = 0;
            m_nSendingVersion = m_nWaitingVersion;
            // The next chart has the whole time of its own.
            if (!m_sending.isNull())
                m_sendTimer.start(m_nSendTimeout);
        }
    }
    m_sendTimer.stop();
    m_writeNotifier.setEnabled(false);
    // All sent to a client that said it sends no more.
    if (m_bPeerDone && !m_bClosed)
        OnClose();
}

void CConnectionSocket::OnWritable()
{
    Pump();
}

std::size_t CConnectionSocket::PendingBytes() const
{
    std::size_t pending = 0;
    if (!m_sending.isNull())
        pending += static_cast<std::size_t>(m_sending.size()) - m_nSent;
    pending += static_cast<std::size_t>(m_waiting.size());
    return pending;
}

void CConnectionSocket::OnClose()
{
    if (m_bClosed)
        return;
    m_bClosed = true;
    m_introductionTimer.stop();
    m_sendTimer.stop();
    m_readNotifier.setEnabled(false);
    m_writeNotifier.setEnabled(false);
    m_sending = SharedChart();
    m_waiting = SharedChart();
    ::shutdown(m_fd, SHUT_RDWR);
    m_pServer->OnConnectionClosed(this);
    deleteLater();
}

void CConnectionSocket::Abort()
{
    m_bClosed = true;
    m_introductionTimer.stop();
    m_sendTimer.stop();
    m_readNotifier.setEnabled(false);
    m_writeNotifier.setEnabled(false);
    m_sending = SharedChart();
    m_waiting = SharedChart();
    ::shutdown(m_fd, SHUT_RDWR);
}
