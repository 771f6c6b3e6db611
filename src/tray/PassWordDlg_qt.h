// The exit password dialog: a masked line and OK / キャンセル.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

class CPassWordDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPassWordDlg(QWidget* parent = nullptr);

    // kDialogOk for OK or Enter (m_strPassword then holds the typed text),
    // kDialogCancel for キャンセル, Escape or the close box.
    int DoModal();

    std::string m_strPassword;

private:
    QLineEdit* m_password;
};
