#include "net/clientsocket.h"

#include "framework/qtstring.h"
#include "net/netmessages.h"
#include "net/serversocket.h"
#include "net/sharinghost.h"
#include "platform/archive.h"

#include <QPointer>
#include <QTcpSocket>

namespace {

constexpr std::size_t kChunk = 64 * 1024;
// What the socket reads ahead of the client. While the client does not read
// (no chart to show one in), the rest waits in the network, not in memory.
constexpr qint64 kReadBuffer = 256 * 1024;

} // namespace

CClientSocket::CClientSocket(SharingHost& host, QObject* parent)
    : QObject(parent), m_host(host), m_strClientName(CServerSocket::GetLocalComputerName())
{
    m_connectTimer.setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, &CClientSocket::OnConnectFailed);
    m_receiveTimer.setSingleShot(true);
    connect(&m_receiveTimer, &QTimer::timeout, this, [this] {
        if (m_pSocket && m_nState != kNotConnected)
            EndConnection(CloseReason::kTimedOut);
    });
}

CClientSocket::~CClientSocket()
{
    if (m_pSocket) {
        m_pSocket->disconnect(this);
        m_pSocket->abort();
    }
}

void CClientSocket::ConnectToServer(const std::string& address, quint16 port)
{
    Close();
    m_closeReason = CloseReason::kNone;
    m_strPendingAddress = address;
    m_pSocket = new QTcpSocket(this);
    m_pSocket->setReadBufferSize(kReadBuffer);
    connect(m_pSocket, &QTcpSocket::connected, this, &CClientSocket::OnConnected);
    connect(m_pSocket, &QTcpSocket::readyRead, this, [this] {
        if (m_nReceiveTimeout > 0)
            m_receiveTimer.start(m_nReceiveTimeout);
    });
    connect(m_pSocket, &QTcpSocket::readyRead, this, &CClientSocket::OnReceive);
    connect(m_pSocket, &QTcpSocket::disconnected, this, &CClientSocket::OnClose);
    connect(m_pSocket, &QTcpSocket::errorOccurred, this, [this] {
        if (m_bConnecting)
            OnConnectFailed();
        else if (m_pSocket->state() == QAbstractSocket::UnconnectedState)
            OnClose();
    });
    m_bConnecting = true;
    emit stateChanged();
    m_connectTimer.start(m_nConnectTimeout);
    m_pSocket->connectToHost(FromCp1250(address), port);
}

void CClientSocket::OnConnected()
{
    m_connectTimer.stop();
    m_bConnecting = false;
    ArchiveWriter introduction;
    introduction.WriteString(m_strClientName);
    const std::vector<uint8_t>& bytes = introduction.Bytes();
    m_pSocket->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    m_strServerAddress = m_strPendingAddress;
    if (m_nReceiveTimeout > 0)
        m_receiveTimer.start(m_nReceiveTimeout);
    ++m_nConnection;
    SetState(kConnected);
    emit connected();
    OnReceive();
}

void CClientSocket::OnConnectFailed()
{
    if (!m_bConnecting)
        return;
    m_connectTimer.stop();
    m_bConnecting = false;
    DropSocket();
    emit stateChanged();
    emit connectFailed();
}

void CClientSocket::Close()
{
    const bool wasOpen = m_pSocket != nullptr;
    m_connectTimer.stop();
    m_bConnecting = false;
    DropSocket();
    if (wasOpen)
        m_closeReason = CloseReason::kLocal;
    SetState(kNotConnected);
    emit stateChanged();
    emit clientClosed();
}

void CClientSocket::DropSocket()
{
    ++m_nConnection;
    m_receiveTimer.stop();
    if (m_pSocket) {
        m_pSocket->disconnect(this);
        m_pSocket->abort();
        // It may be inside one of its own signals.
        m_pSocket->deleteLater();
        m_pSocket = nullptr;
    }
    m_reader.Reset();
    m_chunk.clear();
    m_nChunkFed = 0;
}

void CClientSocket::EndConnection(CloseReason reason)
{
    DropSocket();
    m_closeReason = reason;
    SetState(kNotConnected);
    emit clientClosed();
}

void CClientSocket::SetState(int state)
{
    if (state == m_nState)
        return;
    const bool connectedBefore = m_nState != kNotConnected;
    m_nState = state;
    if (connectedBefore != (m_nState != kNotConnected))
        emit stateChanged();
}

void CClientSocket::ResumeReading()
{
    OnReceive();
}

void CClientSocket::OnReceive()
{
    // A chart shown below may activate a window, which resumes reading: the
    // loop that runs already goes on.
    if (m_bReading || !m_pSocket || m_nState == kNotConnected)
        return;
    m_bReading = true;
    const unsigned connection = m_nConnection;
    QPointer<CClientSocket> self(this);
    while (m_host.CanShowChart()) {
        if (m_nChunkFed == m_chunk.size()) {
            m_chunk.resize(kChunk);
            const qint64 count = m_pSocket->read(reinterpret_cast<char*>(m_chunk.data()),
                                                 static_cast<qint64>(m_chunk.size()));
            m_chunk.resize(count > 0 ? static_cast<std::size_t>(count) : 0);
            m_nChunkFed = 0;
            if (m_chunk.empty())
                break;
        }
        m_nChunkFed += m_reader.Feed(m_chunk.data() + m_nChunkFed, m_chunk.size() - m_nChunkFed);
        if (m_reader.GetStatus() == ChartStreamReader::Status::kMalformed) {
            m_bReading = false;
            EndConnection(CloseReason::kMalformed);
            return;
        }
        if (m_reader.GetStatus() == ChartStreamReader::Status::kPartial) {
            SetState(m_reader.IsEmpty() ? kConnected : kReadingChart);
            continue;
        }
        const std::vector<uint8_t> chart = m_reader.TakeChart();
        SetState(kConnected);
        const bool shown = m_host.ShowChart(chart);
        if (!self)
            return;
        if (connection != m_nConnection) {
            // Closed while the chart was shown.
            m_bReading = false;
            return;
        }
        if (!shown) {
            // The chart does not load: its end cannot be trusted either.
            m_bReading = false;
            EndConnection(CloseReason::kMalformed);
            return;
        }
        emit chartReceived();
        if (!self)
            return;
        if (connection != m_nConnection) {
            m_bReading = false;
            return;
        }
    }
    m_bReading = false;
}

void CClientSocket::OnClose()
{
    if (!m_pSocket || m_bConnecting)
        return;
    // What came before the end is read first.
    OnReceive();
    if (!m_pSocket)
        return;
    const bool insideChart = !m_reader.IsEmpty() || m_nChunkFed < m_chunk.size();
    EndConnection(insideChart ? CloseReason::kCutOff : CloseReason::kServerClosed);
}

std::string CClientSocket::GetStatusText() const
{
    if (m_bConnecting)
        return NetMessage::kClientConnecting.c_str();
    return m_nState == kNotConnected ? NetMessage::kClientOff.c_str()
                                     : NetMessage::kClientConnected.c_str();
}

std::string CClientSocket::GetPaneText() const
{
    return m_nState == kNotConnected ? "" : NetMessage::kPaneClient.c_str();
}

quint16 CClientSocket::GetPeerPort() const
{
    return m_pSocket && m_nState != kNotConnected ? m_pSocket->peerPort() : 0;
}
