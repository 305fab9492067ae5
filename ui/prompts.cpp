#include "prompts.h"

#include "app_setup.h"

#include <utility>

namespace corvane::ui {
namespace {

MessageAnswerer& answererSlot()
{
    static MessageAnswerer answerer;
    return answerer;
}

} // namespace

QMessageBox::StandardButton showMessage(QWidget* parent, const Message& message)
{
    if (answererSlot())
        return answererSlot()(message);
    QMessageBox box(message.icon, AppTitle, message.text, message.buttons, parent);
    box.setTextFormat(Qt::PlainText);
    if (message.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(message.defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

MessageAnswerer setMessageAnswerer(MessageAnswerer answerer)
{
    return std::exchange(answererSlot(), std::move(answerer));
}

} // namespace corvane::ui
