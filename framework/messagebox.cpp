#include "framework/messagebox.h"

#include "framework/qtstring.h"

#include <QAbstractButton>

#include <utility>

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
                                        QMessageBox::StandardButton defaultButton,
                                        const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption.isEmpty() ? AppTitle() : caption, text,
                    buttons, parent);
    box.setDefaultButton(defaultButton);
    // The program speaks Polish whatever translations the machine has.
    const std::pair<QMessageBox::StandardButton, const char*> names[] = {
        {QMessageBox::Yes, "&Tak"}, {QMessageBox::No, "&Nie"}, {QMessageBox::Cancel, "Anuluj"}};
    for (const auto& [button, name] : names) {
        if (QAbstractButton* b = box.button(button))
            b->setText(QString::fromUtf8(name));
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
