#include "framework/propertypage.h"

CPropertyPage::CPropertyPage(const QString& caption, QWidget* parent)
    : QWidget(parent), m_caption(caption)
{
}

void CPropertyPage::SetModified(bool modified)
{
    if (m_bModified == modified)
        return;
    m_bModified = modified;
    emit modifiedChanged(modified);
}

void CPropertyPage::Create()
{
    if (m_bCreated)
        return;
    m_bCreated = true;
    OnInitDialog();
}
