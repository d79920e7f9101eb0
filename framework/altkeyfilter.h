#pragma once

#include <QObject>

/// Alt keys in dialogs, as users of the program know them:
/// - Alt with a letter that names nothing types nothing. Qt would type the
///   letter into the field that has the focus ("2e-300" became "2e-300z"
///   for an Alt+Z that named no button). AltGr, which types the Polish
///   letters, is not Alt here.
/// - A group's key ("Zakres &wartości X") goes to the group's first control.
///   Qt would go back to the control used last in the group, so that Alt+W
///   and Space typed a space into "Do" instead of ticking "Synchronizuj".
/// Installed on the application.
class AltKeyFilter : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
