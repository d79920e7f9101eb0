#pragma once

#include <QObject>

/// Keeps Alt+letter out of text fields. Alt with a letter is a dialog's or a
/// menu's key; when nothing answers to it, Qt would type the letter into the
/// field that has the focus ("2e-300" became "2e-300z" for an Alt+Z that
/// named no button). AltGr, which types the Polish letters, is not Alt here.
/// Installed on the application.
class AltKeyFilter : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
