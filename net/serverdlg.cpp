#include "net/serverdlg.h"

#include "framework/messagebox.h"
#include "framework/qtstring.h"
#include "net/dialogfields.h"
#include "net/netmessages.h"
#include "net/serversocket.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

CServerDlg::CServerDlg(CServerSocket& server, QWidget* parent) : QDialog(parent), m_server(server)
{
    setWindowTitle(FromCp1250(Cp1250::Text(u8"Serwer").c_str()));

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));
    auto* heading = new QLabel(FromCp1250(Cp1250::Text(u8"Rozruch i kontrola serwera").c_str()), this);

    m_editServerName = ReadOnlyEdit("serverName", this);
    m_editPort = new QLineEdit(this);
    m_editPort->setObjectName("port");
    AcceptDigitsOnly(m_editPort);
    m_editMaxConnections = new QLineEdit(this);
    m_editMaxConnections->setObjectName("maxConnections");
    m_editState = ReadOnlyEdit("state", this);
    m_list = new QListWidget(this);
    m_list->setObjectName("connections");
    m_list->setEnabled(false);
    m_list->setSortingEnabled(true);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    m_btnStartStop = new QPushButton(FromCp1250(NetMessage::kStart.c_str()), this);
    m_btnStartStop->setObjectName("startStop");
    m_btnStartStop->setDefault(true);
    auto* refresh = new QPushButton(FromCp1250(Cp1250::Text(u8"&Odśwież").c_str()), this);
    refresh->setObjectName("refresh");
    auto* close = new QPushButton(FromCp1250(Cp1250::Text(u8"Zamknij").c_str()), this);
    close->setObjectName("close");

    auto* portLabel = new QLabel(FromCp1250(Cp1250::Text(u8"&Numer portu").c_str()), this);
    portLabel->setBuddy(m_editPort);
    auto* maxLabel = new QLabel(FromCp1250(Cp1250::Text(u8"&Maksymalna liczba połączeń").c_str()), this);
    maxLabel->setBuddy(m_editMaxConnections);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(heading, 1);
    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(FromCp1250(Cp1250::Text(u8"Nazwa serwera").c_str()), this), 0, 0, 1, 2);
    fields->addWidget(m_editServerName, 1, 0, 1, 2);
    fields->addWidget(portLabel, 2, 0);
    fields->addWidget(maxLabel, 2, 1);
    fields->addWidget(m_editPort, 3, 0);
    fields->addWidget(m_editMaxConnections, 3, 1);
    fields->addWidget(new QLabel(FromCp1250(Cp1250::Text(u8"Stan serwera").c_str()), this), 4, 0, 1, 2);
    fields->addWidget(m_editState, 5, 0, 1, 2);
    fields->addWidget(new QLabel(FromCp1250(Cp1250::Text(u8"Lista połączonych użytkowników").c_str()), this),
                      6, 0, 1, 2);
    fields->addWidget(m_list, 7, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_btnStartStop);
    buttons->addWidget(refresh);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(m_btnStartStop, &QPushButton::clicked, this, &CServerDlg::OnStartStop);
    connect(refresh, &QPushButton::clicked, this, &CServerDlg::OnRefresh);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_server, &CServerSocket::connectionClosed, this, &CServerDlg::OnRefresh);
    connect(&m_server, &CServerSocket::serverClosed, this, &CServerDlg::OnRefresh);
    connect(&m_server, &CServerSocket::clientNamed, this, &CServerDlg::OnRefresh);

    // The port offered is the default every time; a refresh shows the one in
    // use.
    m_editServerName->setText(FromCp1250(CServerSocket::GetLocalComputerName()));
    m_editPort->setText(QString::number(CServerSocket::kDefaultPort));
    m_editState->setText(FromCp1250(m_server.GetStatusText()));
    m_editMaxConnections->setText(QString::number(m_server.GetMaxConnections()));
    ShowListening(m_server.IsListening());
}

void CServerDlg::ShowListening(bool listening)
{
    m_btnStartStop->setText(FromCp1250(listening ? NetMessage::kStop.c_str() : NetMessage::kStart.c_str()));
    m_editPort->setEnabled(!listening);
    m_editMaxConnections->setEnabled(!listening);
    m_list->clear();
    if (listening) {
        for (int i = 0; i < m_server.GetConnectionCount(); ++i)
            m_list->addItem(FromCp1250(m_server.GetConnectionText(i)));
    }
}

void CServerDlg::OnStartStop()
{
    if (m_server.IsListening()) {
        m_server.Close();
        ShowListening(false);
    } else {
        // A field that fails its check starts nothing.
        const std::optional<unsigned> port = ReadUnsignedField(m_editPort, 0, kMaxPort, this);
        if (!port)
            return;
        const std::optional<unsigned> maximum =
            ReadUnsignedField(m_editMaxConnections, 1, CServerSocket::kMaxConnectionsLimit, this);
        if (!maximum)
            return;
        m_server.SetMaxConnections(*maximum);
        m_server.Close();
        // Shown while the socket is set up (the close above refreshed the
        // dialog).
        m_editState->setText(FromCp1250(NetMessage::kServerStarting.c_str()));
        if (m_server.Listen(static_cast<quint16>(*port))) {
            m_editPort->setText(QString::number(m_server.GetPort()));
            ShowListening(true);
        } else {
            m_editState->setText(FromCp1250(m_server.GetStatusText()));
            ShowStopMessage(this, NetMessage::kServerFailed.c_str());
        }
    }
    m_editState->setText(FromCp1250(m_server.GetStatusText()));
}

void CServerDlg::OnRefresh()
{
    m_editState->setText(FromCp1250(m_server.GetStatusText()));
    if (m_server.IsListening())
        m_editPort->setText(QString::number(m_server.GetPort()));
    ShowListening(m_server.IsListening());
}
