// The program's message boxes: modal, no icon unless one is asked for, the
// title "KAMERIO" unless another is named.
#pragma once

#include <QMessageBox>
#include <QString>

namespace messagebox {

enum class Buttons { Ok, YesNo };

// Shows text and returns the button pressed.
QMessageBox::StandardButton show(QWidget *parent, const QString &text, Buttons buttons = Buttons::Ok,
    const QString &title = QStringLiteral("KAMERIO"), QMessageBox::Icon icon = QMessageBox::NoIcon);

} // namespace messagebox
