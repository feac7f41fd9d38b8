#pragma once

// "Send to aria2" (SendToAria2Dialog): hands the selected links to an aria2
// daemon; the sending itself is Aria2Sender's.

#include "saving/aria2rpc.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tv {

class CRegSettings;

// The help page of this dialog (topic20.html).
constexpr int HelpSendToAria2 = 20;

class SendToAria2Dialog final : public QDialog
{
    Q_OBJECT
public:
    // `pages` runs beside `urls`: the page each link was found on, if any.
    SendToAria2Dialog(const QStringList &urls, const QStringList &pages, CRegSettings &settings,
                      QWidget *parent = nullptr);

    QLineEdit *txtAddress = nullptr;
    QLineEdit *txtToken = nullptr;
    QCheckBox *chkRemember = nullptr;
    QLineEdit *txtFolder = nullptr;
    QProgressBar *barProgress = nullptr;
    QLabel *lblStatus = nullptr;
    QPushButton *cmdSend = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdHelp = nullptr;

    bool sending() const { return m_sender != nullptr; }

signals:
    void sendFinished(const tv::Aria2SendResult &result);

public slots:
    void cmdSend_Click();
    // Esc and Cancel: stop once the batches on their way are answered, or close.
    void reject() override;

private:
    void sent(const Aria2SendResult &result);
    void setEditable(bool editable);

    CRegSettings &m_settings;
    // Made once, so Send pressed again after a failure re-sends the same gids.
    QList<Aria2Link> m_links;
    Aria2Sender *m_sender = nullptr;
    QString m_clearTextAgreed;   // the address the user agreed to send the token to in clear
};

} // namespace tv
