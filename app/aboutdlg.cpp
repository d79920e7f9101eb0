#include "app/aboutdlg.h"

#include "framework/versiontext.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint)
{
    // A framed box without a caption, centred on the program's window.
    setFont(QFont(QStringLiteral("Arial"), 12));
    auto* layout = new QVBoxLayout(this);
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* inner = new QVBoxLayout(frame);
    inner->setContentsMargins(24, 16, 24, 16);
    auto* name = new QLabel(QStringLiteral("OSIOWIEC"), frame);
    QFont big = name->font();
    big.setPointSize(20);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel(QStringLiteral("wersja 2.0"), frame);
    version->setAlignment(Qt::AlignCenter);
    auto* authorLabel = new QLabel(QStringLiteral("autor:"), frame);
    auto* author = new QLabel(QString::fromUtf8("Zespół programu Osiowiec"), frame);
    author->setAlignment(Qt::AlignCenter);
    // The terms under which the program may be copied, under the author.
    auto* copyright = new QLabel(CopyrightLine(), frame);
    copyright->setAlignment(Qt::AlignCenter);
    auto* licence = new QLabel(LicenceNotice(), frame);
    licence->setAlignment(Qt::AlignCenter);
    licence->setTextFormat(Qt::PlainText);
    licence->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont small = licence->font();
    small.setPointSize(9);
    copyright->setFont(small);
    licence->setFont(small);
    inner->addWidget(name);
    inner->addWidget(version);
    inner->addSpacing(12);
    inner->addWidget(authorLabel);
    inner->addWidget(author);
    inner->addSpacing(12);
    inner->addWidget(copyright);
    inner->addWidget(licence);
    layout->addWidget(frame);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
