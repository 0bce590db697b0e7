#include "app/messagebox.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace messagebox {
namespace {

// The text cut to what the screen holds, "…" marking what is left out. A
// box is no narrower than half the screen's width (at most 500 pixels, Qt's
// own rule), its margins within; the buttons, margins and title bar take the
// rest of the height.
QString fitted(const QString &text, const QFontMetrics &metrics, const QRect &screen)
{
    const int wrap = qMin(screen.width() / 2, 500) - 60;
    const int room = screen.height() - 160;
    auto height = [&](const QString &t) {
        const QRect area(0, 0, wrap, 1 << 24);
        return qMax(metrics.boundingRect(area, Qt::TextWordWrap, t).height(),
                    metrics.boundingRect(area, Qt::TextWrapAnywhere, t).height());
    };
    if (height(text) <= room)
        return text;
    // More characters than this never fit, however narrow they are.
    const qsizetype most = qsizetype(room / qMax(1, metrics.lineSpacing()) + 1) * (wrap / 2);
    QString kept;
    for (const QString &line : text.split(u'\n')) {
        const QString joined = kept.isEmpty() ? line.left(most) : kept + u'\n' + line.left(most);
        if (height(joined + QStringLiteral("…")) <= room) {
            kept = joined;
            continue;
        }
        // As much of this line as still fits.
        qsizetype lo = kept.size();
        qsizetype hi = joined.size();
        while (lo < hi) {
            const qsizetype mid = (lo + hi + 1) / 2;
            if (height(joined.left(mid) + QStringLiteral("…")) <= room)
                lo = mid;
            else
                hi = mid - 1;
        }
        if (lo > 0 && lo < joined.size() && QChar::isHighSurrogate(joined[lo - 1].unicode()))
            --lo;
        kept = joined.left(lo);
        break;
    }
    return kept + QStringLiteral("…");
}

} // namespace

QMessageBox::StandardButton show(
    QWidget *parent, const QString &text, Buttons buttons, const QString &title, QMessageBox::Icon icon)
{
    QMessageBox box(
        icon, title, QString(), buttons == Buttons::Ok ? QMessageBox::Ok : QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("message"));
    // Paths and names in a message are shown as spelt, never as markup.
    box.setTextFormat(Qt::PlainText);
    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    box.setText(screen ? fitted(text, (label ? label : static_cast<QWidget *>(&box))->fontMetrics(),
                                screen->availableGeometry())
                       : text);
    box.setDefaultButton(buttons == Buttons::Ok ? QMessageBox::Ok : QMessageBox::Yes);
    return QMessageBox::StandardButton(box.exec());
}

} // namespace messagebox
