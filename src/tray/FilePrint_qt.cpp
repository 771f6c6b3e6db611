#include "tray/FilePrint_qt.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

extern "C" Q_DECL_EXPORT bool HourgateFilePrint(
    QWidget* owner, QWidget* view, const std::function<void(QPainter&, double scale)>& draw) {
    QPrinter printer;
    QPrintDialog dialog(&printer, owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    painter.setFont(view->font());
    // The view places its lines in screen pixels; on paper they keep the same
    // layout instead of crowding into the corner at the printer's resolution.
    draw(painter, static_cast<double>(printer.logicalDpiY()) / view->logicalDpiY());
    painter.end();
    return true;
}
