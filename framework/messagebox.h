#pragma once

#include <QMessageBox>

#include <string>

class QWidget;

/// The program's name, the caption of its message boxes.
QString AppTitle();

/// A message box with the stop icon and the program's title as caption; the
/// text is the model's code page 1250.
void ShowStopMessage(QWidget* parent, const std::string& text);

/// A question with the program's title, or the caption given; returns the
/// button chosen. The buttons Yes, No and Cancel read "Tak", "Nie", "Anuluj".
QMessageBox::StandardButton AskQuestion(QWidget* parent, const QString& text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton,
                                        const QString& caption = QString());
