#pragma once

#include <QDialog>

class CServerSocket;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

/// "Serwer": starts and stops the sharing server and lists its clients. The
/// server runs on after the dialog closes; the dialog follows its signals
/// while it is open.
///
/// Child object names, for tests: "serverName", "port", "maxConnections",
/// "state", "connections", "startStop", "refresh", "close".
class CServerDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CServerDlg(CServerSocket& server, QWidget* parent = nullptr);

private slots:
    void OnStartStop();
    void OnRefresh();

private:
    void ShowListening(bool listening);

    CServerSocket& m_server;
    QLineEdit* m_editServerName;
    QLineEdit* m_editPort;
    QLineEdit* m_editMaxConnections;
    QLineEdit* m_editState;
    QListWidget* m_list;
    QPushButton* m_btnStartStop;
};
