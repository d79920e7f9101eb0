#include "cli/commands.h"

#include "platform/cp1250.h"
#include "platform/fileio.h"

#include <QString>
#include <QtGlobal>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr char kUsage[] =
    "użycie: osiowiec-cli POLECENIE ...\n"
    "  eval [--degrees] [--order N] [--program] WZÓR [X ...]\n"
    "  new [-f \"WZÓR[;RZĄD[;#RRGGBB[;hidden]]]\"]... [--x MIN:MAX] [--y MIN:MAX]\n"
    "      [--points N] [--degrees] [--dots] [--grid X:Y] [--scale X:Y]\n"
    "      [--table MIN:MAX:KROK] [--header TEKST] [--caption TEKST] -o PLIK\n"
    "  dump [--computed] PLIK\n"
    "  table PLIK\n"
    "  render PLIK -o WYJŚCIE.png|.svg|.pdf [--size SZEROKOŚĆxWYSOKOŚĆ] [--aliased]\n"
    "      [--points] [--area I:A:B] [--pi] [--classic]\n"
    "  serve PLIK [--port PORT] [--max N] [--bind ADRES]\n"
    "  receive HOST [--port PORT] [--name NAZWA] [--count N] [--timeout SEKUNDY]\n"
    "      -o WZORZEC\n"
    "  analyze PLIK [--x A:B] [--max N]\n"
    "  area PLIK --function I --x A:B\n"
    "  help | --help\n"
    "  --version\n";

/// SIGTERM and SIGINT end the program as they would, without leaving the
/// temporary file of a write under way.
void OnStopSignal(int signal)
{
    RemoveTemporaryFile();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

void QuietQtNotes()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtDebugMsg && type != QtInfoMsg && !message.startsWith("QStandardPaths"))
            std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    });
}

int UsageError(std::string_view usage)
{
    std::fprintf(stderr, "użycie: osiowiec-cli %.*s\n", static_cast<int>(usage.size()),
                 usage.data());
    return 1;
}

int ReportError(std::string_view message)
{
    std::fprintf(stderr, "%s\n", Cp1250::ToUtf8(message).c_str());
    return 1;
}

int main(int argc, char** argv)
{
    // Numbers are always written and read with a decimal point.
    std::setlocale(LC_ALL, "C");
    // The tool never needs a display: Qt draws its fonts and pictures on the
    // offscreen platform, whatever platform the environment names (one
    // without a display, or without its plugin, would abort the program).
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::signal(SIGTERM, OnStopSignal);
    std::signal(SIGINT, OnStopSignal);
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 1;
    }
    const std::string command = argv[1];
    argc -= 2;
    argv += 2;
    if (command == "eval")
        return RunEval(argc, argv);
    if (command == "new")
        return RunNew(argc, argv);
    if (command == "dump")
        return RunDump(argc, argv);
    if (command == "table")
        return RunTable(argc, argv);
    if (command == "render")
        return RunRender(argc, argv);
    if (command == "serve")
        return RunServe(argc, argv);
    if (command == "receive")
        return RunReceive(argc, argv);
    if (command == "analyze")
        return RunAnalyze(argc, argv);
    if (command == "area")
        return RunArea(argc, argv);
    if (command == "help" || command == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "--version") {
        std::printf("osiowiec-cli %s\n", OSIOWIEC_VERSION);
        return 0;
    }
    std::fprintf(stderr, "nieznane polecenie: %s\n", command.c_str());
    std::fputs(kUsage, stderr);
    return 1;
}
