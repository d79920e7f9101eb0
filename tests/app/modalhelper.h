#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers the next modal window (a message box, a file dialog) that opens
// while the test waits in a modal loop of the program: polls until a modal
// widget is there, then hands it to `answer` once.
inline void WhenModal(std::function<void(QWidget*)> answer, int timeoutMs = 5000)
{
    auto* timer = new QTimer(qApp);
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, answer, timeoutMs] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr && clock->elapsed() < timeoutMs)
            return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (modal != nullptr)
            answer(modal);
    });
    timer->start(10);
}
