#include "net/clientdlg.h"

#include "framework/messagebox.h"
#include "framework/qtstring.h"
#include "net/clientsocket.h"
#include "net/dialogfields.h"
#include "net/netmessages.h"
#include "net/serversocket.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

CClientDlg::CClientDlg(CClientSocket& client, QWidget* parent) : QDialog(parent), m_client(client)
{
    setWindowTitle(FromCp1250(Cp1250::Text(u8"Połączenie z serwerem").c_str()));

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));
    auto* heading =
        new QLabel(FromCp1250(Cp1250::Text(u8"Tworzenie i kontrola połączenia z serwerem").c_str()), this);

    m_editClientName = ReadOnlyEdit("clientName", this);
    m_editPort = new QLineEdit(this);
    m_editPort->setObjectName("port");
    AcceptDigitsOnly(m_editPort);
    m_editServerAddress = new QLineEdit(this);
    m_editServerAddress->setObjectName("serverAddress");
    m_editState = ReadOnlyEdit("state", this);

    m_btnConnect = new QPushButton(FromCp1250(NetMessage::kConnect.c_str()), this);
    m_btnConnect->setObjectName("connectDisconnect");
    m_btnConnect->setDefault(true);
    auto* refresh = new QPushButton(FromCp1250(Cp1250::Text(u8"&Odśwież").c_str()), this);
    refresh->setObjectName("refresh");
    auto* close = new QPushButton(FromCp1250(Cp1250::Text(u8"Zamknij").c_str()), this);
    close->setObjectName("close");

    auto* portLabel = new QLabel(FromCp1250(Cp1250::Text(u8"&Numer portu").c_str()), this);
    portLabel->setBuddy(m_editPort);
    auto* addressLabel = new QLabel(FromCp1250(Cp1250::Text(u8"&Adres serwera").c_str()), this);
    addressLabel->setBuddy(m_editServerAddress);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(heading, 1);
    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(FromCp1250(Cp1250::Text(u8"Nazwa klienta").c_str()), this), 0, 0, 1, 2);
    fields->addWidget(m_editClientName, 1, 0, 1, 2);
    fields->addWidget(portLabel, 2, 0);
    fields->addWidget(addressLabel, 2, 1);
    fields->addWidget(m_editPort, 3, 0);
    fields->addWidget(m_editServerAddress, 3, 1);
    fields->setColumnStretch(1, 2);
    fields->addWidget(new QLabel(FromCp1250(Cp1250::Text(u8"Stan połączenia").c_str()), this), 4, 0, 1, 2);
    fields->addWidget(m_editState, 5, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_btnConnect);
    buttons->addWidget(refresh);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(m_btnConnect, &QPushButton::clicked, this, &CClientDlg::OnConnectDisconnect);
    connect(refresh, &QPushButton::clicked, this, &CClientDlg::OnRefresh);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_client, &CClientSocket::clientClosed, this, &CClientDlg::OnRefresh);
    connect(&m_client, &CClientSocket::connected, this, &CClientDlg::OnRefresh);
    connect(&m_client, &CClientSocket::connectFailed, this, &CClientDlg::OnConnectFailed);

    // The port offered is the default every time; a refresh shows the one in
    // use.
    m_editClientName->setText(FromCp1250(m_client.GetClientName()));
    m_editPort->setText(QString::number(CServerSocket::kDefaultPort));
    m_editState->setText(FromCp1250(m_client.GetStatusText()));
    m_editServerAddress->setText(FromCp1250(m_client.GetServerAddress()));
    ShowConnected(m_client.GetState() != CClientSocket::kNotConnected || m_client.IsConnecting());
}

void CClientDlg::ShowConnected(bool connected)
{
    m_btnConnect->setText(FromCp1250(connected ? NetMessage::kDisconnect.c_str() : NetMessage::kConnect.c_str()));
    m_editPort->setEnabled(!connected);
    m_editServerAddress->setEnabled(!connected);
}

void CClientDlg::OnConnectDisconnect()
{
    if (m_client.GetState() != CClientSocket::kNotConnected || m_client.IsConnecting()) {
        m_client.Close();
        ShowConnected(false);
    } else {
        // A field that fails its check connects nothing.
        const std::optional<unsigned> port = ReadUnsignedField(m_editPort, 0, kMaxPort, this);
        if (!port)
            return;
        const std::string address = ToCp1250(m_editServerAddress->text().trimmed());
        if (address.empty()) {
            ShowStopMessage(this, NetMessage::kNoAddress.c_str());
            return;
        }
        m_client.ConnectToServer(address, static_cast<quint16>(*port));
        // Connecting goes on in the background; connected() or
        // connectFailed() refresh the dialog. An address that cannot be
        // reached at all has failed (and said so) already.
        ShowConnected(m_client.GetState() != CClientSocket::kNotConnected || m_client.IsConnecting());
    }
    m_editState->setText(FromCp1250(m_client.GetStatusText()));
}

void CClientDlg::OnRefresh()
{
    m_editState->setText(FromCp1250(m_client.GetStatusText()));
    if (m_client.GetState() != CClientSocket::kNotConnected)
        m_editPort->setText(QString::number(m_client.GetPeerPort()));
    ShowConnected(m_client.GetState() != CClientSocket::kNotConnected || m_client.IsConnecting());
}

void CClientDlg::OnConnectFailed()
{
    OnRefresh();
    ShowStopMessage(this, NetMessage::kConnectFailed.c_str());
}
