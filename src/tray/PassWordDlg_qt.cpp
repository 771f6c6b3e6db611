#include "tray/PassWordDlg_qt.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include "core/DialogResult.h"
#include "os/DialogPlacement_qt.h"

CPassWordDlg::CPassWordDlg(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Pass Word"));
    setWindowRole(QStringLiteral("hourgate-password"));

    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setFixedWidth(180);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QString::fromUtf8("キャンセル"), this);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, [this] { done(kDialogOk); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(kDialogCancel); });

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_password, 0, 0, Qt::AlignTop);
    layout->addWidget(ok, 0, 1);
    layout->addWidget(cancel, 1, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_password->setFocus();
}

int CPassWordDlg::DoModal() {
    PlaceOverOwner(*this, parentWidget());
    const int result = exec();
    // Escape and the close box arrive as QDialog's own rejection.
    if (result != kDialogOk) return kDialogCancel;
    m_strPassword = m_password->text().toStdString();
    return kDialogOk;
}
