// The self-closing warning notice: caption, warning icon, one centred line,
// no buttons and no close box; it closes itself three seconds after it is shown.
#pragma once

#include <QDialog>
#include <string>

class QLabel;

class CWarningDlg : public QDialog {
    Q_OBJECT
public:
    explicit CWarningDlg(QWidget* parent = nullptr);

    // Shows m_strMessage modally and returns once the notice has closed:
    // 1 (OK) by the timer or Enter, 2 (Cancel) by Escape.
    int DoModal();

    std::string m_strMessage;

protected:
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    QLabel* m_message;
    int m_nTimer = 0;
};
