// Where the program's dialogs appear: owned by the main window, so that they
// block it like a disabled owner, but centred on the screen while it is hidden.
#pragma once

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

inline void PlaceOverOwner(QDialog& dialog, QWidget* owner) {
    // Window-modal: the tray icon, a window of its own, stays usable while a
    // notice or the password dialog is open.
    dialog.setWindowModality(Qt::WindowModal);
    if (owner && owner->isVisible()) return;  // Qt centres it over the owner
    dialog.adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = dialog.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        dialog.move(frame.topLeft());
    }
}
