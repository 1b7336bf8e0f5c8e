#pragma once

#include <QKeyEvent>

namespace velkan::ui {

// Return on the main keyboard or Enter on the keypad: the key that runs a dialog's command.
inline bool IsEnterKey(const QKeyEvent& event)
{
    return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

} // namespace velkan::ui
