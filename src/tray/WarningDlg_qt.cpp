#include "tray/WarningDlg_qt.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QTimerEvent>

#include "core/DialogResult.h"
#include "core/WarningNotice.h"
#include "os/DialogPlacement_qt.h"

CWarningDlg::CWarningDlg(QWidget* parent) : QDialog(parent) {
    // A caption without a close box: the notice is a timed display, not a question.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QString::fromUtf8("警告"));
    setWindowRole(QStringLiteral("hourgate-warning"));
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(QStringLiteral(":/res/warning-32.png"), "PNG"));
    icon->setFixedSize(32, 32);
    m_message = new QLabel(this);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(false);
    // One line. The area widens to the text rather than clip it: the hour
    // notice with a long login name would otherwise lose the name or the hours.
    m_message->setMinimumSize(225, 37);
    m_message->setMaximumHeight(37);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addWidget(m_message);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int CWarningDlg::DoModal() {
    const QString text = QString::fromUtf8(m_strMessage.c_str());
    m_message->setText(text);
    // Also as the window's icon text, so that test tools and window lists can read
    // the message without screen scraping.
    setWindowIconText(text);
    // Placed once the text has given the notice its final size, so it is centred.
    PlaceOverOwner(*this, parentWidget());
    return exec();
}

void CWarningDlg::showEvent(QShowEvent* event) {
    // Each showing gets its own full three seconds.
    if (m_nTimer != 0) killTimer(m_nTimer);
    m_nTimer = startTimer(static_cast<int>(kNoticeMilliseconds), Qt::PreciseTimer);
    QDialog::showEvent(event);
}

void CWarningDlg::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_nTimer) {
        QDialog::timerEvent(event);
        return;
    }
    done(kDialogOk);
}

void CWarningDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            done(kDialogOk);
            return;
        case Qt::Key_Escape:
            done(kDialogCancel);
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void CWarningDlg::done(int result) {
    if (m_nTimer != 0) {
        killTimer(m_nTimer);
        m_nTimer = 0;
    }
    QDialog::done(result);
}
