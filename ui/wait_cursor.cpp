#include "wait_cursor.h"

#include <QApplication>
#include <QCursor>

namespace corvane::ui {

WaitCursor::WaitCursor()
{
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

WaitCursor::~WaitCursor()
{
    QApplication::restoreOverrideCursor();
}

} // namespace corvane::ui
