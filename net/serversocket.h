#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

class CConnectionSocket;
class SharingHost;
class QSocketNotifier;
class QTcpServer;

/// The sharing server: listens on a TCP port (IPv4 and IPv6), keeps up to
/// GetMaxConnections() clients and sends them the host's active chart: to one
/// client when it introduces itself, to all on SendChartToAll(). Runs on the
/// event loop's thread and never waits for a client.
///
/// No address can keep the clients of another out: while there is a free
/// place every connection is taken; when the server is full, a connection
/// from an address that, with it, would still hold fewer connections than the
/// address holding the most takes the place of one of that address's (the
/// one that has waited longest for its name, else its oldest). Clients that
/// take no chart are dropped after the send time-out, and so is one still in
/// the middle of a chart older than the last two the server handed out, so
/// that stalled clients hold at most two versions of the chart between them.
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
    /// A client that has not taken a chart within this time of its sending is
    /// dropped.
    static constexpr int kSendTimeout = 30000; // ms
    /// How long accepting rests when the system cannot give the server a
    /// connection (out of descriptors or memory): the connection stays
    /// queued, and trying again at once would only spin.
    static constexpr int kAcceptPause = 500; // ms

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
    /// Time-outs for connections accepted from now on.
    void SetIntroductionTimeout(int milliseconds) { m_nIntroductionTimeout = milliseconds; }
    void SetSendTimeout(int milliseconds) { m_nSendTimeout = milliseconds; }

    /// Sends the host's active chart to every connection; true when at least
    /// one connection took it.
    bool SendChartToAll();
    /// The host's active chart as the connections send it: the same bytes for
    /// all of them as long as the chart is the same. Empty when there is none.
    /// A chart that differs from the last one handed out gets the next
    /// version, and connections still in the middle of a chart older than the
    /// last two versions are dropped.
    QByteArray ActiveImage();
    /// The version of the last chart ActiveImage() handed out; 0 before any.
    quint64 GetImageVersion() const { return m_nImageVersion; }

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
    friend class CConnectionSocket;
    /// Takes the connections that wait to be accepted.
    void OnAcceptReady();
    void OnAccept(int descriptor);
    /// The connection that gives its place to a new one from `address` on a
    /// full server; null when the new one is to be refused.
    CConnectionSocket* ConnectionToGiveWay(const QString& address) const;
    /// Drops connections in the middle of a chart older than the last two.
    void DropStaleConnections();
    /// From a connection whose socket closed: forget it and tell.
    void OnConnectionClosed(CConnectionSocket* connection);
    void DeleteConnections();

    SharingHost& m_host;
    unsigned m_nMaxConnections = kDefaultMaxConnections;
    std::vector<CConnectionSocket*> m_connections; ///< owned, in order of acceptance
    bool m_bListening = false;
    int m_nIntroductionTimeout = kIntroductionTimeout;
    int m_nSendTimeout = kSendTimeout;
    QByteArray m_image; ///< the last chart handed to the connections
    quint64 m_nImageVersion = 0;
    std::unique_ptr<QTcpServer> m_pListener; ///< listens; accepting is done here
    std::unique_ptr<QSocketNotifier> m_pAcceptNotifier;
    QTimer m_acceptPause;
};
