#include "app/childframe.h"
#include "app/helpwindow.h"
#include "app/mainframe.h"
#include "chart/tablecsv.h"
#include "dialogs/imagesizedlg.h"
#include "document/zeltra20doc.h"
#include "engine/function.h"
#include "framework/docmanager.h"
#include "framework/qtstring.h"
#include "tests/app/modalhelper.h"
#include "tests/app/testprofile.h"
#include "views/graphview.h"
#include "views/tableview.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QCheckBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QWheelEvent>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Names the file in the export dialog, with the type of the filter given.
void AnswerExportDialog(QWidget* modal, const QString& path, int filter)
{
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    QVERIFY(dialog != nullptr);
    dialog->selectNameFilter(dialog->nameFilters().value(filter));
    dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept();
}

// Chooses the window's size, or types one, in "Rozmiar obrazu".
void AnswerSizeDialog(QWidget* modal, QSize typed)
{
    auto* dialog = qobject_cast<CImageSizeDlg*>(modal);
    QVERIFY(dialog != nullptr);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Rozmiar obrazu"));
    // The rings go into the picture as the window shows them.
    const QList<QCheckBox*> points = dialog->findChildren<QCheckBox*>();
    QCOMPARE(points.size(), 1);
    QCOMPARE(points.at(0)->text(), QString::fromUtf8("Z &punktami charakterystycznymi"));
    if (typed.isValid()) {
        const QList<QRadioButton*> choices = dialog->findChildren<QRadioButton*>();
        choices.at(1)->click();
        const QList<QSpinBox*> fields = dialog->findChildren<QSpinBox*>();
        fields.at(0)->setValue(typed.width());
        fields.at(1)->setValue(typed.height());
    }
    dialog->accept();
}

} // namespace

class ExportHelpTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CMainFrame> m_frame;
    QTemporaryDir m_dir;

    CMainFrame& Frame() { return *m_frame; }
    CZeltra20Doc& Doc() { return *Frame().GetActiveDocument(); }
    QString Path(const char* name) { return m_dir.filePath(QString::fromLatin1(name)); }

    void NewChart()
    {
        Frame().GetDocManager().OnFileNew();
        FunctionContainer& chart = Doc().GetChart();
        chart.BeginEdit();
        for (const char* formula : {"sin(x)", "log(x,2)"}) {
            chart.SetCurrent(-1);
            chart.SetFunction(formula, 0, true, 0);
        }
        chart.CommitEdit();
        Doc().UpdateAllViews(nullptr, 0);
        Doc().SetModifiedFlag(false);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        UseTestProfile(m_dir.filePath("config"));
    }

    void init()
    {
        m_frame = std::make_unique<CMainFrame>();
        m_frame->resize(1000, 750);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    }

    void cleanup()
    {
        for (const auto& document : m_frame->GetDocManager().GetDocuments())
            document->SetModifiedFlag(false);
        m_frame.reset();
    }

    void newCommandsNeedAChart_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("keys");
        QTest::newRow("copy") << Cmd::kEditCopy << "Ctrl+C; Ctrl+Ins";
        QTest::newRow("export chart") << Cmd::kExportChart << "";
        QTest::newRow("export table") << Cmd::kExportTable << "";
    }

    void newCommandsNeedAChart()
    {
        QFETCH(int, command);
        QFETCH(QString, keys);
        QAction* action = Frame().GetAction(command);
        QVERIFY(!action->isEnabled());
        QVERIFY(!action->statusTip().isEmpty());
        QVERIFY(action->text().contains('&'));
        QCOMPARE(QKeySequence::listToString(action->shortcuts(), QKeySequence::PortableText), keys);
        NewChart();
        QVERIFY(action->isEnabled());
        QVERIFY(Frame().GetAction(Cmd::kHelp)->isEnabled());
    }

    // Ctrl+C and Ctrl+Insert copy what the pane with the keyboard shows.
    void copyKeysFollowThePane_data()
    {
        QTest::addColumn<bool>("table");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("format");
        QTest::newRow("graph, ctrl+c") << false << int(Qt::Key_C) << "image/png";
        QTest::newRow("graph, ctrl+insert") << false << int(Qt::Key_Insert) << "image/svg+xml";
        QTest::newRow("table, ctrl+c") << true << int(Qt::Key_C) << "text/csv";
        QTest::newRow("table, ctrl+insert") << true << int(Qt::Key_Insert) << "text/plain";
    }

    void copyKeysFollowThePane()
    {
        QFETCH(bool, table);
        QFETCH(int, key);
        QFETCH(QString, format);
        NewChart();
        CChildFrame* frame = Frame().GetActiveFrame();
        if (table)
            Frame().GetAction(Cmd::kToggleTable)->trigger();
        QWidget* pane = table ? static_cast<QWidget*>(frame->GetTableView())
                              : static_cast<QWidget*>(frame->GetGraphView());
        pane->setFocus();
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(pane, Qt::Key(key), Qt::ControlModifier);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data != nullptr);
        QVERIFY2(data->hasFormat(format), qPrintable(data->formats().join(' ')));
        QCOMPARE(data->hasFormat("image/png"), !table);
    }

    void exportWritesEachType_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QSize>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("png at the window's size") << "a" << 0 << QSize() << "a.png";
        QTest::newRow("png typed") << "b.png" << 0 << QSize(321, 123) << "b.png";
        QTest::newRow("svg by its filter") << "c" << 1 << QSize(400, 300) << "c.svg";
        QTest::newRow("svg by its name, png filter") << "d.svg" << 0 << QSize(200, 100) << "d.svg";
        QTest::newRow("pdf") << "e" << 2 << QSize() << "e.pdf";
    }

    void exportWritesEachType()
    {
        QFETCH(QString, name);
        QFETCH(int, filter);
        QFETCH(QSize, typed);
        QFETCH(QString, written);
        NewChart();
        const bool pdf = written.endsWith(".pdf");
        WhenModal([&](QWidget* modal) {
            if (!pdf)
                WhenModal([&](QWidget* size) { AnswerSizeDialog(size, typed); });
            AnswerExportDialog(modal, m_dir.filePath(name), filter);
        });
        Frame().GetAction(Cmd::kExportChart)->trigger();
        const QByteArray bytes = ReadAll(m_dir.filePath(written));
        QVERIFY(!bytes.isEmpty());
        const QSize window = Frame().GetActiveFrame()->GetGraphView()->size();
        const QSize size = typed.isValid() ? typed : window;
        if (written.endsWith(".png")) {
            QImage image;
            QVERIFY(image.loadFromData(bytes, "PNG"));
            QCOMPARE(image.size(), size);
        } else if (written.endsWith(".svg")) {
            QVERIFY(bytes.contains(QStringLiteral("width=\"%1").arg(size.width()).toUtf8()));
        } else {
            QVERIFY(bytes.startsWith("%PDF"));
        }
        QVERIFY(!Doc().IsModified());
    }

    void exportTableIsTheToolsCsv()
    {
        NewChart();
        WhenModal([&](QWidget* modal) { AnswerExportDialog(modal, Path("table"), 0); });
        Frame().GetAction(Cmd::kExportTable)->trigger();
        const QByteArray bytes = ReadAll(Path("table.csv"));
        QCOMPARE(bytes, QByteArray::fromStdString(TableCsv(Doc().GetChart())));
        QVERIFY(bytes.startsWith("x,sin(x),\"log(x,2)\"\n"));
    }

    void exportOntoAFolderThatTakesNoFilesSaysSo_data()
    {
        QTest::addColumn<int>("command");
        QTest::newRow("chart as pdf") << Cmd::kExportChart;
        QTest::newRow("table") << Cmd::kExportTable;
    }

    void exportOntoAFolderThatTakesNoFilesSaysSo()
    {
        QFETCH(int, command);
        NewChart();
        QDir(m_dir.path()).mkdir("readonly");
        const QString folder = Path("readonly");
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        // Permissions do not stop root: a folder that is a file stops anyone.
        QString path = folder + (command == Cmd::kExportTable ? "/t.csv" : "/c.pdf");
        QString reason = Utf8("brak uprawnień");
        if (geteuid() == 0) {
            QFile blocker(Path("plainfile"));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            path = Path("plainfile") + (command == Cmd::kExportTable ? "/t.csv" : "/c.pdf");
            reason = Utf8("folder nie istnieje");
        }
        QString message;
        WhenModal([&](QWidget* modal) {
            WhenModal([&](QWidget* box) {
                auto* messageBox = qobject_cast<QMessageBox*>(box);
                QVERIFY(messageBox != nullptr);
                message = messageBox->text();
                messageBox->accept();
            });
            AnswerExportDialog(modal, path, command == Cmd::kExportTable ? 0 : 2);
        });
        Frame().GetAction(command)->trigger();
        QCOMPARE(message, Utf8("Nie udało się zapisać pliku '%1': %2").arg(path, reason));
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    // A FIFO would keep the program waiting for a reader that may never come.
    void exportIntoAFifoSaysSo()
    {
        NewChart();
        const QString path = Path("pipe.csv");
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        QString message;
        WhenModal([&](QWidget* dialog) {
            // The dialog asks before it replaces a file that is there.
            WhenModal([&](QWidget* question) {
                WhenModal([&](QWidget* box) {
                    auto* messageBox = qobject_cast<QMessageBox*>(box);
                    QVERIFY(messageBox != nullptr);
                    message = messageBox->text();
                    messageBox->accept();
                });
                auto* ask = qobject_cast<QMessageBox*>(question);
                QVERIFY(ask != nullptr);
                ask->button(QMessageBox::Yes)->click();
            });
            AnswerExportDialog(dialog, path, 0);
        });
        Frame().GetAction(Cmd::kExportTable)->trigger();
        QCOMPARE(message,
                 Utf8("Nie udało się zapisać pliku '%1': to nie jest zwykły plik").arg(path));
    }

    void f1OpensTheHelpWithEveryName()
    {
        QVERIFY(Frame().GetHelpWindow() == nullptr);
        // Without a chart too: the first item of "Pomoc".
        const QList<QAction*> bar = Frame().menuBar()->actions();
        QMenu* help = bar.last()->menu();
        QCOMPARE(bar.last()->text(), Utf8("Pomo&c"));
        QCOMPARE(help->actions().first(), Frame().GetAction(Cmd::kHelp));
        QTest::keyClick(&Frame(), Qt::Key_F1);
        CHelpWindow* window = Frame().GetHelpWindow();
        QVERIFY(window != nullptr);
        QVERIFY(window->isVisible());
        QVERIFY(window->windowTitle().contains(QStringLiteral("Pomoc")));

        const QString text = window->GetBrowser()->toPlainText();
        const Function language;
        for (const auto& [name, token] : language.GetNames())
            QVERIFY2(text.contains(FromCp1250(name)), name.c_str());
        for (const char* topic : {"Wzory", "Mysz i klawisze", "Tabela wartości", "Pliki",
                                  "Drukowanie i eksport", "Komunikacja", "Wiersz poleceń",
                                  "x^-2", "2(x+1)", "x sin(x)", "Pochodne",
                                  "jeżeli(x < 0, x + 1, x^2)", "jeżeli(0 <= x <= 2, x^2)",
                                  "0.5 zamiast 0,5", "Słowa warunków",
                                  // The comparisons in the table of names are text, not tags.
                                  "root(−8, 3) = −2", "−1 dla x < 0, 0 dla x = 0, 1 dla x > 0",
                                  "a < 0 tylko dla nieparzystego"})
            QVERIFY2(text.contains(Utf8(topic)), topic);
        // Regression: pi was written "3,141592653589793" while formulas
        // take a point; every number the help writes reads as a formula.
        for (const char* number : {"3.141592653589793", "2.718281828459045", "0.5", "0.841470984807897"})
            QVERIFY2(text.contains(Utf8(number)), number);
        // The comma appears only where the help warns against it.
        QString numbers = text;
        numbers.remove(Utf8("więc 0,5 poza")).remove(Utf8("zamiast 0,5"));
        const QRegularExpression decimalComma(QStringLiteral("\\d,\\d"));
        QVERIFY2(!numbers.contains(decimalComma), qPrintable(decimalComma.match(numbers).captured()));

        // Every link of the contents leads to its section.
        QTextBrowser* browser = window->GetBrowser();
        for (const char* anchor : {"wzory", "funkcje", "mysz", "tabela", "pliki", "eksport",
                                   "komunikacja", "cli"}) {
            browser->verticalScrollBar()->setValue(0);
            browser->setSource(QUrl(QStringLiteral("#") + QLatin1String(anchor)));
            if (qstrcmp(anchor, "wzory") != 0)
                QVERIFY2(browser->verticalScrollBar()->value() > 0, anchor);
        }

        // Searching selects the next place, and says so when there is none.
        window->GetSearchField()->setText(QStringLiteral("pierwiastek"));
        QVERIFY(window->FindNext());
        QCOMPARE(window->GetBrowser()->textCursor().selectedText(), QStringLiteral("pierwiastek"));
        window->GetSearchField()->setText(QStringLiteral("zzzqqq"));
        QVERIFY(!window->FindNext());

        // F1 again brings the same window forward.
        NewChart();
        Frame().GetAction(Cmd::kHelp)->trigger();
        QCOMPARE(Frame().GetHelpWindow(), window);
    }

    // "Pomoc > O programie..." names the program, its version, its author
    // and the licence it may be copied under; "OK" closes it.
    void aboutBoxTellsTheLicence()
    {
        QAction* about = nullptr;
        for (QAction* action : Frame().menuBar()->actions().last()->menu()->actions()) {
            if (action->text() == Utf8("&O programie..."))
                about = action;
        }
        QVERIFY(about != nullptr);
        QStringList shown;
        bool closed = false;
        WhenModal([&](QWidget* modal) {
            for (QLabel* label : modal->findChildren<QLabel*>()) {
                if (label->isVisible())
                    shown << label->text();
            }
            for (QPushButton* button : modal->findChildren<QPushButton*>()) {
                if (button->text() == QStringLiteral("OK")) {
                    QTest::mouseClick(button, Qt::LeftButton);
                    closed = true;
                }
            }
        });
        about->trigger();
        QVERIFY(closed);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        const QString text = shown.join(u'\n');
        for (const char* part : {"OSIOWIEC", "wersja 2.0", "autor:", "Zespół programu Osiowiec",
                                 "GNU GPL w wersji 3 lub późniejszej", "wolne oprogramowanie",
                                 "ŻADNEJ GWARANCJI"})
            QVERIFY2(text.contains(Utf8(part)), part);
    }

    void undoAfterAWheelGesture()
    {
        NewChart();
        CZeltra20View* view = Frame().GetActiveFrame()->GetGraphView();
        view->repaint();
        const ChartSettings before = Doc().GetChart().GetSettings();
        for (int i = 0; i < 3; ++i) {
            const QPointF p(200, 150);
            QWheelEvent event(p, view->mapToGlobal(p), QPoint(), QPoint(0, 120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(view, &event);
        }
        QVERIFY(Frame().GetAction(Cmd::kUndoZoom)->isEnabled());
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        const ChartSettings& after = Doc().GetChart().GetSettings();
        QCOMPARE(after.m_xMin, before.m_xMin);
        QCOMPARE(after.m_xMax, before.m_xMax);
        QCOMPARE(after.m_yMin, before.m_yMin);
        QCOMPARE(after.m_yMax, before.m_yMax);
        QVERIFY(!Frame().GetAction(Cmd::kUndoZoom)->isEnabled());
    }
};

QTEST_MAIN(ExportHelpTest)
#include "export_help_test.moc"
