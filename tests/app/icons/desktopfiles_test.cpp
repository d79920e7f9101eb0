// The desktop learns about charts from the shared MIME type (by name and by
// the first bytes) and from the program's desktop entry. Both are read here
// the way a desktop reads them, against charts that the model writes.

#include "chart/chartfile.h"
#include "chart/functioncontainer.h"

#include <QFile>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kSourceDir = QStringLiteral(OSIOWIEC_ICONS_SOURCE_DIR);
const QString kChartType = QStringLiteral("application/x-osiowiec-chart");

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class DesktopFilesTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QByteArray SavedChart(const FunctionContainer& chart)
    {
        const QString path = m_dir.filePath(QStringLiteral("wykres.dat"));
        SaveChartFile(chart, QFile::encodeName(path).toStdString());
        return ReadAll(path);
    }

private slots:
    // The MIME database sees our package and Qt's own base types only.
    void initTestCase()
    {
        const QString data = m_dir.filePath(QStringLiteral("share"));
        QVERIFY(QDir().mkpath(data + QStringLiteral("/mime/packages")));
        QVERIFY(QFile::copy(kSourceDir + QStringLiteral("/osiowiec-mime.xml"),
                            data + QStringLiteral("/mime/packages/osiowiec.xml")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(data));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("home"))));
        QVERIFY(QMimeDatabase().mimeTypeForName(kChartType).isValid());
    }

    // By name, and for a file without the extension by its first bytes.
    void chartIsRecognised()
    {
        FunctionContainer chart;
        for (const char* formula : {"", "sin(x)"}) {
            if (*formula) {
                chart.BeginEdit();
                chart.SetFunction(formula, 0, true, 0x000000FF);
                chart.CommitEdit();
            }
            const QByteArray bytes = SavedChart(chart);
            QCOMPARE(QMimeDatabase().mimeTypeForData(bytes).name(), kChartType);
        }
        QCOMPARE(QMimeDatabase().mimeTypeForFile(QStringLiteral("Wykres1.osw"),
                                                 QMimeDatabase::MatchExtension).name(),
                 kChartType);
    }

    void otherBytesAreNotCharts_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray saved = SavedChart(FunctionContainer());
        QTest::newRow("header without its length") << saved.mid(1);
        QTest::newRow("cut inside the header") << saved.left(6);
        QTest::newRow("other version") << QByteArray(saved).replace("2.0", "2.1");
        QTest::newRow("wrong length byte") << QByteArray(saved).replace(0, 1, "\x0B");
    }

    void otherBytesAreNotCharts()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(QMimeDatabase().mimeTypeForData(bytes).name() != kChartType);
    }

    // The program offers to open exactly the type that the package defines,
    // passing local paths, under the icon name the theme gets at install.
    void desktopEntryOpensCharts()
    {
        const QString entry = QString::fromUtf8(ReadAll(kSourceDir + QStringLiteral("/osiowiec.desktop")));
        const QString xml = QString::fromUtf8(ReadAll(kSourceDir + QStringLiteral("/osiowiec-mime.xml")));
        QCOMPARE(xml.count(QStringLiteral("<mime-type ")), 1);
        QVERIFY(xml.contains(QStringLiteral("<mime-type type=\"%1\">").arg(kChartType)));
        for (const QString& line : {QStringLiteral("Name=Osiowiec"), QStringLiteral("Exec=osiowiec %F"),
                                    QStringLiteral("Icon=osiowiec"), QStringLiteral("MimeType=%1;").arg(kChartType)})
            QVERIFY2(entry.split(u'\n').contains(line), qPrintable(line));
    }
};

QTEST_MAIN(DesktopFilesTest)
#include "desktopfiles_test.moc"
