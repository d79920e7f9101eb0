#pragma once

#include <QDialog>

class CClientSocket;
class QLineEdit;
class QPushButton;

/// "Połączenie z serwerem": connects the client to a server and ends the
/// connection. The connection stays after the dialog closes; the dialog
/// follows the client's signals while it is open.
///
/// Child object names, for tests: "clientName", "port", "serverAddress",
/// "state", "connectDisconnect", "refresh", "close".
class CClientDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CClientDlg(CClientSocket& client, QWidget* parent = nullptr);

private slots:
    void OnConnectDisconnect();
    void OnRefresh();
    void OnConnectFailed();

private:
    void ShowConnected(bool connected);

    CClientSocket& m_client;
    QLineEdit* m_editClientName;
    QLineEdit* m_editPort;
    QLineEdit* m_editServerAddress;
    QLineEdit* m_editState;
    QPushButton* m_btnConnect;
};
