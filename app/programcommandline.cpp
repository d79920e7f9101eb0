#include "app/programcommandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstring>

namespace {

// The options that make the program print and end.
constexpr const char* kTextOptions[] = {"-h", "--help", "-v", "--version"};

} // namespace

bool AsksOnlyForText(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        // After "--" every argument is a file name, even "--help".
        if (std::strcmp(argv[i], "--") == 0)
            return false;
        for (const char* option : kTextOptions) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
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
        result.text = QStringLiteral("osiowiec %1\n").arg(version);
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
