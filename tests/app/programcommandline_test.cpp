// The program's command line: which arguments are charts to open, and which
// ask only for a text, so that the program answers them with no window.

#include "app/programcommandline.h"

#include <QTest>

#include <vector>

using Action = ProgramCommandLine::Action;
Q_DECLARE_METATYPE(ProgramCommandLine::Action)

class ProgramCommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void parses_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("text"); // a part of the text printed

        const QStringList none;
        QTest::newRow("no charts") << QStringList{} << Action::kRun << none << QString();
        QTest::newRow("charts in order, names with spaces and Polish letters")
            << QStringList{"b.osw", "/tmp/wykres ósmy.osw", "a.osw"} << Action::kRun
            << QStringList{"b.osw", "/tmp/wykres ósmy.osw", "a.osw"} << QString();
        QTest::newRow("after -- names that look like options are charts")
            << QStringList{"--", "-stary.osw", "--help"} << Action::kRun
            << QStringList{"-stary.osw", "--help"} << QString();
        QTest::newRow("version") << QStringList{"--version"} << Action::kVersion << none
                                 << QStringLiteral("osiowiec 9.8.7\n");
        QTest::newRow("version, short, after a chart") << QStringList{"a.osw", "-v"} << Action::kVersion
                                                       << none << QStringLiteral("osiowiec 9.8.7\n");
        QTest::newRow("help names the charts and the version")
            << QStringList{"--help"} << Action::kHelp << none << QStringLiteral("--version");
        QTest::newRow("help wins over an unknown option")
            << QStringList{"--nieznana", "-h"} << Action::kHelp << none << QStringLiteral("PLIK");
        QTest::newRow("unknown option is named") << QStringList{"a.osw", "--nieznana"} << Action::kError
                                                 << none << QStringLiteral("nieznana");
    }

    void parses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Action, action);
        QFETCH(QStringList, files);
        QFETCH(QString, text);
        arguments.prepend(QStringLiteral("osiowiec"));
        const ProgramCommandLine result = ParseProgramCommandLine(arguments, QStringLiteral("9.8.7"));
        QCOMPARE(result.action, action);
        QCOMPARE(result.files, files);
        QVERIFY2(result.text.contains(text), qPrintable(result.text));
        // The version's own line comes first, whole; the licence follows.
        if (action == Action::kVersion) {
            QVERIFY2(result.text.startsWith(text), qPrintable(result.text));
            QVERIFY2(result.text.contains(QStringLiteral("GNU GPL")), qPrintable(result.text));
        }
    }

    // The check made before the window system is touched: anything that
    // looks like an option is read with no window system loaded.
    void namesAnOption_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("option");
        QTest::newRow("charts") << QStringList{"a.osw", "b.osw"} << false;
        QTest::newRow("Qt's options") << QStringList{"-platform", "offscreen", "a.osw"} << true;
        for (const char* option : {"-h", "--help", "-v", "--version", "--bogus", "-x"})
            QTest::newRow(option) << QStringList{"a.osw", option} << true;
        QTest::newRow("a chart named --help after --") << QStringList{"--", "--help"} << false;
        QTest::newRow("a chart whose name holds --help") << QStringList{"x--help.osw"} << false;
    }

    void namesAnOption()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, option);
        arguments.prepend(QStringLiteral("osiowiec"));
        std::vector<QByteArray> bytes;
        for (const QString& argument : arguments)
            bytes.push_back(argument.toLocal8Bit());
        std::vector<const char*> argv;
        for (const QByteArray& argument : bytes)
            argv.push_back(argument.constData());
        QCOMPARE(NamesAnOption(static_cast<int>(argv.size()), argv.data()), option);
    }

    // What is left for our own parser once Qt's options are out: the same
    // as Qt's application object leaves.
    void withoutWindowSystemOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("charts only") << QStringList{"a.osw", "b.osw"} << QStringList{"a.osw", "b.osw"};
        QTest::newRow("options with a value")
            << QStringList{"-platform", "offscreen", "a.osw", "-style", "fusion", "--display", ":1"}
            << QStringList{"a.osw"};
        QTest::newRow("a value that looks like an option")
            << QStringList{"-qwindowtitle", "--help", "a.osw"} << QStringList{"a.osw"};
        QTest::newRow("switches and joined values")
            << QStringList{"-reverse", "--style=fusion", "-stylesheet=a.qss", "a.osw", "-nograb"}
            << QStringList{"a.osw"};
        QTest::newRow("ours and mistakes stay")
            << QStringList{"-platform", "xcb", "--bogus", "-v", "-h", "-stylex"}
            << QStringList{"--bogus", "-v", "-h", "-stylex"};
        QTest::newRow("an option with no value left stays")
            << QStringList{"a.osw", "-platform"} << QStringList{"a.osw", "-platform"};
        QTest::newRow("after -- too, as Qt does")
            << QStringList{"--", "-reverse", "-stary.osw"} << QStringList{"--", "-stary.osw"};
    }

    void withoutWindowSystemOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, left);
        arguments.prepend(QStringLiteral("osiowiec"));
        left.prepend(QStringLiteral("osiowiec"));
        QCOMPARE(WithoutWindowSystemOptions(arguments), left);
    }
};

QTEST_MAIN(ProgramCommandLineTest)
#include "programcommandline_test.moc"
