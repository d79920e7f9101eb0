#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <functional>

// Acts on the next modal dialog that opens, from inside its own event loop:
// dialogs run with exec() cannot be reached otherwise. A dialog that may not
// open at all leaves the watcher pending; delete it when the call is over.
inline QPointer<QTimer> AnswerNextModal(std::function<void(QDialog*)> act)
{
    QPointer<QWidget> before = QApplication::activeModalWidget();
    auto* timer = new QTimer(qApp);
    QElapsedTimer clock;
    clock.start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, before, act] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<QDialog*>(modal);
        const bool found = dialog && modal != before.data() && dialog->isVisible();
        if (!found && clock.elapsed() < 5000)
            return;
        timer->stop();
        timer->deleteLater();
        if (found)
            act(dialog);
    });
    timer->start(10);
    return timer;
}

/// Answers the next message box with a button and keeps its text.
inline QPointer<QTimer> AnswerMessageBox(QMessageBox::StandardButton button,
                                         QString* text = nullptr)
{
    return AnswerNextModal([button, text](QDialog* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        if (!box)
            return;
        if (text)
            *text = box->text();
        box->button(button)->click();
    });
}
