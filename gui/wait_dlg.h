#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Shown while the payment library works on a call for longer than a moment: it says that the
// tool is waiting and, after a while, offers the one way out, giving the call up (the library's
// process is ended). Modal, so that the window takes no other input meanwhile.
class CWaitDlg : public QDialog {
    Q_OBJECT

public:
    explicit CWaitDlg(QWidget* parent);

    // Updates the text for `elapsedMs` waited; the way out opens after AbandonAfterMs().
    void Update(long elapsedMs);
    bool Abandoned() const { return m_abandoned; }

    // When the dialog appears, and when it offers to give up: 0.5 s and 15 s.
    static int ShowAfterMs();
    static int AbandonAfterMs();
    static void SetDelaysForTesting(int showAfterMs, int abandonAfterMs);

public slots:
    // Closing the dialog is not an answer: only the button gives up.
    void reject() override {}

private:
    QLabel* m_text;
    QPushButton* m_abandon;
    bool m_abandoned = false;
};
