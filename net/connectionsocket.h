#pragma once

#include "platform/stringstreamreader.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CServerSocket;
class QTcpSocket;

/// A chart image shared by every connection that sends it.
using SharedChart = std::shared_ptr<const std::vector<uint8_t>>;

/// One client of the sharing server. It reads the client's introduction (one
/// archive string, at most kMaxNameLength bytes, due within the server's
/// introduction time-out) and sends chart images without ever waiting for the
/// client: at most one chart goes out at a time and at most one more waits,
/// a newer chart taking the place of a waiting one, so a client that stops
/// reading holds on to no more than two charts.
///
/// The server owns it; it removes itself from the server and is deleted
/// (later, from the event loop) when its connection ends.
class CConnectionSocket : public QObject
{
    Q_OBJECT

public:
    /// Introductions longer than this close the connection.
    static constexpr std::size_t kMaxNameLength = 64 * 1024;

    /// Takes over an accepted socket.
    CConnectionSocket(QTcpSocket* socket, CServerSocket& server, int introductionTimeout);
    /// Closes the socket without telling the server.
    ~CConnectionSocket() override;

    /// The name the client introduced itself with (code page 1250); empty
    /// until it has arrived.
    const std::string& GetClientName() const { return m_strClientName; }
    bool IsNamed() const { return m_bNamed; }
    /// The client's dotted address (an IPv4 client as such, not mapped).
    QString GetPeerAddress() const;

    /// Sends the server's active chart; false when there is none or the
    /// connection cannot take it.
    bool SendChart();
    /// Queues an image to send; false when the connection cannot take it.
    bool SendImage(const SharedChart& image);

    /// Bytes this connection holds for sending: its charts not yet handed to
    /// the socket and the socket's own buffer.
    std::size_t PendingBytes() const;

    /// Ends the connection now (as the server does when it stops).
    void Abort();

private slots:
    void OnReceive();
    void OnBytesWritten();
    void OnClose();

private:
    void Pump();
    void Drop();

    std::string m_strClientName;
    bool m_bNamed = false;
    bool m_bClosed = false;
    QTcpSocket* m_pSocket;
    CServerSocket* m_pServer;
    StringStreamReader m_nameReader{kMaxNameLength};
    QTimer m_introductionTimer;

    SharedChart m_sending; ///< the chart going out, from m_nSent on
    std::size_t m_nSent = 0;
    SharedChart m_waiting; ///< the next chart, not started
};
