#pragma once

#include <QDialog>

/// "O programie": the program's name, version and author, and the licence
/// it is distributed under.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
