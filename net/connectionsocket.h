#pragma once

#include "platform/stringstreamreader.h"

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

#include <cstddef>
#include <string>

class CServerSocket;

/// A chart image. Every connection that sends the same chart holds the same
/// bytes (implicit sharing): nothing is copied per client.
using SharedChart = QByteArray;

/// One client of the sharing server, on the accepted socket's descriptor. It
/// reads the client's introduction (one archive string, at most
/// kMaxNameLength bytes, due within the server's introduction time-out) and
/// sends chart images straight from the shared bytes, without ever waiting
/// for the client: at most one chart goes out at a time and at most one more
/// waits, a newer chart taking the place of a waiting one, so a client that
/// stops reading holds on to no more than two charts, and those are the
/// server's own copies. A client that has not taken the chart going out to it
/// within the send time-out is dropped: the time runs from when the chart
/// became the next to go out.
///
/// A client that closes its sending side after its introduction still gets
/// the charts under way; the connection ends once they are out.
///
/// The server owns it; it removes itself from the server and is deleted
/// (later, from the event loop) when its connection ends.
class CConnectionSocket : public QObject
{
    Q_OBJECT

public:
    /// Introductions longer than this close the connection.
    static constexpr std::size_t kMaxNameLength = 64 * 1024;

    /// Takes over an accepted socket's descriptor. Time-outs in milliseconds.
    CConnectionSocket(qintptr descriptor, CServerSocket& server, int introductionTimeout,
                      int sendTimeout);
    /// Closes the socket without telling the server.
    ~CConnectionSocket() override;

    /// The name the client introduced itself with (code page 1250); empty
    /// until it has arrived.
    const std::string& GetClientName() const { return m_strClientName; }
    bool IsNamed() const { return m_bNamed; }
    /// Whether the connection still waits for the client's name: not named,
    /// and the bytes that came but are not read yet do not finish it either.
    bool IsWaitingForName() const;
    /// The client's dotted address (an IPv4 client as such, not mapped).
    const QString& GetPeerAddress() const { return m_strPeerAddress; }
    /// The dotted address of the peer of a connected socket; empty when the
    /// system cannot tell.
    static QString PeerAddressOf(qintptr descriptor);

    /// Sends the server's active chart; false when there is none or the
    /// connection cannot take it.
    bool SendChart();
    /// Queues an image to send; false when the connection cannot take it.
    /// `version` counts the server's charts: a larger one is newer.
    bool SendImage(const SharedChart& image, quint64 version);

    /// Bytes of charts this connection has still to hand to the system.
    std::size_t PendingBytes() const;
    /// Whether part of a chart has gone out and the rest has not: the chart
    /// it holds on to whatever comes after it.
    bool IsInsideChart() const { return !m_sending.isNull() && m_nSent > 0; }
    /// The version of the chart going out (meaningful while IsInsideChart()).
    quint64 GetSendingVersion() const { return m_nSendingVersion; }

    /// Ends the connection now (as the server does when it stops).
    void Abort();
    /// Ends the connection and tells the server, as when the client leaves.
    void Drop() { OnClose(); }

private:
    void OnReceive();
    void OnWritable();
    void Pump();
    void OnClose();

    std::string m_strClientName;
    QString m_strPeerAddress;
    bool m_bNamed = false;
    bool m_bClosed = false;
    bool m_bPeerDone = false; ///< the client sends no more
    int m_fd;
    CServerSocket* m_pServer;
    QSocketNotifier m_readNotifier;
    QSocketNotifier m_writeNotifier;
    StringStreamReader m_nameReader{kMaxNameLength};
    QTimer m_introductionTimer;
    QTimer m_sendTimer;
    int m_nSendTimeout;

    SharedChart m_sending; ///< the chart going out, from m_nSent on
    std::size_t m_nSent = 0;
    quint64 m_nSendingVersion = 0;
    SharedChart m_waiting; ///< the next chart, not started
    quint64 m_nWaitingVersion = 0;
};
