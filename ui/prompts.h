#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace corvane::ui {

struct Message {
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Shows a modal message box titled "Corvane" and returns the button chosen.
QMessageBox::StandardButton showMessage(QWidget* parent, const Message& message);

// Lets tests answer message boxes instead of a person; an empty function
// restores the real boxes. Returns the one it replaces, for the caller to put back.
using MessageAnswerer = std::function<QMessageBox::StandardButton(const Message&)>;
MessageAnswerer setMessageAnswerer(MessageAnswerer answerer);

} // namespace corvane::ui
