#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

/// What chart sharing needs from the program around it: the window, or the
/// command-line tool. The server asks it for the chart to send; the client
/// hands it every whole chart it receives. All calls come on the thread of the
/// event loop.
class SharingHost
{
public:
    virtual ~SharingHost() = default;

    /// The bytes of the active chart exactly as saving it to a file writes
    /// them; empty when no chart is active (then nothing is sent). A host
    /// that keeps the image returns its own copy: the server shares it.
    virtual QByteArray ActiveChartImage() = 0;

    /// Whether there is a chart to show a received one in. While there is
    /// not, the client leaves the stream unread; the host calls
    /// CClientSocket::ResumeReading() when there is one again.
    virtual bool CanShowChart() = 0;

    /// A whole chart arrived (bytes as a chart file holds them, checked to end
    /// where a chart ends). The host shows it and returns true, or returns
    /// false when it cannot be loaded; the client then closes the connection,
    /// since the stream cannot be followed past it.
    virtual bool ShowChart(const std::vector<uint8_t>& image) = 0;
};
