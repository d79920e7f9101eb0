#include "cli/commands.h"

#include "chart/chartfile.h"
#include "chart/chartmessages.h"
#include "chart/functioncontainerexception.h"
#include "net/netmessages.h"
#include "net/serversocket.h"
#include "net/sharinghost.h"
#include "platform/cp1250.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTimer>

#include <charconv>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view kUsage = "serve PLIK [--port PORT] [--max N] [--bind ADRES]";
// Writers change a file in several steps; it is read once they are quiet.
constexpr int kSettleTime = 50; // ms
// A file that never stays quiet is still read this often.
constexpr int kLongestWait = 500; // ms

int g_signalPipe[2] = {-1, -1};
// Set while the file is read. The system may keep a read waiting (a file
// system that does not answer); a stop must end the server all the same.
volatile std::sig_atomic_t g_bReadingFile = 0;

void OnSignal(int)
{
    if (g_bReadingFile)
        _exit(0);
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &byte, 1);
}

/// Marks the reading of the served file for the signal handler.
class ReadingFile
{
public:
    ReadingFile() { g_bReadingFile = 1; }
    ~ReadingFile() { g_bReadingFile = 0; }
    ReadingFile(const ReadingFile&) = delete;
    ReadingFile& operator=(const ReadingFile&) = delete;
};

bool ParseNumber(std::string_view text, unsigned low, unsigned high, unsigned& value)
{
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

/// The file's chart as the active chart: the last version that loaded.
class FileHost : public SharingHost
{
public:
    explicit FileHost(std::string path) : m_path(std::move(path)) {}

    /// Reads the file again; true when it changed and loads. The message of a
    /// file that does not load goes to *error. Only a regular file is read: a
    /// FIFO or a device put in its place is refused without waiting for it,
    /// as a broken file is, and the last chart that loaded stays.
    bool Reload(std::string* error)
    {
        struct stat info = {};
        if (stat(m_path.c_str(), &info) != 0) {
            if (error)
                *error = std::string();
            return false;
        }
        const bool changed = !m_bLoaded || info.st_ino != m_info.st_ino ||
                             info.st_size != m_info.st_size ||
                             info.st_mtim.tv_sec != m_info.st_mtim.tv_sec ||
                             info.st_mtim.tv_nsec != m_info.st_mtim.tv_nsec;
        if (!changed)
            return false;
        try {
            const ReadingFile reading;
            const std::vector<uint8_t> image = ReadRegularChartFile(m_path);
            m_image = QByteArray(reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size()));
        } catch (const FunctionContainerException& e) {
            if (error)
                *error = e.m_strMessage;
            return false;
        }
        m_info = info;
        m_bLoaded = true;
        return true;
    }

    QByteArray ActiveChartImage() override { return m_image; }
    bool CanShowChart() override { return false; }
    bool ShowChart(const std::vector<uint8_t>&) override { return false; }

private:
    std::string m_path;
    QByteArray m_image; ///< empty until the file has loaded
    struct stat m_info = {};
    bool m_bLoaded = false;
};

} // namespace

int RunServe(int argc, char** argv)
{
    std::string path;
    unsigned port = CServerSocket::kDefaultPort;
    unsigned maximum = CServerSocket::kDefaultMaxConnections;
    QHostAddress address = QHostAddress::Any;
    for (int i = 0; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--port" && i + 1 < argc) {
            if (!ParseNumber(argv[++i], 0, 65535, port))
                return ReportError(std::string("--port: ") + argv[i] + " (0 ... 65535)");
        } else if (option == "--max" && i + 1 < argc) {
            if (!ParseNumber(argv[++i], 1, CServerSocket::kMaxConnectionsLimit, maximum))
                return ReportError(std::string("--max: ") + argv[i] + " (1 ... 50)");
        } else if (option == "--bind" && i + 1 < argc) {
            if (!address.setAddress(QString::fromLocal8Bit(argv[++i])))
                return ReportError(std::string("--bind: ") + argv[i]);
        } else if (path.empty() && !option.starts_with("-")) {
            path = argv[i];
        } else {
            return UsageError(kUsage);
        }
    }
    if (path.empty())
        return UsageError(kUsage);

    int qtArgc = 1;
    char name[] = "osiowiec-cli";
    char* qtArgv[] = {name, nullptr};
    QCoreApplication app(qtArgc, qtArgv);

    // The stop signals are handled, and the file watched, before the first
    // line says the server listens: whoever reads it may stop the server or
    // change the file at once.
    if (pipe2(g_signalPipe, O_CLOEXEC) != 0)
        return ReportError("pipe");
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);

    // A replacing rename takes the file out of the watch: the folder is
    // watched too, and the file is watched again whenever it is there. The
    // watch starts before the first reading, so no change falls between.
    const QString file = QString::fromLocal8Bit(path.c_str());
    QFileSystemWatcher watcher;
    watcher.addPath(file);
    watcher.addPath(QFileInfo(file).absolutePath());

    FileHost host(path);
    std::string error;
    if (!host.Reload(&error))
        return ReportError(error.empty() ? ChartMessage::Format(ChartMessage::kReadFailed, Cp1250::FromUtf8(path).c_str())
                                         : error);

    CServerSocket server(host);
    server.SetMaxConnections(maximum);
    if (!server.Listen(static_cast<quint16>(port), address))
        return ReportError(NetMessage::kServerFailed.c_str());

    // Every change restarts the settling wait; a file that keeps changing is
    // read anyway once the longest wait is over, so the clients follow it.
    // That reading may catch a writer half-way: its failure is not said, and
    // the settled reading that always follows the last change reads again.
    QTimer settle;
    settle.setSingleShot(true);
    settle.setInterval(kSettleTime);
    QTimer longest;
    longest.setSingleShot(true);
    longest.setInterval(kLongestWait);
    const auto changed = [&] {
        settle.start();
        if (!longest.isActive())
            longest.start();
    };
    const auto reload = [&](bool sayWhy) {
        if (!watcher.files().contains(file))
            watcher.addPath(file);
        // A file that does not load is said and not sent; the clients keep
        // the last chart that did.
        std::string reloadError;
        if (host.Reload(&reloadError))
            server.SendChartToAll();
        else if (sayWhy && !reloadError.empty())
            ReportError(reloadError);
    };
    QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, changed);
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, changed);
    QObject::connect(&settle, &QTimer::timeout, [&] {
        longest.stop();
        reload(true);
    });
    QObject::connect(&longest, &QTimer::timeout, [&] { reload(false); });

    std::printf("listening on port %u\n", static_cast<unsigned>(server.GetPort()));
    std::fflush(stdout);

    app.exec();
    server.Close();
    return 0;
}
