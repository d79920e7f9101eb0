#pragma once

#include "chart/chartstream.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <string>
#include <vector>

class QTcpSocket;
class SharingHost;

/// The sharing client: connects to a server in the background, introduces
/// itself with its name and hands every whole chart it receives to the host.
/// Nothing waits for the server: connecting gives up after the connect
/// time-out, and bytes are read as they come. A chart is handed over only
/// when all of it is there; a stream that cannot be charts ends the
/// connection. While the host has no chart to show one in, the client reads
/// nothing (the server's charts wait in the network) until ResumeReading().
class CClientSocket : public QObject
{
    Q_OBJECT

public:
    enum State {
        kNotConnected = 0,
        kConnected = 1,   ///< connected, between charts
        kReadingChart = 2 ///< part of a chart has arrived
    };

    /// How the last connection ended.
    enum class CloseReason {
        kNone,         ///< still open, or never opened
        kLocal,        ///< Close() from this side
        kServerClosed, ///< the server closed it between charts
        kCutOff,       ///< the server closed it inside a chart
        kMalformed,    ///< the server sent what cannot be a chart
        kTimedOut,     ///< no byte came within the receive time-out
    };

    static constexpr int kConnectTimeout = 10000; // ms

    explicit CClientSocket(SharingHost& host, QObject* parent = nullptr);
    /// Closes the connection without signals.
    ~CClientSocket() override;

    /// Closes any connection, then starts connecting to the server (a host
    /// name or an IPv4 or IPv6 address, code page 1250). Ends with
    /// connected() or connectFailed().
    void ConnectToServer(const std::string& address, quint16 port);
    /// Ends the connection or the attempt; always emits clientClosed().
    void Close();
    /// Reads what waits, now that the host has a chart to show it in.
    void ResumeReading();

    int GetState() const { return m_nState; }
    bool IsConnecting() const { return m_bConnecting; }
    CloseReason GetCloseReason() const { return m_closeReason; }
    /// "Brak połączenia z serwerem", "Łączenie z serwerem..." or "Połączony z
    /// serwerem" (code page 1250).
    std::string GetStatusText() const;
    /// The text of the status-bar pane: "KLIENT  " while connected, else
    /// empty.
    std::string GetPaneText() const;
    /// The server's port while connected, else 0.
    quint16 GetPeerPort() const;
    /// The address of the last connection that succeeded; kept after it ends.
    const std::string& GetServerAddress() const { return m_strServerAddress; }

    /// The name to introduce this client with (code page 1250); the
    /// computer's name unless set.
    void SetClientName(const std::string& name) { m_strClientName = name; }
    const std::string& GetClientName() const { return m_strClientName; }
    void SetConnectTimeout(int milliseconds) { m_nConnectTimeout = milliseconds; }
    /// Ends a connection on which no byte arrives for this long (between
    /// charts too); 0, the default, waits for ever. For connections made from
    /// now on.
    void SetReceiveTimeout(int milliseconds) { m_nReceiveTimeout = milliseconds; }

signals:
    void connected();
    void connectFailed();
    /// The connection ended, from either side, or Close() was called.
    void clientClosed();
    /// A chart was handed to the host.
    void chartReceived();
    /// GetState() or IsConnecting() changed: for the status bar.
    void stateChanged();

private slots:
    void OnConnected();
    void OnConnectFailed();
    void OnReceive();
    void OnClose();

private:
    void DropSocket();
    void EndConnection(CloseReason reason);
    void SetState(int state);

    SharingHost& m_host;
    std::string m_strServerAddress;
    std::string m_strPendingAddress;
    std::string m_strClientName;
    int m_nState = kNotConnected;
    bool m_bConnecting = false;
    bool m_bReading = false;
    CloseReason m_closeReason = CloseReason::kNone;
    int m_nConnectTimeout = kConnectTimeout;
    int m_nReceiveTimeout = 0;
    unsigned m_nConnection = 0; ///< counts connections, to notice one ending inside a call

    QTcpSocket* m_pSocket = nullptr;
    QTimer m_connectTimer;
    QTimer m_receiveTimer;
    ChartStreamReader m_reader;
    std::vector<uint8_t> m_chunk; ///< bytes read from the socket, not all fed yet
    std::size_t m_nChunkFed = 0;
};
