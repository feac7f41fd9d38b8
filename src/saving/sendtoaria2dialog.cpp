#include "saving/sendtoaria2dialog.h"

#include "platform/messagebox.h"
#include "saving/aria2settings.h"
#include "winsupport/helpwindow.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tv {

namespace {

const QString Title = QStringLiteral("Send to aria2");

} // namespace

SendToAria2Dialog::SendToAria2Dialog(const QStringList &urls, const QStringList &pages, CRegSettings &settings,
                                     QWidget *parent)
    : QDialog(parent), m_settings(settings), m_links(aria2Links(urls, pages))
{
    setObjectName(QStringLiteral("SendToAria2Dialog"));
    setWindowTitle(Title);
    const Aria2Settings stored = loadAria2Settings(settings);

    auto edit = [this](const char *name, const QString &text) {
        auto *e = new QLineEdit(text, this);
        e->setObjectName(QLatin1String(name));
        e->setMinimumWidth(320);
        return e;
    };
    txtAddress = edit("txtAddress", stored.address);
    txtToken = edit("txtToken", stored.token);
    txtToken->setEchoMode(QLineEdit::Password);
    chkRemember = new QCheckBox(QStringLiteral("Remember the token"), this);
    chkRemember->setObjectName(QStringLiteral("chkRemember"));
    chkRemember->setChecked(stored.rememberToken);
    txtFolder = edit("txtFolder", stored.folder);
    txtFolder->setPlaceholderText(QStringLiteral("aria2's own default"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("RPC address:"), txtAddress);
    form->addRow(QStringLiteral("Secret token:"), txtToken);
    form->addRow(QString(), chkRemember);
    form->addRow(QStringLiteral("Folder on the aria2 side:"), txtFolder);

    barProgress = new QProgressBar(this);
    barProgress->setObjectName(QStringLiteral("barProgress"));
    barProgress->setRange(0, int(std::max<qsizetype>(1, m_links.size())));
    barProgress->setValue(0);
    lblStatus = new QLabel(QStringLiteral("%1 link(s) to send.").arg(m_links.size()), this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));

    auto button = [this](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    cmdSend = button("cmdSend", QStringLiteral("&Send"));
    cmdSend->setDefault(true);
    cmdCancel = button("cmdCancel", QStringLiteral("Cancel"));
    cmdHelp = button("cmdHelp", QStringLiteral("&Help"));
    connect(cmdSend, &QPushButton::clicked, this, &SendToAria2Dialog::cmdSend_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &SendToAria2Dialog::reject);
    connect(cmdHelp, &QPushButton::clicked, this, [this] { ShowHelp(this, HelpSendToAria2); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSend);
    buttons->addWidget(cmdCancel);
    buttons->addWidget(cmdHelp);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(barProgress);
    layout->addWidget(lblStatus);
    layout->addLayout(buttons);
}

void SendToAria2Dialog::setEditable(bool editable)
{
    for (QWidget *w : {static_cast<QWidget *>(txtAddress), static_cast<QWidget *>(txtToken),
                       static_cast<QWidget *>(chkRemember), static_cast<QWidget *>(txtFolder),
                       static_cast<QWidget *>(cmdSend)})
        w->setEnabled(editable);
}

void SendToAria2Dialog::cmdSend_Click()
{
    if (m_sender)
        return;
    // "nas:6800/jsonrpc" as typed means http://nas:6800/jsonrpc.
    QString typed = txtAddress->text().trimmed();
    if (!typed.contains(QStringLiteral("://")))
        typed.prepend(QStringLiteral("http://"));
    const QUrl address(typed, QUrl::StrictMode);
    if (!isAria2Address(address)) {
        MsgBox(this,
               QStringLiteral("\"%1\" is not an RPC address Tallyvane can use. Type an http://, https://, ws:// "
                              "or wss:// address such as %2.")
                   .arg(txtAddress->text(), Aria2Settings::defaultAria2Address()),
               MsgButtons::Ok, MsgIcon::Exclamation, Title);
        return;
    }
    const QString token = txtToken->text();
    const QString where = address.toString(QUrl::RemoveUserInfo);
    if (tokenTravelsInClear(address, token) && m_clearTextAgreed != where) {
        const MsgResult answer =
            MsgBox(this,
                   QStringLiteral("%1 is another machine and the address is not encrypted: the secret token "
                                  "would cross the network unencrypted, and anyone on the way could read it and "
                                  "control that aria2.\r\n\r\nSend anyway?")
                       .arg(address.host()),
                   MsgButtons::YesNo, MsgIcon::Question, QStringLiteral("Token Sent Unencrypted"));
        if (answer != MsgResult::Yes)
            return;
        m_clearTextAgreed = where;
    }

    Aria2Settings values;
    values.address = typed;
    values.folder = txtFolder->text();
    values.token = token;
    values.rememberToken = chkRemember->isChecked();
    QString why;
    if (!storeAria2Settings(m_settings, values, &why))
        MsgBox(this, QStringLiteral("The token could not be stored (%1); it is used for this send only.").arg(why),
               MsgButtons::Ok, MsgIcon::Exclamation, Title);

    setEditable(false);
    barProgress->setValue(0);
    lblStatus->setText(QStringLiteral("Sending to %1 (press Esc to stop)...").arg(address.host()));
    m_sender = new Aria2Sender(address, token, values.folder, this);
    connect(m_sender, &Aria2Sender::progress, this, [this](qsizetype done, qsizetype total) {
        barProgress->setValue(int(done));
        lblStatus->setText(QStringLiteral("%1 of %2 sent...").arg(done).arg(total));
    });
    connect(m_sender, &Aria2Sender::finished, this, &SendToAria2Dialog::sent);
    m_sender->start(m_links);
}

void SendToAria2Dialog::sent(const Aria2SendResult &result)
{
    m_sender->deleteLater();
    m_sender = nullptr;
    setEditable(true);
    lblStatus->setText(aria2Summary(result).section(u'\n', 0, 0));
    emit sendFinished(result);
    if (result.status == Aria2SendStatus::Failed) {
        QString text = result.errorText;
        if (result.sent > 0 || result.refused > 0)
            text += QStringLiteral("\r\n\r\nBefore that: ") + aria2Summary(result) +
                    QStringLiteral(". Send again to send the rest; what aria2 already has is not added twice.");
        MsgBox(this, text, MsgButtons::Ok, MsgIcon::Critical, Title);
        return;
    }
    QString text = aria2Summary(result);
    if (result.status == Aria2SendStatus::Cancelled)
        text = QStringLiteral("Stopped: ") + text +
               QStringLiteral(", %1 not sent.").arg(result.total - result.sent - result.refused);
    MsgBox(this, text, MsgButtons::Ok, result.refused > 0 ? MsgIcon::Exclamation : MsgIcon::Information, Title);
    accept();
}

void SendToAria2Dialog::reject()
{
    if (m_sender) {
        m_sender->cancel();
        lblStatus->setText(QStringLiteral("Stopping once the batches on their way are answered..."));
        return;
    }
    QDialog::reject();
}

} // namespace tv
