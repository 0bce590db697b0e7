#include "app/messagebox.h"

namespace messagebox {

QMessageBox::StandardButton show(
    QWidget *parent, const QString &text, Buttons buttons, const QString &title, QMessageBox::Icon icon)
{
    QMessageBox box(
        icon, title, text, buttons == Buttons::Ok ? QMessageBox::Ok : QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("message"));
    // Paths and names in a message are shown as spelt, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(buttons == Buttons::Ok ? QMessageBox::Ok : QMessageBox::Yes);
    return QMessageBox::StandardButton(box.exec());
}

} // namespace messagebox
