#include "app/helpwindow.h"

#include "app/helptext.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

CHelpWindow::CHelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Osiowiec - Pomoc"));
    resize(760, 640);
    auto* layout = new QVBoxLayout(this);

    auto* searchRow = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("&Szukaj:"), this);
    m_pSearch = new QLineEdit(this);
    m_pSearch->setClearButtonEnabled(true);
    label->setBuddy(m_pSearch);
    m_pNotFound = new QLabel(this);
    searchRow->addWidget(label);
    searchRow->addWidget(m_pSearch, 1);
    searchRow->addWidget(m_pNotFound);
    layout->addLayout(searchRow);

    m_pBrowser = new QTextBrowser(this);
    m_pBrowser->setOpenLinks(true);
    m_pBrowser->setOpenExternalLinks(false);
    m_pBrowser->setHtml(HelpHtml());
    layout->addWidget(m_pBrowser, 1);

    connect(m_pSearch, &QLineEdit::returnPressed, this, &CHelpWindow::FindNext);
    // Typing searches from the top, so the first place shows as the text grows.
    connect(m_pSearch, &QLineEdit::textEdited, this, [this] {
        QTextCursor top = m_pBrowser->textCursor();
        top.movePosition(QTextCursor::Start);
        m_pBrowser->setTextCursor(top);
        FindNext();
    });
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        m_pSearch->setFocus();
        m_pSearch->selectAll();
    });
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

bool CHelpWindow::FindNext()
{
    const QString text = m_pSearch->text();
    m_pNotFound->clear();
    if (text.isEmpty())
        return false;
    if (m_pBrowser->find(text))
        return true;
    QTextCursor top = m_pBrowser->textCursor();
    top.movePosition(QTextCursor::Start);
    m_pBrowser->setTextCursor(top);
    if (m_pBrowser->find(text))
        return true;
    m_pNotFound->setText(QStringLiteral("Nie znaleziono"));
    return false;
}
