#include "app/programcommandline.h"

#include "framework/versiontext.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstring>

namespace {

// What Qt's application object, its platform plugin for X and its widgets
// take from the command line, each also with two dashes.
constexpr const char* kQtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry",
    "qwindowtitle", "title", "qwindowicon", "icon", "session", "style", "stylesheet",
    "display", "name", "visual"};
constexpr const char* kQtSwitches[] = {"reverse", "testability", "widgetcount", "nograb",
                                       "dograb", "qdevel", "qdebug"};
// With their value in the same argument: -style=fusion.
constexpr const char* kQtJoinedOptions[] = {"style=", "stylesheet=", "qmljsdebugger="};

// How many arguments, from this one on, are one of Qt's options: 0 (none
// of Qt's), 1 or 2 (the option and its value). `name` is the argument
// without its dashes.
int QtOptionLength(const QString& name, bool valueFollows)
{
    for (const char* option : kQtOptionsWithValue) {
        // Qt leaves such an option in place when nothing follows it.
        if (name == QLatin1String(option))
            return valueFollows ? 2 : 0;
    }
    for (const char* option : kQtSwitches) {
        if (name == QLatin1String(option))
            return 1;
    }
    for (const char* option : kQtJoinedOptions) {
        if (name.startsWith(QLatin1String(option)))
            return 1;
    }
    return 0;
}

} // namespace

bool NamesAnOption(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        // After "--" every argument is a file name, even "--help".
        if (std::strcmp(argv[i], "--") == 0)
            return false;
        if (argv[i][0] == '-')
            return true;
    }
    return false;
}

QStringList WithoutWindowSystemOptions(const QStringList& arguments)
{
    QStringList kept = arguments.mid(0, 1);
    for (qsizetype i = 1; i < arguments.size();) {
        const QString& argument = arguments[i];
        int length = 0;
        // Qt takes its options wherever they stand, even after "--".
        if (argument.startsWith(u'-') && argument != QLatin1String("--")) {
            const QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
            length = QtOptionLength(name, i + 1 < arguments.size());
        }
        if (length == 0) {
            kept << argument;
            length = 1;
        }
        i += length;
    }
    return kept;
}

bool LoadQtTranslation(QTranslator& translator)
{
    return translator.load(QStringLiteral("qtbase_pl"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

ProgramCommandLine ParseProgramCommandLine(const QStringList& arguments, const QString& version)
{
    QTranslator qtTexts;
    const bool translated = LoadQtTranslation(qtTexts) && QCoreApplication::installTranslator(&qtTexts);

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8("Osiowiec: wykresy funkcji y = f(x)."));
    // Our own help and version options: Qt's describe themselves in English.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QString::fromUtf8("Wyświetla tę pomoc."));
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                           QString::fromUtf8("Wyświetla numer wersji."));
    parser.addOption(help);
    parser.addOption(versionOption);
    parser.addPositionalArgument(QStringLiteral("PLIK"), QString::fromUtf8("wykresy (.osw) do otwarcia"),
                                 QStringLiteral("[PLIK ...]"));

    ProgramCommandLine result;
    const bool parsed = parser.parse(arguments);
    // Help and the version win over a mistake elsewhere on the line.
    if (parser.isSet(help)) {
        result.action = ProgramCommandLine::Action::kHelp;
        result.text = parser.helpText();
    } else if (parser.isSet(versionOption)) {
        result.action = ProgramCommandLine::Action::kVersion;
        result.text = VersionText(QStringLiteral("osiowiec"), version);
    } else if (!parsed) {
        result.action = ProgramCommandLine::Action::kError;
        result.text = QStringLiteral("osiowiec: %1\n").arg(parser.errorText());
    } else {
        result.files = parser.positionalArguments();
    }
    if (translated)
        QCoreApplication::removeTranslator(&qtTexts);
    return result;
}
