// Two program windows in one process share a chart over loopback: one serves
// through its "Serwer" dialog, the other follows through "Połączenie z
// serwerem", as two users would set them up.
#include "app/childframe.h"
#include "app/mainframe.h"
#include "chart/chartfile.h"
#include "document/zeltra20doc.h"
#include "framework/docmanager.h"
#include "tests/app/modalhelper.h"
#include "tests/app/testprofile.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

constexpr int kWait = 10000; // ms

// The text of status-bar pane 3 (server) or 4 (client).
QString PaneText(CMainFrame& frame, int pane)
{
    const QList<QLabel*> panes = frame.statusBar()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    return panes.value(pane - 1) ? panes[pane - 1]->text() : QString();
}

void Type(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Opens a dialog by its command, fills its fields, clicks the named button
// and closes the dialog, as a user does.
void WorkDialog(CMainFrame& frame, int command, const std::vector<std::pair<const char*, QString>>& fields,
                const char* button)
{
    bool seen = false;
    WhenModal([&](QWidget* modal) {
        seen = true;
        for (const auto& [name, text] : fields)
            Type(modal->findChild<QLineEdit*>(name), text);
        QTest::mouseClick(modal->findChild<QPushButton*>(button), Qt::LeftButton);
        static_cast<QDialog*>(modal)->reject();
    });
    frame.GetAction(command)->trigger();
    QVERIFY(seen);
}

QString FirstFormula(CMainFrame& frame)
{
    const auto& functions = frame.GetActiveDocument()->GetChart().GetFunctions();
    return functions.empty() ? QString() : QString::fromLatin1(functions.front().m_strFormula.c_str());
}

} // namespace

class SharingWindowTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<CMainFrame> m_server;
    std::unique_ptr<CMainFrame> m_client;

    static void AddFunction(CMainFrame& frame, const char* formula)
    {
        CZeltra20Doc& document = *frame.GetActiveDocument();
        FunctionContainer& chart = document.GetChart();
        chart.BeginEdit();
        chart.SetCurrent(-1);
        chart.SetFunction(formula, 0, true, 0);
        chart.CommitEdit();
        document.BroadcastChange();
    }

    // The serving window with a chart of sin(x), listening on a free port,
    // and the following window with a chart of its own, connected to it.
    void Connect()
    {
        m_server->GetDocManager().OnFileNew();
        AddFunction(*m_server, "sin(x)");
        WorkDialog(*m_server, Cmd::kServer, {{"port", QStringLiteral("0")}}, "startStop");
        QCOMPARE(PaneText(*m_server, 3), QStringLiteral("SERWER"));
        const quint16 port = m_server->GetServer().GetPort();
        QVERIFY(port != 0);

        m_client->GetDocManager().OnFileNew();
        WorkDialog(*m_client, Cmd::kClient,
                   {{"serverAddress", QStringLiteral("127.0.0.1")}, {"port", QString::number(port)}},
                   "connectDisconnect");
        QTRY_COMPARE_WITH_TIMEOUT(PaneText(*m_client, 4), QStringLiteral("KLIENT  "), kWait);
        QTRY_COMPARE_WITH_TIMEOUT(FirstFormula(*m_client), QStringLiteral("sin(x)"), kWait);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        UseTestProfile(m_dir.filePath("config"));
    }

    void init()
    {
        m_server = std::make_unique<CMainFrame>();
        m_client = std::make_unique<CMainFrame>();
        m_server->show();
        m_client->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_client.get()));
    }

    void cleanup()
    {
        for (CMainFrame* frame : {m_server.get(), m_client.get()}) {
            for (const auto& document : frame->GetDocManager().GetDocuments())
                document->SetModifiedFlag(false);
        }
        m_client.reset();
        m_server.reset();
    }

    void clientFollowsEveryChange()
    {
        Connect();
        QCOMPARE(m_client->GetFrames().size(), std::size_t{1});
        QCOMPARE(m_client->GetActiveFrame()->parentWidget()->windowTitle(), QStringLiteral("Wykres1"));
        // A received chart is not an unsaved change of the follower's.
        QVERIFY(!m_client->GetActiveDocument()->IsModified());

        m_server->GetAction(Cmd::kZoomIn)->trigger();
        const double serverRange = m_server->GetActiveDocument()->GetChart().GetSettings().m_xMax;
        QTRY_COMPARE_WITH_TIMEOUT(m_client->GetActiveDocument()->GetChart().GetSettings().m_xMax, serverRange,
                                  kWait);
        // The follower can undo the zoom it received, as the server can.
        QVERIFY(m_client->GetAction(Cmd::kUndoZoom)->isEnabled());

        // Hiding the table is a change of the window, not of the chart: it
        // is sent too.
        m_server->GetAction(Cmd::kToggleTable)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!m_client->GetActiveDocument()->GetChart().IsTableVisible(), kWait);

        // The server stops: the follower keeps the last chart, its pane empties.
        WorkDialog(*m_server, Cmd::kServer, {}, "startStop");
        QCOMPARE(PaneText(*m_server, 3), QString());
        QTRY_COMPARE_WITH_TIMEOUT(PaneText(*m_client, 4), QString(), kWait);
        QCOMPARE(FirstFormula(*m_client), QStringLiteral("sin(x)"));
    }

    void unsavedWorkOpensANewWindow()
    {
        Connect();
        // The follower zooms on its own: that is an unsaved change.
        m_client->GetAction(Cmd::kZoomIn)->trigger();
        QVERIFY(m_client->GetActiveDocument()->IsModified());
        const double ownRange = m_client->GetActiveDocument()->GetChart().GetSettings().m_xMax;

        AddFunction(*m_server, "cos(x)");
        QTRY_COMPARE_WITH_TIMEOUT(m_client->GetFrames().size(), std::size_t{2}, kWait);
        QCOMPARE(m_client->GetActiveFrame()->parentWidget()->windowTitle(), QStringLiteral("Wykres2"));
        QCOMPARE(m_client->GetActiveDocument()->GetChart().GetFunctions().size(), std::size_t{2});
        // The first window keeps the user's zoom and its unsaved mark.
        CZeltra20Doc& own = m_client->GetFrames().front()->GetDocument();
        QCOMPARE(own.GetChart().GetSettings().m_xMax, ownRange);
        QVERIFY(own.IsModified());

        // The next chart goes into the new window, which holds no changes.
        m_server->GetAction(Cmd::kZoomOut)->trigger();
        const double serverRange = m_server->GetActiveDocument()->GetChart().GetSettings().m_xMax;
        QTRY_COMPARE_WITH_TIMEOUT(m_client->GetActiveDocument()->GetChart().GetSettings().m_xMax, serverRange,
                                  kWait);
        QCOMPARE(m_client->GetFrames().size(), std::size_t{2});
    }

    // Regression: bringing another chart to the front on the server sent
    // nothing; the class went on seeing the chart before.
    void theChartBroughtToTheFrontGoesOut()
    {
        Connect();
        CZeltra20Doc& first = *m_server->GetActiveDocument();
        m_server->GetDocManager().OnFileNew();
        AddFunction(*m_server, "cos(x)");
        QTRY_COMPARE_WITH_TIMEOUT(FirstFormula(*m_client), QStringLiteral("cos(x)"), kWait);
        m_server->ActivateChart(first);
        QTRY_COMPARE_WITH_TIMEOUT(FirstFormula(*m_client), QStringLiteral("sin(x)"), kWait);
        QCOMPARE(m_client->GetFrames().size(), std::size_t{1});
    }

    // Regression: a chart the follower had opened from a file was replaced
    // by the received one under the file's name, and Ctrl+S then wrote the
    // server's chart into the follower's file.
    void aChartWithAFileOpensTheReceivedOneInANewWindow()
    {
        Connect();
        FunctionContainer own;
        own.BeginEdit();
        own.SetCurrent(-1);
        own.SetFunction("tan(x)", 0, true, 0);
        own.CommitEdit();
        const QString path = m_dir.filePath(QStringLiteral("zadanie.osw"));
        SaveChartFile(own, path.toStdString());
        QVERIFY(m_client->GetDocManager().OpenDocumentFile(path) != nullptr);
        QCOMPARE(FirstFormula(*m_client), QStringLiteral("tan(x)"));

        AddFunction(*m_server, "cos(x)");
        QTRY_COMPARE_WITH_TIMEOUT(m_client->GetFrames().size(), std::size_t{3}, kWait);
        QCOMPARE(m_client->GetActiveFrame()->parentWidget()->windowTitle(), QStringLiteral("Wykres2"));
        QCOMPARE(m_client->GetActiveDocument()->GetChart().GetFunctions().size(), std::size_t{2});
        CZeltra20Doc* file = nullptr;
        for (CChildFrame* frame : m_client->GetFrames()) {
            if (frame->GetDocument().GetPathName() == path)
                file = &frame->GetDocument();
        }
        QVERIFY(file != nullptr);
        QCOMPARE(file->GetChart().GetFunctions().size(), std::size_t{1});
        QCOMPARE(QString::fromLatin1(file->GetChart().GetFunctions().front().m_strFormula.c_str()),
                 QStringLiteral("tan(x)"));
    }

    void chartsWaitWhileTheUserIsAsked()
    {
        Connect();
        // Two unsaved charts in the follower.
        m_client->GetAction(Cmd::kZoomIn)->trigger();
        m_client->GetDocManager().OnFileNew();
        m_client->GetAction(Cmd::kZoomIn)->trigger();
        QCOMPARE(m_client->GetFrames().size(), std::size_t{2});

        // A chart is sent while the first save question is open: it neither
        // opens a window nor keeps the second chart from being asked about.
        QStringList asked;
        std::size_t framesDuringQuestion = 0;
        WhenModal([&](QWidget* first) {
            AddFunction(*m_server, "cos(x)");
            QTest::qWait(300);
            framesDuringQuestion = m_client->GetFrames().size();
            WhenModal([&](QWidget* second) {
                asked << static_cast<QMessageBox*>(second)->text();
                QTest::mouseClick(static_cast<QMessageBox*>(second)->button(QMessageBox::Cancel),
                                  Qt::LeftButton);
            });
            asked << static_cast<QMessageBox*>(first)->text();
            QTest::mouseClick(static_cast<QMessageBox*>(first)->button(QMessageBox::No), Qt::LeftButton);
        });
        m_client->GetAction(Cmd::kCloseAll)->trigger();
        QCOMPARE(framesDuringQuestion, std::size_t{2});
        QCOMPARE(asked.size(), 2);
        QCOMPARE(m_client->GetFrames().size(), std::size_t{2});

        // Once the questions are over the chart comes, into a window of its
        // own: both charts keep their changes.
        QTRY_COMPARE_WITH_TIMEOUT(m_client->GetFrames().size(), std::size_t{3}, kWait);
        QCOMPARE(m_client->GetActiveDocument()->GetChart().GetFunctions().size(), std::size_t{2});
        QVERIFY(m_client->GetFrames()[0]->GetDocument().IsModified());
        QVERIFY(m_client->GetFrames()[1]->GetDocument().IsModified());
    }

    void closingTheFollowersChartEndsTheConnection()
    {
        Connect();
        QCOMPARE(m_server->GetServer().GetConnectionCount(), 1);
        m_client->GetActiveFrame()->parentWidget()->close();
        QCOMPARE(PaneText(*m_client, 4), QString());
        QVERIFY(!m_client->GetAction(Cmd::kClient)->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(m_server->GetServer().GetConnectionCount(), 0, kWait);
    }
};

QTEST_MAIN(SharingWindowTest)
#include "sharing_window_test.moc"
