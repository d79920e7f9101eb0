#include "dialogs/imagesizedlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

CImageSizeDlg::CImageSizeDlg(QSize windowSize, bool points, QWidget* parent)
    : QDialog(parent), m_windowSize(windowSize)
{
    setWindowTitle(QStringLiteral("Rozmiar obrazu"));
    auto* layout = new QVBoxLayout(this);
    m_pWindow = new QRadioButton(
        QString::fromUtf8("&Rozmiar okna: %1 × %2 pikseli").arg(windowSize.width()).arg(windowSize.height()),
        this);
    m_pTyped = new QRadioButton(QString::fromUtf8("&Inny rozmiar:"), this);
    m_pWindow->setChecked(true);
    layout->addWidget(m_pWindow);
    layout->addWidget(m_pTyped);

    auto* fields = new QFormLayout;
    fields->setContentsMargins(24, 0, 0, 0);
    auto field = [this](int value) {
        auto* spin = new QSpinBox(this);
        spin->setRange(1, kMaxSide);
        spin->setValue(std::clamp(value, 1, kMaxSide));
        spin->setSuffix(QStringLiteral(" px"));
        spin->setEnabled(false);
        return spin;
    };
    m_pWidth = field(windowSize.width());
    m_pHeight = field(windowSize.height());
    fields->addRow(QString::fromUtf8("&Szerokość:"), m_pWidth);
    fields->addRow(QString::fromUtf8("&Wysokość:"), m_pHeight);
    layout->addLayout(fields);
    connect(m_pTyped, &QRadioButton::toggled, this, [this](bool typed) {
        m_pWidth->setEnabled(typed);
        m_pHeight->setEnabled(typed);
        if (typed)
            m_pWidth->setFocus();
    });

    m_pPoints = new QCheckBox(QString::fromUtf8("Z &punktami charakterystycznymi"), this);
    m_pPoints->setChecked(points);
    layout->addWidget(m_pPoints);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QSize CImageSizeDlg::GetSize() const
{
    if (m_pTyped->isChecked())
        return QSize(m_pWidth->value(), m_pHeight->value());
    return m_windowSize;
}

bool CImageSizeDlg::GetPoints() const
{
    return m_pPoints->isChecked();
}
