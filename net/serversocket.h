#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>

#include <memory>
#include <string>
#include <vector>

class CConnectionSocket;
class SharingHost;
class QTcpServer;

/// The sharing server: listens on a TCP port (IPv4 and IPv6), keeps up to
/// GetMaxConnections() clients and sends them the host's active chart: to one
/// client when it introduces itself, to all on SendChartToAll(). Runs on the
/// event loop's thread and never waits for a client.
class CServerSocket : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 kDefaultPort = 2001;
    static constexpr unsigned kDefaultMaxConnections = 5;
    /// The most clients the dialog and the command line allow.
    static constexpr unsigned kMaxConnectionsLimit = 50;
    /// Room for every client that may connect to arrive at once: when more
    /// connections come in one go than the system queues for the server,
    /// the overflow is left half open on the clients' side and never reaches
    /// the server.
    static constexpr int kBacklog = kMaxConnectionsLimit;
    /// A client that has not introduced itself within this time is dropped.
    static constexpr int kIntroductionTimeout = 10000; // ms
    /// Connections from one address that may wait for their introduction at
    /// a time; further ones are closed at once, so that a peer cannot fill
    /// the server with connections that never introduce themselves.
    static constexpr int kMaxUnnamedPerAddress = 2;

    explicit CServerSocket(SharingHost& host, QObject* parent = nullptr);
    /// Closes every connection and the listening socket without signals.
    ~CServerSocket() override;

    /// Listens on the port (0: one the system picks) on the address (every
    /// address unless given); false when it cannot. Any earlier state must be
    /// closed first (Close()).
    bool Listen(quint16 port, const QHostAddress& address = QHostAddress::Any);
    /// Drops every connection, stops listening and emits serverClosed().
    void Close();

    bool IsListening() const { return m_bListening; }
    /// The port listened on; 0 while not listening.
    quint16 GetPort() const;

    unsigned GetMaxConnections() const { return m_nMaxConnections; }
    /// Takes effect for connections accepted from now on.
    void SetMaxConnections(unsigned count) { m_nMaxConnections = count; }
    void SetIntroductionTimeout(int milliseconds) { m_nIntroductionTimeout = milliseconds; }

    /// Sends the host's active chart to every connection; true when at least
    /// one connection took it.
    bool SendChartToAll();
    /// The host's active chart as the connections send it: the same bytes for
    /// all of them as long as the chart is the same. Empty when there is none.
    QByteArray ActiveImage();

    /// "Serwer jest wyłączony" or "Serwer jest aktywny i czeka na
    /// połączenia..." (code page 1250).
    std::string GetStatusText() const;
    /// The text of the status-bar pane: "SERWER" while listening, else empty.
    std::string GetPaneText() const;
    int GetConnectionCount() const { return static_cast<int>(m_connections.size()); }
    /// The i-th connection as "name (address)"; empty when there is none.
    std::string GetConnectionText(int i) const;
    const CConnectionSocket* GetConnection(int i) const;

    SharingHost& GetHost() { return m_host; }
    /// Forgets a connection whose socket closed; nothing when it is not listed.
    void RemoveConnection(CConnectionSocket* connection);

    /// This computer's name in code page 1250, at most 99 bytes: what the
    /// dialogs show and what a client introduces itself with.
    static std::string GetLocalComputerName();

signals:
    /// A client's connection ended (not when the server closes them all).
    void connectionClosed();
    /// The server stopped listening.
    void serverClosed();
    /// A client introduced itself.
    void clientNamed();
    /// IsListening() changed: for the status bar.
    void stateChanged();

private:
    class Listener;
    friend class CConnectionSocket;
    void OnAccept(qintptr descriptor);
    /// From a connection whose socket closed: forget it and tell.
    void OnConnectionClosed(CConnectionSocket* connection);
    void DeleteConnections();

    SharingHost& m_host;
    unsigned m_nMaxConnections = kDefaultMaxConnections;
    std::vector<CConnectionSocket*> m_connections; ///< owned, in order of acceptance
    bool m_bListening = false;
    int m_nIntroductionTimeout = kIntroductionTimeout;
    QByteArray m_image; ///< the last chart handed to the connections
    std::unique_ptr<QTcpServer> m_pListener;
};
