// The dialogs "Serwer" and "Połączenie z serwerem", worked through their
// widgets while real sockets connect on loopback.
#include "tests/net/fakehost.h"

#include "framework/qtstring.h"
#include "net/clientdlg.h"
#include "net/serverdlg.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

constexpr int kWait = 10000; // ms

QString Polish(const char8_t* utf8)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(utf8));
}

/// Answers every message box that opens while it lives and keeps their texts.
class MessageBoxes : public QObject
{
public:
    MessageBoxes()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_texts << box->text();
                box->accept();
            }
        });
        m_timer.start(10);
    }
    QStringList m_texts;

private:
    QTimer m_timer;
};

template <typename T>
T* Child(QWidget& dialog, const char* name)
{
    T* child = dialog.findChild<T*>(name);
    if (!child)
        qFatal("no child %s", name);
    return child;
}

QStringList Entries(QListWidget* list)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->item(i)->text();
    return entries;
}

void Type(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

} // namespace

class DialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void serverDialogStartsListsAndStops();
    void serverDialogRefusesBadFields_data();
    void serverDialogRefusesBadFields();
    void serverDialogReportsAPortInUse();
    void clientDialogConnectsAndFollowsTheServer();
    void clientDialogReportsFailures();
};

void DialogsTest::serverDialogStartsListsAndStops()
{
    FakeHost host;
    host.OpenChart();
    CServerDlg dialog(host.m_server);
    dialog.show();
    auto* port = Child<QLineEdit>(dialog, "port");
    auto* maximum = Child<QLineEdit>(dialog, "maxConnections");
    auto* state = Child<QLineEdit>(dialog, "state");
    auto* list = Child<QListWidget>(dialog, "connections");
    auto* startStop = Child<QPushButton>(dialog, "startStop");
    QCOMPARE(dialog.windowTitle(), QString("Serwer"));
    QCOMPARE(Child<QLineEdit>(dialog, "serverName")->text(), FromCp1250(CServerSocket::GetLocalComputerName()));
    QVERIFY(!Child<QLineEdit>(dialog, "serverName")->isEnabled());
    QCOMPARE(port->text(), QString("2001"));
    QCOMPARE(maximum->text(), QString("5"));
    QCOMPARE(state->text(), Polish(u8"Serwer jest wyłączony"));
    QCOMPARE(startStop->text(), QString("&Uruchom"));
    QVERIFY(startStop->isDefault());
    QVERIFY(!list->isEnabled());

    // While the socket is set up the state says so.
    QString whileStarting;
    connect(&host.m_server, &CServerSocket::stateChanged, this, [&] { whileStarting = state->text(); });
    Type(port, "0");
    QTest::mouseClick(startStop, Qt::LeftButton);
    QCOMPARE(whileStarting, Polish(u8"Rozruch serwera..."));
    QVERIFY(host.m_server.IsListening());
    QCOMPARE(port->text(), QString::number(host.m_server.GetPort()));
    QVERIFY(port->text() != "0");
    QCOMPARE(state->text(), Polish(u8"Serwer jest aktywny i czeka na połączenia..."));
    QCOMPARE(startStop->text(), QString("&Zatrzymaj"));
    QVERIFY(!port->isEnabled());
    QVERIFY(!maximum->isEnabled());

    // A client that has introduced itself is listed with its address; one
    // that has not, with an empty name at the next refresh.
    FakeHost guest;
    guest.OpenChart();
    guest.m_client.SetClientName(ToCp1250(Polish(u8"gość")));
    guest.m_client.ConnectToServer("127.0.0.1", host.m_server.GetPort());
    QTRY_COMPARE_WITH_TIMEOUT(Entries(list), QStringList{Polish(u8"gość (127.0.0.1)")}, kWait);
    QTcpSocket silent;
    silent.connectToHost("127.0.0.1", host.m_server.GetPort());
    QVERIFY(silent.waitForConnected(kWait));
    QTRY_COMPARE_WITH_TIMEOUT(host.m_server.GetConnectionCount(), 2, kWait);
    QTest::mouseClick(Child<QPushButton>(dialog, "refresh"), Qt::LeftButton);
    QCOMPARE(Entries(list), (QStringList{" (127.0.0.1)", Polish(u8"gość (127.0.0.1)")}));

    // The other side closes: the list follows.
    guest.m_client.Close();
    QTRY_COMPARE_WITH_TIMEOUT(Entries(list), QStringList{" (127.0.0.1)"}, kWait);

    QTest::mouseClick(startStop, Qt::LeftButton);
    QVERIFY(!host.m_server.IsListening());
    QVERIFY(Entries(list).isEmpty());
    QCOMPARE(state->text(), Polish(u8"Serwer jest wyłączony"));
    QCOMPARE(startStop->text(), QString("&Uruchom"));
    QVERIFY(port->isEnabled());
    QVERIFY(maximum->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(silent.state(), QAbstractSocket::UnconnectedState, kWait);

    // Opened again: the default port, the last maximum.
    CServerDlg again(host.m_server);
    QCOMPARE(Child<QLineEdit>(again, "port")->text(), QString("2001"));
    QCOMPARE(Child<QLineEdit>(again, "maxConnections")->text(), QString("5"));
}

void DialogsTest::serverDialogRefusesBadFields_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("maximum");
    QTest::addColumn<QString>("message");
    QTest::newRow("maximum above 50") << "0" << "51" << "Please enter an integer between 1 and 50.";
    QTest::newRow("maximum 0") << "0" << "0" << "Please enter an integer between 1 and 50.";
    QTest::newRow("maximum not a number") << "0" << "five" << "Please enter a positive integer.";
    QTest::newRow("no port") << "" << "5" << "Please enter a positive integer.";
    QTest::newRow("port above 65535") << "70000" << "5" << "Please enter an integer between 0 and 65535.";
}

void DialogsTest::serverDialogRefusesBadFields()
{
    QFETCH(QString, port);
    QFETCH(QString, maximum);
    QFETCH(QString, message);
    FakeHost host;
    CServerDlg dialog(host.m_server);
    dialog.show();
    Type(Child<QLineEdit>(dialog, "port"), port);
    Type(Child<QLineEdit>(dialog, "maxConnections"), maximum);
    MessageBoxes boxes;
    QTest::mouseClick(Child<QPushButton>(dialog, "startStop"), Qt::LeftButton);
    QCOMPARE(boxes.m_texts, QStringList{message});
    // Nothing started.
    QVERIFY(!host.m_server.IsListening());
    QCOMPARE(Child<QLineEdit>(dialog, "state")->text(), Polish(u8"Serwer jest wyłączony"));
    QCOMPARE(Child<QPushButton>(dialog, "startStop")->text(), QString("&Uruchom"));
}

void DialogsTest::serverDialogReportsAPortInUse()
{
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::Any, 0));
    FakeHost host;
    CServerDlg dialog(host.m_server);
    dialog.show();
    Type(Child<QLineEdit>(dialog, "port"), QString::number(taken.serverPort()));
    MessageBoxes boxes;
    QTest::mouseClick(Child<QPushButton>(dialog, "startStop"), Qt::LeftButton);
    QCOMPARE(boxes.m_texts, QStringList{Polish(u8"Nie udało się uruchomić serwera")});
    QVERIFY(!host.m_server.IsListening());
    QCOMPARE(Child<QLineEdit>(dialog, "state")->text(), Polish(u8"Serwer jest wyłączony"));
    QVERIFY(Child<QLineEdit>(dialog, "port")->isEnabled());
}

void DialogsTest::clientDialogConnectsAndFollowsTheServer()
{
    FakeHost server;
    server.OpenChart();
    QVERIFY(server.m_server.Listen(0));
    FakeHost follower;
    follower.OpenChart();
    {
        CClientDlg dialog(follower.m_client);
        dialog.show();
        auto* port = Child<QLineEdit>(dialog, "port");
        auto* address = Child<QLineEdit>(dialog, "serverAddress");
        auto* state = Child<QLineEdit>(dialog, "state");
        auto* button = Child<QPushButton>(dialog, "connectDisconnect");
        QCOMPARE(dialog.windowTitle(), Polish(u8"Połączenie z serwerem"));
        QCOMPARE(Child<QLineEdit>(dialog, "clientName")->text(),
                 FromCp1250(CServerSocket::GetLocalComputerName()));
        QCOMPARE(port->text(), QString("2001"));
        QCOMPARE(address->text(), QString());
        QCOMPARE(state->text(), Polish(u8"Brak połączenia z serwerem"));
        QCOMPARE(button->text(), Polish(u8"&Połącz"));

        Type(port, QString::number(server.m_server.GetPort()));
        Type(address, "127.0.0.1");
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(state->text(), Polish(u8"Łączenie z serwerem..."));
        QCOMPARE(button->text(), Polish(u8"&Rozłącz"));
        QVERIFY(!port->isEnabled());
        QVERIFY(!address->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(state->text(), Polish(u8"Połączony z serwerem"), kWait);
        QCOMPARE(port->text(), QString::number(server.m_server.GetPort()));
        QCOMPARE(button->text(), Polish(u8"&Rozłącz"));

        // The server goes away.
        server.m_server.Close();
        QTRY_COMPARE_WITH_TIMEOUT(state->text(), Polish(u8"Brak połączenia z serwerem"), kWait);
        QCOMPARE(button->text(), Polish(u8"&Połącz"));
        QVERIFY(port->isEnabled());
        QVERIFY(address->isEnabled());

        // Connected again, then disconnected from this side.
        QVERIFY(server.m_server.Listen(0));
        Type(port, QString::number(server.m_server.GetPort()));
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(state->text(), Polish(u8"Połączony z serwerem"), kWait);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(state->text(), Polish(u8"Brak połączenia z serwerem"));
        QCOMPARE(button->text(), Polish(u8"&Połącz"));
        QTRY_COMPARE_WITH_TIMEOUT(server.m_server.GetConnectionCount(), 0, kWait);
    }
    // Opened again: the last address that worked, the default port.
    CClientDlg again(follower.m_client);
    QCOMPARE(Child<QLineEdit>(again, "serverAddress")->text(), QString("127.0.0.1"));
    QCOMPARE(Child<QLineEdit>(again, "port")->text(), QString("2001"));
}

void DialogsTest::clientDialogReportsFailures()
{
    quint16 closedPort;
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        closedPort = closed.serverPort();
    }
    FakeHost follower;
    follower.OpenChart();
    CClientDlg dialog(follower.m_client);
    dialog.show();
    auto* state = Child<QLineEdit>(dialog, "state");
    auto* button = Child<QPushButton>(dialog, "connectDisconnect");
    MessageBoxes boxes;
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(boxes.m_texts, QStringList{Polish(u8"Brak adresu serwera")});
    QCOMPARE(follower.m_client.IsConnecting(), false);

    Type(Child<QLineEdit>(dialog, "serverAddress"), "127.0.0.1");
    Type(Child<QLineEdit>(dialog, "port"), QString::number(closedPort));
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.m_texts.size(), 2, kWait);
    QCOMPARE(boxes.m_texts[1], Polish(u8"Nie udało się nawiązać połączenia"));
    QCOMPARE(state->text(), Polish(u8"Brak połączenia z serwerem"));
    QCOMPARE(button->text(), Polish(u8"&Połącz"));

    // An address the system refuses at once fails inside the click; the
    // dialog must not be left reading "Rozłącz" with its fields locked.
    Type(Child<QLineEdit>(dialog, "serverAddress"), "255.255.255.255");
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.m_texts.size(), 3, kWait);
    QCOMPARE(boxes.m_texts[2], Polish(u8"Nie udało się nawiązać połączenia"));
    QCOMPARE(button->text(), Polish(u8"&Połącz"));
    QVERIFY(Child<QLineEdit>(dialog, "serverAddress")->isEnabled());
    QVERIFY(Child<QLineEdit>(dialog, "port")->isEnabled());
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
