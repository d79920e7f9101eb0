#include "framework/messagebox.h"

#include "framework/qtstring.h"

QString AppTitle()
{
    return QStringLiteral("Osiowiec");
}

void ShowStopMessage(QWidget* parent, const std::string& text)
{
    QMessageBox box(QMessageBox::Critical, AppTitle(), FromCp1250(text), QMessageBox::Ok, parent);
    box.exec();
}

QMessageBox::StandardButton AskQuestion(QWidget* parent, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(QMessageBox::Question, AppTitle(), text, buttons, parent);
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
