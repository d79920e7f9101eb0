// Chart sharing on loopback.
//   share/standard, share/1.2MB   one SendChartToAll to 50 introduced clients,
//                                 until every client has read the whole chart
//   raw/standard, raw/1.2MB       the same bytes written by a plain loop to 50
//                                 sockets, until every client has read them
//   receive/50MB                  a 50 MB chart fed in 4 KiB pieces through the
//                                 client's chart reader, then loaded into a
//                                 fresh document (the client's whole path)
//   read/50MB                     the reader alone
//   load/50MB                     the same bytes loaded from memory
// Not timed: the server's growth in resident memory once 45 clients that
// introduce themselves and then read nothing hold up a 5 MB chart; and once a
// client has joined after each of 30 changes of a 4 MB chart and then stopped
// reading, each in the middle of its own version.
// The standard chart is the 15 formulas of the set at 10000 steps; the
// 1.2 MB chart holds 200 formulas of 6000 characters.
#include "bench/benchsupport.h"
#include "bench/standardchart.h"

#include "chart/chartimage.h"
#include "chart/chartstream.h"
#include "chart/functioncontainer.h"
#include "document/zeltra20doc.h"
#include "net/connectionsocket.h"
#include "net/serversocket.h"
#include "net/sharinghost.h"
#include "platform/archive.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>

#include <chrono>
#include <cstdio>
#include <malloc.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kClients = 50;

class FixedHost : public SharingHost
{
public:
    QByteArray ActiveChartImage() override { return m_image; }
    bool CanShowChart() override { return false; }
    bool ShowChart(const std::vector<uint8_t>&) override { return false; }
    QByteArray m_image;
};

QByteArray ToByteArray(const std::vector<uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

/// This process's resident memory in bytes.
std::size_t ResidentBytes()
{
    long pages = 0;
    long resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<std::size_t>(resident) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

/// A client from the loopback address 127.0.0.(1 + index) that introduces
/// itself and then reads nothing, with a small receive buffer, which holds
/// nothing in this process. Its socket, for the caller to close.
int ConnectStalled(quint16 port, int index)
{
    ArchiveWriter name;
    name.WriteString("stalled");
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const int small = 4096;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in local = {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK + 1 + static_cast<uint32_t>(index));
    bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        [[maybe_unused]] const ssize_t sent = send(fd, name.Bytes().data(), name.Bytes().size(), 0);
    return fd;
}

/// The server's growth in resident memory, in charts, once `clients` clients
/// have introduced themselves and stopped reading a chart of these bytes.
double StalledMemory(const std::vector<uint8_t>& chart, int clients)
{
    FixedHost host;
    host.m_image = ToByteArray(chart);
    CServerSocket server(host);
    server.SetMaxConnections(static_cast<unsigned>(clients));
    server.Listen(0, QHostAddress::LocalHost);
    const std::size_t before = ResidentBytes();

    std::vector<int> sockets;
    for (int i = 0; i < clients; ++i) {
        sockets.push_back(ConnectStalled(server.GetPort(), i));
        // Accepted as they come: the backlog is shorter than the class.
        QCoreApplication::processEvents();
    }
    // Until every client holds a chart up, or a few seconds have passed.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        int stalled = 0;
        for (int i = 0; i < server.GetConnectionCount(); ++i)
            stalled += server.GetConnection(i)->IsNamed() && server.GetConnection(i)->PendingBytes() > 0;
        if (stalled == clients || std::chrono::steady_clock::now() > deadline)
            break;
    }
    const std::size_t after = ResidentBytes();
    for (int fd : sockets)
        close(fd);
    server.Close();
    return after > before ? static_cast<double>(after - before) / static_cast<double>(chart.size()) : 0.0;
}

/// The server's growth in resident memory, in charts, once a client has
/// joined after each of `changes` changes of a chart of these bytes and then
/// stopped reading, each in the middle of the version it joined at. The
/// allocator gives back its free pages before each measurement, so that what
/// is measured is what the server holds.
double StaggeredStalledMemory(const std::vector<uint8_t>& chart, int changes)
{
    FixedHost host;
    host.m_image = ToByteArray(chart);
    CServerSocket server(host);
    server.SetMaxConnections(CServerSocket::kMaxConnectionsLimit);
    server.Listen(0, QHostAddress::LocalHost);
    malloc_trim(0);
    const std::size_t before = ResidentBytes();

    std::vector<int> sockets;
    for (int change = 1; change <= changes; ++change) {
        // Another version of the same size.
        QByteArray next = ToByteArray(chart);
        next[next.size() - 1] = static_cast<char>(change);
        host.m_image = next;
        next = QByteArray();
        server.SendChartToAll();
        sockets.push_back(ConnectStalled(server.GetPort(), change));
        // Until the newcomer is in the middle of this version.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (bool inside = false; !inside && std::chrono::steady_clock::now() < deadline;) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            for (int i = 0; i < server.GetConnectionCount(); ++i) {
                const CConnectionSocket* connection = server.GetConnection(i);
                inside = inside || (connection->IsInsideChart() &&
                                    connection->GetSendingVersion() == server.GetImageVersion());
            }
        }
    }
    malloc_trim(0);
    const std::size_t after = ResidentBytes();
    for (int fd : sockets)
        close(fd);
    server.Close();
    return after > before ? static_cast<double>(after - before) / static_cast<double>(chart.size())
                          : 0.0;
}

std::vector<uint8_t> Stored(const FunctionContainer& chart)
{
    ArchiveWriter writer;
    chart.Store(writer);
    return writer.Bytes();
}

std::vector<uint8_t> StandardChart(const std::vector<std::string>& formulas)
{
    FunctionContainer chart;
    BuildStandardChart(chart, formulas, 1920, 1080);
    return Stored(chart);
}

// Hidden functions of long formulas: the size of the chart, not its drawing.
std::vector<uint8_t> LongChart(int functions)
{
    std::string formula = "x";
    while (formula.size() + 2 <= 6000)
        formula += "+x";
    formula += "0";
    ArchiveWriter writer;
    writer.WriteString(kChartHeader);
    writer.WriteInt32(functions);
    for (int i = 0; i < functions; ++i) {
        writer.WriteString(formula);
        writer.WriteUInt32(0xFF);
        writer.WriteInt32(0);
        writer.WriteInt32(0);
    }
    // The rest as a default chart stores it.
    const std::vector<uint8_t> rest = Stored(FunctionContainer());
    writer.WriteBytes(rest.data() + 15, rest.size() - 15);
    return writer.Bytes();
}

/// Clients that count what they read. They connect without waiting: the
/// server's backlog is short, so the connections must be accepted as they
/// come.
class Readers
{
public:
    Readers(quint16 port, bool introduce)
    {
        for (int i = 0; i < kClients; ++i) {
            auto socket = std::make_unique<QTcpSocket>();
            QTcpSocket* raw = socket.get();
            QObject::connect(raw, &QTcpSocket::readyRead, [this, raw] {
                char buffer[65536];
                for (qint64 n; (n = raw->read(buffer, sizeof buffer)) > 0;)
                    m_nReceived += static_cast<std::size_t>(n);
            });
            QObject::connect(raw, &QTcpSocket::connected, [this, raw, introduce] {
                ++m_nConnected;
                if (introduce) {
                    ArchiveWriter name;
                    name.WriteString("bench");
                    raw->write(reinterpret_cast<const char*>(name.Bytes().data()),
                               static_cast<qint64>(name.Bytes().size()));
                }
            });
            // Each from a loopback address of its own, as a class's
            // computers: the server lets one address keep only two
            // connections waiting for their names.
            raw->bind(QHostAddress(QStringLiteral("127.0.0.%1").arg(i + 2)));
            raw->connectToHost(QHostAddress::LocalHost, port);
            m_sockets.push_back(std::move(socket));
        }
    }
    bool AllConnected() const { return m_nConnected == kClients; }
    void WaitFor(std::size_t bytes)
    {
        while (m_nReceived < bytes)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        m_nReceived -= bytes;
    }

private:
    std::vector<std::unique_ptr<QTcpSocket>> m_sockets;
    std::size_t m_nReceived = 0;
    int m_nConnected = 0;
};

void RegisterSharing(const char* label, const std::vector<uint8_t>& image)
{
    benchmark::RegisterBenchmark((std::string("share/") + label).c_str(), [image](benchmark::State& state) {
        FixedHost host;
        host.m_image = ToByteArray(image);
        CServerSocket server(host);
        server.SetMaxConnections(kClients);
        server.Listen(0);
        Readers readers(server.GetPort(), true);
        while (!readers.AllConnected() || server.GetConnectionCount() < kClients)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        readers.WaitFor(image.size() * kClients); // the charts sent at the introductions
        for (auto _ : state) {
            server.SendChartToAll();
            readers.WaitFor(image.size() * kClients);
        }
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * image.size() * kClients));
    })->Unit(benchmark::kMillisecond)->UseRealTime();

    benchmark::RegisterBenchmark((std::string("raw/") + label).c_str(), [image](benchmark::State& state) {
        QTcpServer listener;
        listener.listen(QHostAddress::LocalHost, 0);
        Readers readers(listener.serverPort(), false);
        std::vector<QTcpSocket*> sockets;
        while (!readers.AllConnected() || sockets.size() < kClients) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            while (QTcpSocket* socket = listener.nextPendingConnection())
                sockets.push_back(socket);
        }
        for (auto _ : state) {
            for (QTcpSocket* socket : sockets)
                socket->write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size()));
            readers.WaitFor(image.size() * kClients);
        }
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * image.size() * kClients));
    })->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

int main(int argc, char** argv)
{
    int qtArgc = 1;
    char name[] = "net_bench";
    char* qtArgv[] = {name, nullptr};
    QCoreApplication app(qtArgc, qtArgv);

    const std::vector<uint8_t> standard = StandardChart(LoadFormulas(argc, argv));
    const std::vector<uint8_t> large = LongChart(200);
    const std::vector<uint8_t> huge = LongChart(8400);
    const double stalledMemory = StalledMemory(LongChart(840), 45);
    const double staggeredMemory = StaggeredStalledMemory(LongChart(700), 30);
    std::printf("charts: standard %zu bytes, long %zu bytes, huge %zu bytes\n", standard.size(),
                large.size(), huge.size());
    RegisterSharing("standard", standard);
    RegisterSharing("1.2MB", large);

    constexpr std::size_t kPiece = 4096;
    benchmark::RegisterBenchmark("read/50MB", [&](benchmark::State& state) {
        for (auto _ : state) {
            ChartStreamReader reader;
            for (std::size_t at = 0; at < huge.size(); at += kPiece)
                reader.Feed(huge.data() + at, std::min(kPiece, huge.size() - at));
            std::vector<uint8_t> chart = reader.TakeChart();
            benchmark::DoNotOptimize(chart.data());
        }
    })->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("receive/50MB", [&](benchmark::State& state) {
        for (auto _ : state) {
            ChartStreamReader reader;
            for (std::size_t at = 0; at < huge.size(); at += kPiece)
                reader.Feed(huge.data() + at, std::min(kPiece, huge.size() - at));
            CZeltra20Doc document;
            if (reader.GetStatus() != ChartStreamReader::Status::kComplete ||
                !document.LoadImage(reader.TakeChart()))
                state.SkipWithError("the chart was not received");
        }
    })->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("load/50MB", [&](benchmark::State& state) {
        for (auto _ : state) {
            CZeltra20Doc document;
            if (!document.LoadImage(huge))
                state.SkipWithError("the chart did not load");
        }
    })->Unit(benchmark::kMillisecond)->UseRealTime();

    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto& t = reporter.m_times;
    const double shareStandard = t["raw/standard"] / t["share/standard"];
    const double shareLarge = t["raw/1.2MB"] / t["share/1.2MB"];
    std::printf("share 50 clients vs raw send, standard chart: %.2f\n", shareStandard);
    std::printf("share 50 clients vs raw send, 1.2 MB chart: %.2f\n", shareLarge);
    std::printf("read 50 MB in 4 KiB pieces vs load: %.2f\n", t["load/50MB"] / t["read/50MB"]);
    std::printf("share 50 clients vs raw send: %.2f\n", std::min(shareStandard, shareLarge));
    std::printf("receive vs load: %.2f\n", t["load/50MB"] / t["receive/50MB"]);
    std::printf("stalled clients memory vs chart: %.2f\n", stalledMemory);
    std::printf("staggered stalled clients memory vs chart: %.2f\n", staggeredMemory);
    return 0;
}
