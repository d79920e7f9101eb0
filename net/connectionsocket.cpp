#include "net/connectionsocket.h"

#include "net/serversocket.h"
#include "net/sharinghost.h"

#include <QHostAddress>
#include <QTcpSocket>

#include <algorithm>

namespace {

// How much of a chart is handed to the socket at a time: enough to keep the
// connection busy, little enough that a client that stops reading holds no
// more than this in the socket's buffer.
constexpr qint64 kSocketBuffer = 256 * 1024;

} // namespace

CConnectionSocket::CConnectionSocket(QTcpSocket* socket, CServerSocket& server,
                                     int introductionTimeout)
    : QObject(&server), m_pSocket(socket), m_pServer(&server)
{
    m_pSocket->setParent(this);
    connect(m_pSocket, &QTcpSocket::readyRead, this, &CConnectionSocket::OnReceive);
    connect(m_pSocket, &QTcpSocket::bytesWritten, this, &CConnectionSocket::OnBytesWritten);
    connect(m_pSocket, &QTcpSocket::disconnected, this, &CConnectionSocket::OnClose);
    connect(m_pSocket, &QTcpSocket::errorOccurred, this, [this] {
        if (m_pSocket->state() == QAbstractSocket::UnconnectedState)
            OnClose();
    });

    // A client that connects and never finishes its introduction would hold a
    // place among the connections for ever.
    m_introductionTimer.setSingleShot(true);
    connect(&m_introductionTimer, &QTimer::timeout, this, &CConnectionSocket::Drop);
    m_introductionTimer.start(introductionTimeout);

    // Bytes that came with the connection.
    if (m_pSocket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &CConnectionSocket::OnReceive, Qt::QueuedConnection);
}

CConnectionSocket::~CConnectionSocket()
{
    m_pSocket->disconnect(this);
}

QString CConnectionSocket::GetPeerAddress() const
{
    const QHostAddress address = m_pSocket->peerAddress();
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    return isIPv4 ? QHostAddress(ipv4).toString() : address.toString();
}

void CConnectionSocket::OnReceive()
{
    char buffer[4096];
    for (;;) {
        const qint64 count = m_pSocket->read(buffer, sizeof buffer);
        if (count <= 0)
            return;
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
            Drop();
            return;
        }
    }
}

bool CConnectionSocket::SendChart()
{
    std::optional<std::vector<uint8_t>> image = m_pServer->GetHost().ActiveChartImage();
    if (!image)
        return false;
    return SendImage(std::make_shared<const std::vector<uint8_t>>(std::move(*image)));
}

bool CConnectionSocket::SendImage(const SharedChart& image)
{
    if (m_bClosed || m_pSocket->state() != QAbstractSocket::ConnectedState)
        return false;
    // A chart that has started to go out is finished first; one that has not
    // is out of date.
    if (m_sending && m_nSent > 0) {
        m_waiting = image;
    } else {
        m_sending = image;
        m_nSent = 0;
    }
    Pump();
    return true;
}

void CConnectionSocket::Pump()
{
    while (m_sending && !m_bClosed) {
        const qint64 room = kSocketBuffer - m_pSocket->bytesToWrite();
        if (room <= 0)
            return; // the rest when the socket has written some
        const std::vector<uint8_t>& bytes = *m_sending;
        const auto count = std::min<std::size_t>(static_cast<std::size_t>(room), bytes.size() - m_nSent);
        const qint64 written = m_pSocket->write(reinterpret_cast<const char*>(bytes.data()) + m_nSent,
                                                static_cast<qint64>(count));
        if (written < 0) {
            // The connection stays listed until its close; the next chart
            // starts afresh.
            m_sending.reset();
            m_waiting.reset();
            return;
        }
        m_nSent += static_cast<std::size_t>(written);
        if (m_nSent == bytes.size()) {
            m_sending = std::move(m_waiting);
            m_waiting.reset();
            m_nSent = 0;
        }
    }
}

void CConnectionSocket::OnBytesWritten()
{
    Pump();
}

std::size_t CConnectionSocket::PendingBytes() const
{
    std::size_t pending = static_cast<std::size_t>(m_pSocket->bytesToWrite());
    if (m_sending)
        pending += m_sending->size() - m_nSent;
    if (m_waiting)
        pending += m_waiting->size();
    return pending;
}

void CConnectionSocket::OnClose()
{
    if (m_bClosed)
        return;
    m_bClosed = true;
    m_introductionTimer.stop();
    m_sending.reset();
    m_waiting.reset();
    m_pServer->OnConnectionClosed(this);
    deleteLater();
}

void CConnectionSocket::Drop()
{
    m_pSocket->abort();
    OnClose();
}

void CConnectionSocket::Abort()
{
    m_bClosed = true;
    m_introductionTimer.stop();
    m_pSocket->disconnect(this);
    if (m_pSocket->bytesToWrite() == 0)
        m_pSocket->disconnectFromHost();
    m_pSocket->abort();
}
