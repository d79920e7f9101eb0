#include "cli/commands.h"

#include "chart/chartimage.h"
#include "chart/chartmessages.h"
#include "net/clientsocket.h"
#include "net/netmessages.h"
#include "net/serversocket.h"
#include "net/sharinghost.h"
#include "platform/archive.h"
#include "platform/cp1250.h"
#include "platform/fileio.h"

#include <QCoreApplication>

#include <charconv>
#include <csignal>
#include <cstdio>
#include <deque>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kUsage = "receive HOST [--port PORT] [--name NAZWA] [--count N] "
                                    "[--keep N] [--timeout SEKUNDY] -o WZORZEC";
// Seconds of --timeout at most: their milliseconds fit a timer.
constexpr unsigned kMaxTimeout = 2000000;
// Files of a numbered pattern kept by default: a server that sends charts
// without end must not fill the disk.
constexpr unsigned kDefaultKeep = 100;
constexpr unsigned kMaxKeep = 1000000;

bool ParseNumber(std::string_view text, unsigned low, unsigned high, unsigned& value)
{
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= low &&
           value <= high;
}

/// The file name of the n-th chart: the pattern with "%d" as n.
std::string OutputName(const std::string& pattern, unsigned n)
{
    const std::size_t at = pattern.find("%d");
    if (at == std::string::npos)
        return pattern;
    return pattern.substr(0, at) + std::to_string(n) + pattern.substr(at + 2);
}

/// Why a name cannot take a chart's file, or kNone when it names nothing
/// yet or a regular file (a link is followed).
WriteFailure SpecialFileFailure(const std::string& name)
{
    struct stat info;
    if (stat(name.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return WriteFailure::kNone;
    return S_ISDIR(info.st_mode) ? WriteFailure::kFolder : WriteFailure::kNotRegular;
}

/// Writes every chart it is shown to the next file of the pattern. Of a
/// numbered pattern it keeps the newest `keep` files it wrote and removes the
/// older ones it wrote; files it did not write are never touched.
class FileWriterHost : public SharingHost
{
public:
    FileWriterHost(std::string pattern, unsigned count, unsigned keep)
        : m_pattern(std::move(pattern)), m_nCount(count), m_nKeep(keep)
    {
    }

    QByteArray ActiveChartImage() override { return QByteArray(); }
    bool CanShowChart() override { return m_error.empty() && (m_nCount == 0 || m_nWritten < m_nCount); }

    bool ShowChart(const std::vector<uint8_t>& image) override
    {
        ChartImage parsed;
        ArchiveReader reader(image);
        if (ParseChart(reader, parsed, true) != ChartParse::kComplete)
            return false;
        // Through a temporary file: a chart's file appears only whole.
        const std::string name = OutputName(m_pattern, m_nWritten + 1);
        WriteFailure failure = WriteFailure::kNone;
        if (!WriteFileAtomically(name, image, &failure, SpecialTarget::kRefuse)) {
            m_error = ChartMessage::WriteFailed(Cp1250::FromUtf8(name), failure);
            QCoreApplication::exit(1);
            return true;
        }
        ++m_nWritten;
        if (name != m_pattern) {
            m_written.push_back(name);
            if (m_written.size() > m_nKeep) {
                unlink(m_written.front().c_str());
                m_written.pop_front();
            }
        }
        if (m_nCount != 0 && m_nWritten == m_nCount)
            QCoreApplication::exit(0);
        return true;
    }

    const std::string& Error() const { return m_error; }
    /// Whether every chart asked for came: with a count, that many; without,
    /// at least one.
    bool AllArrived() const { return m_nCount == 0 ? m_nWritten > 0 : m_nWritten >= m_nCount; }

private:
    std::string m_pattern;
    unsigned m_nCount;
    unsigned m_nKeep;
    unsigned m_nWritten = 0;
    std::deque<std::string> m_written; ///< the numbered files kept, oldest first
    std::string m_error;
};

} // namespace

int RunReceive(int argc, char** argv)
{
    std::string host;
    std::string pattern;
    std::optional<std::string> clientName;
    unsigned port = CServerSocket::kDefaultPort;
    unsigned count = 0;
    unsigned keep = kDefaultKeep;
    unsigned timeout = 0;
    for (int i = 0; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--port" && i + 1 < argc) {
            const std::string_view text = argv[++i];
            auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
            if (error != std::errc() || end != text.data() + text.size() || port > 65535)
                return ReportError(std::string("--port: ") + argv[i] + " (0 ... 65535)");
        } else if (option == "--count" && i + 1 < argc) {
            const std::string_view text = argv[++i];
            auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
            if (error != std::errc() || end != text.data() + text.size() || count == 0)
                return ReportError(std::string("--count: ") + argv[i]);
        } else if (option == "--keep" && i + 1 < argc) {
            if (!ParseNumber(argv[++i], 1, kMaxKeep, keep))
                return ReportError(std::string("--keep: ") + argv[i] + " (1 ... 1000000)");
        } else if (option == "--timeout" && i + 1 < argc) {
            const std::string_view text = argv[++i];
            auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), timeout);
            if (error != std::errc() || end != text.data() + text.size() || timeout == 0 || timeout > kMaxTimeout)
                return ReportError(std::string("--timeout: ") + argv[i] + " (1 ... 2000000)");
        } else if (option == "--name" && i + 1 < argc) {
            // Characters that code page 1250 lacks go out as '?'.
            clientName = Cp1250::FromUtf8(argv[++i]);
        } else if (option == "-o" && i + 1 < argc) {
            pattern = argv[++i];
        } else if (host.empty() && !option.starts_with("-")) {
            host = argv[i];
        } else {
            return UsageError(kUsage);
        }
    }
    if (host.empty() || pattern.empty())
        return UsageError(kUsage);
    // Charts go to regular files only: a FIFO would keep the client waiting
    // for a reader, past any time-out. Refused before connecting; each file
    // is checked again as it is written.
    const std::string first = OutputName(pattern, 1);
    if (const WriteFailure failure = SpecialFileFailure(first); failure != WriteFailure::kNone)
        return ReportError(ChartMessage::WriteFailed(Cp1250::FromUtf8(first), failure));

    int qtArgc = 1;
    char name[] = "osiowiec-cli";
    char* qtArgv[] = {name, nullptr};
    QCoreApplication app(qtArgc, qtArgv);
    std::signal(SIGPIPE, SIG_IGN);

    FileWriterHost files(pattern, count, keep);
    CClientSocket client(files);
    if (clientName)
        client.SetClientName(*clientName);
    client.SetReceiveTimeout(static_cast<int>(timeout * 1000));
    int status = 0;
    QObject::connect(&client, &CClientSocket::connectFailed, [&] {
        status = ReportError(NetMessage::kConnectFailed.c_str());
        app.exit(status);
    });
    QObject::connect(&client, &CClientSocket::clientClosed, [&] {
        switch (client.GetCloseReason()) {
        case CClientSocket::CloseReason::kCutOff:
            status = ReportError(NetMessage::kChartCutOff.c_str());
            break;
        case CClientSocket::CloseReason::kMalformed:
            status = ReportError(NetMessage::kChartMalformed.c_str());
            break;
        case CClientSocket::CloseReason::kTimedOut:
            status = ReportError(NetMessage::kTimedOut.c_str());
            break;
        case CClientSocket::CloseReason::kServerClosed:
            // A server that closes before the charts asked for came (a full
            // one closes at once) is no success.
            if (!files.AllArrived())
                status = ReportError(NetMessage::kConnectionClosed.c_str());
            break;
        default:
            break;
        }
        app.exit(status);
    });
    client.ConnectToServer(Cp1250::FromUtf8(host), static_cast<quint16>(port));
    const int result = app.exec();
    if (!files.Error().empty())
        return ReportError(files.Error());
    return result;
}
