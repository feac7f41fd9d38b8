#include "saving/savingfilesdialog.h"

#include "platform/messagebox.h"
#include "saving/fileexistsdialog.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace tv {

namespace {

QProgressBar *progressBar(const char *name, QWidget *parent)
{
    auto *bar = new QProgressBar(parent);
    bar->setObjectName(QLatin1String(name));
    bar->setTextVisible(false);
    bar->setRange(0, 100);
    bar->setValue(0);
    return bar;
}

QLabel *label(const char *name, QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

const QString AppCaption = QStringLiteral("Tallyvane");

} // namespace

Form4::Form4(const QStringList &links, const QString &folder, qint32 owaction, bool ontop, SavingHost *host,
             QWidget *parent, int simultaneous)
    : QDialog(parent), m_state{links, folder.endsWith(u'/') ? folder : folder + u'/', QString(), false},
      m_ontop(ontop), m_host(host), m_network(new QNetworkAccessManager(this)),
      m_transfer(new SaveTransfer(m_network, links, m_state.savefolder, owaction, this)),
      m_progress(new QTimer(this))
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Saving Files"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    Frame1 = new QGroupBox(QStringLiteral("Status:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label3 = label("Label3", Frame1);
    Label3->setMinimumWidth(420);
    Label3->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Summary = label("Summary", Frame1);
    Summary->hide();
    auto *frame1Layout = new QVBoxLayout(Frame1);
    frame1Layout->addWidget(Label3);
    frame1Layout->addWidget(Summary);

    Frame2 = new QGroupBox(QStringLiteral("File Progress:"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    ProgressBar1 = progressBar("ProgressBar1", Frame2);
    Label1 = label("Label1", Frame2);
    Label2 = label("Label2", Frame2);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *frame2Layout = new QVBoxLayout(Frame2);
    frame2Layout->addWidget(ProgressBar1);
    auto *counts = new QHBoxLayout;
    counts->addWidget(Label1, 1);
    counts->addWidget(Label2);
    frame2Layout->addLayout(counts);

    Frame3 = new QGroupBox(QStringLiteral("Total Progress:"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    ProgressBar2 = progressBar("ProgressBar2", Frame3);
    (new QVBoxLayout(Frame3))->addWidget(ProgressBar2);

    Command2 = new QPushButton(QStringLiteral("Background"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setAutoDefault(false);
    Command1 = new QPushButton(QStringLiteral("Cancel"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(Frame2);
    layout->addWidget(Frame3);
    layout->addLayout(buttons);

    connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form4::Command2_Click);
    m_transfer->setSimultaneous(simultaneous);
    if (m_transfer->simultaneous() > 1) {
        // Room for every file in flight, so the dialog does not jump.
        Label3->setMinimumHeight(Label3->fontMetrics().lineSpacing() * (m_transfer->simultaneous() + 1));
        Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    m_progress->setInterval(ProgressIntervalMs);
    connect(m_progress, &QTimer::timeout, this, &Form4::showProgress);
    m_transfer->askExists = [this](const QString &name) { return ask(name); };
    connect(m_transfer, &SaveTransfer::fileStarted, this, &Form4::onFileStarted);
    connect(m_transfer, &SaveTransfer::fileDone, this, &Form4::onFileDone);
    connect(m_transfer, &SaveTransfer::fileFailed, this, [this](const DownloadResult &result) {
        MsgBox(this, DownloadErrorText(result), MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Error"));
    });
    connect(m_transfer, &SaveTransfer::finished, this, &Form4::onFinished);

    // Load.
    allfiles = false;
    raise();
}

Form4::~Form4()
{
    unload();
}

void Form4::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Window managers may not activate a new window: the first showing
    // starts the transfer all the same.
    QTimer::singleShot(0, this, &Form4::Form_Activate);
}

void Form4::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
}

void Form4::Form_Activate()
{
    if (cancl || m_unloaded)
        return;
    raise();
    if (m_state.savebusy)
        return;
    ProgressBar1->setValue(0);
    ProgressBar2->setValue(0);
    m_state.savebusy = true;
    cancl = false;
    ProgressBar2->setMaximum(std::max(1, m_transfer->count()));
    m_transfer->start();
}

ExistsAnswer Form4::ask(const QString &name)
{
    const QPointer<Form4> self(this);
    owdialog = true;
    // The question must be seen even when the transfer went to the background.
    if (isHidden()) {
        m_host->restoreForTransfer();
        show();
    }
    raise();
    m_form8 = new Form8(name, this);
    m_form8->exec();
    if (!self)
        return ExistsAnswer::skip();
    const ExistsAnswer answer = m_form8 ? m_form8->answer() : ExistsAnswer::skip();
    delete m_form8;
    owdialog = false;
    allfiles = answer.allfiles;
    return answer;
}

QString WaitingText(const QString &path, int index, int count, qint64 leftMs)
{
    return QStringLiteral("Waiting %1 s to try again: %2 (%3 of %4)").arg((leftMs + 999) / 1000).arg(path).arg(index).arg(count);
}

void Form4::showInFlight()
{
    const QList<SaveTransfer::InFlight> files = m_transfer->inFlight();
    const int count = m_transfer->count();
    if (m_transfer->simultaneous() == 1) {
        if (!files.isEmpty()) {
            const SaveTransfer::InFlight &f = files.first();
            Label3->setText(f.waitLeftMs >= 0 ? WaitingText(f.path, f.index, count, f.waitLeftMs)
                                              : QStringLiteral("Saving %1 (%2 of %3)").arg(f.path).arg(f.index).arg(count));
        }
        return;
    }
    // One line a file: the folder once, then each name with its place.
    QStringList lines{QStringLiteral("Saving into %1:").arg(m_state.savefolder)};
    for (const SaveTransfer::InFlight &f : files) {
        const QString name = f.path.mid(m_state.savefolder.size());
        lines << (f.waitLeftMs >= 0 ? WaitingText(name, f.index, count, f.waitLeftMs)
                                    : QStringLiteral("%1 (%2 of %3)").arg(name).arg(f.index).arg(count));
    }
    Label3->setText(lines.join(u'\n'));
}

void Form4::showProgress()
{
    showInFlight();
    qint64 received = 0;
    qint64 total = 0;
    for (const SaveTransfer::InFlight &f : m_transfer->inFlight()) {
        received += f.download->received();
        total = total < 0 || f.download->total() < 0 ? -1 : total + f.download->total();
    }
    if (m_transfer->simultaneous() > 1)
        Label2->setText(QStringLiteral("%1 of %2 files done").arg(m_transfer->done()).arg(m_transfer->count()));
    Label1->setText(QStringLiteral("%1 of %2 bytes")
                        .arg(received)
                        .arg(total > 0 ? QString::number(total) : QStringLiteral("Unknown")));
    if (total > 0) {
        const int percent = int(std::min<qint64>(100, (received * 100 + total / 2) / total));
        if (m_transfer->simultaneous() == 1)
            Label2->setText(QString::number(percent) + u'%');
        ProgressBar1->setMaximum(100);
        ProgressBar1->setValue(int(std::min<qint64>(100, received * 100 / total)));
        if (m_transfer->count() == 1) {
            ProgressBar2->setMaximum(ProgressBar1->maximum());
            ProgressBar2->setValue(ProgressBar1->value());
        }
    }
}

void Form4::onFileStarted(int index, int count, const QString &path)
{
    m_state.saveurl = m_transfer->currentUrl();
    if (m_transfer->simultaneous() == 1) {
        Label3->setText(QStringLiteral("Saving %1 (%2 of %3)").arg(path).arg(index).arg(count));
        Label1->clear();
        Label2->clear();
    } else {
        showInFlight();
    }
    m_host->setTransferCaption(QStringLiteral("Tallyvane - Saving Files  (%1 of %2)").arg(index).arg(count));
    m_progress->start();
}

void Form4::onFileDone(int index, int count)
{
    if (m_progress->isActive()) {
        if (m_transfer->inFlight().isEmpty())
            m_progress->stop();
        showProgress();
    }
    // Files end out of order when several run at once: the bar counts them.
    if (count != 1)
        ProgressBar2->setValue(m_transfer->done());
    else
        ProgressBar2->setValue(ProgressBar2->maximum());
    if (index != count && m_transfer->simultaneous() == 1)
        ProgressBar1->setValue(0);
}

QString TransferSummary(int saved, int skipped, int failed)
{
    return QStringLiteral("Files saved: %1, skipped: %2, failed: %3").arg(saved).arg(skipped).arg(failed);
}

void Form4::onFinished(bool error)
{
    Label1->clear();
    Label2->clear();
    // "Done" alone would not tell a transfer that skipped everything from one that saved it.
    Summary->setText(TransferSummary(m_transfer->saved(), m_transfer->skipped(), m_transfer->failed()));
    Summary->show();
    Command1->setText(QStringLiteral("Close"));
    if (error) {
        Label3->setText(QStringLiteral("Error"));
        Command2->hide();
        m_host->setTransferCaption(QStringLiteral("Tallyvane - Saving Files (Error)"));
    } else {
        ProgressBar1->setValue(ProgressBar1->maximum());
        Label3->setText(QStringLiteral("Done"));
        Command2->setText(QStringLiteral("Open Folder"));
        m_host->setTransferCaption(QStringLiteral("Tallyvane - Saving Files (Complete)"));
    }
}

void Form4::Command1_Click()
{
    if (Command1->text() == u"Cancel") {
        Label3->setText(QStringLiteral("Aborting..."));
        cancl = true;
        m_transfer->cancel();
    }
    close();
}

void Form4::Command2_Click()
{
    if (Command2->text() == u"Background") {
        hide();
        m_host->setTransferHostEnabled(true);
        m_host->minimizeForTransfer();
        return;
    }
    const QString folder = m_state.savefolder;
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) {
        MsgBox(this, QStringLiteral("Tallyvane could not open the folder \"%1\" in a file manager.").arg(folder),
               MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Open Folder"));
    }
    close();
}

void Form4::MainWindowActivated()
{
    if (owdialog && m_form8) {
        m_form8->raise();
        m_form8->activateWindow();
    } else if (isVisible()) {
        raise();
    }
}

void Form4::MainWindowRestored()
{
    show();
    raise();
    m_host->setTransferHostEnabled(false);
}

void Form4::reject()
{
    // Esc is the "Cancel"/"Close" button.
    Command1_Click();
}

void Form4::closeEvent(QCloseEvent *event)
{
    unload();
    event->accept();
}

void Form4::unload()
{
    if (std::exchange(m_unloaded, true))
        return;
    // The close request, then the unload.
    m_host->setTransferHostEnabled(true);
    m_host->setTransferCaption(AppCaption);
    cancl = true;
    m_progress->stop();
    m_transfer->cancel();
    if (m_form8)
        m_form8->reject();
    m_state.savebusy = false;
    ProgressBar1->setValue(0);
    ProgressBar2->setValue(0);
    m_host->transferEnded(m_ontop);
    emit unloaded();
}

} // namespace tv
