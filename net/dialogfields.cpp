#include "net/dialogfields.h"

#include "framework/messagebox.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpressionValidator>

namespace {

void Complain(QLineEdit* edit, const QString& text, QWidget* parent)
{
    QMessageBox box(QMessageBox::Warning, AppTitle(), text, QMessageBox::Ok, parent);
    box.exec();
    edit->setFocus();
    edit->selectAll();
}

} // namespace

std::optional<unsigned> ReadUnsignedField(QLineEdit* edit, unsigned low, unsigned high,
                                          QWidget* parent)
{
    bool ok = false;
    const qulonglong value = edit->text().trimmed().toULongLong(&ok);
    // Above 32 bits the field does not hold a number at all.
    if (!ok || value > 0xFFFFFFFFull) {
        Complain(edit, QStringLiteral("Please enter a positive integer."), parent);
        return std::nullopt;
    }
    if (value < low || value > high) {
        Complain(edit, QStringLiteral("Please enter an integer between %1 and %2.").arg(low).arg(high),
                 parent);
        return std::nullopt;
    }
    return static_cast<unsigned>(value);
}

void AcceptDigitsOnly(QLineEdit* edit)
{
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
}

QLineEdit* ReadOnlyEdit(const char* name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setEnabled(false);
    return edit;
}
