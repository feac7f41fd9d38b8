#pragma once

// "Saving Files": saves the targets of the chosen links into a folder, one
// after another, and shows how far it got. Shown without blocking; the main
// window is disabled while it runs and shows the progress in its caption.

#include "saving/savetransfer.h"

#include <QDialog>
#include <QPointer>

class QGroupBox;
class QLabel;
class QNetworkAccessManager;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tv {

class Form8;

// What the transfer needs of the main window.
class SavingHost
{
public:
    virtual ~SavingHost() = default;
    // "Tallyvane - Saving Files  (2 of 5)", "... (Complete)", "Tallyvane".
    virtual void setTransferCaption(const QString &caption) = 0;
    virtual void setTransferHostEnabled(bool enabled) = 0;
    virtual void minimizeForTransfer() = 0;
    // Brings the minimised window back to its normal size.
    virtual void restoreForTransfer() = 0;
    // The transfer is over: applies the on-top state and brings the window
    // to the front.
    virtual void transferEnded(bool topmost) = 0;
};

class Form4 final : public QDialog
{
    Q_OBJECT
public:
    // Saves `links` into `folder`; the transfer starts on the dialog's
    // first activation.
    // `simultaneous` downloads run at once (1: one after another).
    Form4(const QStringList &links, const QString &folder, qint32 owaction, bool ontop, SavingHost *host,
          QWidget *parent = nullptr, int simultaneous = 1);
    ~Form4() override;

    const TransferState &state() const { return m_state; }

    bool cancl = false;
    bool owdialog = false;
    bool allfiles = false;

    QGroupBox *Frame1 = nullptr;
    QLabel *Label3 = nullptr;
    // At the end: how many files were saved, skipped and failed.
    QLabel *Summary = nullptr;
    QGroupBox *Frame2 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QProgressBar *ProgressBar2 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

    SaveTransfer *transfer() const { return m_transfer; }

    void Form_Activate();
    void Command1_Click();
    void Command2_Click();

    // The main window was activated during the transfer: the question, or
    // else this dialog, comes to the front.
    void MainWindowActivated();
    // The main window came back from minimised during the transfer: this
    // dialog shows again and the main window is disabled.
    void MainWindowRestored();

    // How often the file's labels and bar follow the download.
    static constexpr int ProgressIntervalMs = 100;

signals:
    void unloaded();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    ExistsAnswer ask(const QString &name);
    void showProgress();
    void showInFlight();
    void onFileStarted(int index, int count, const QString &path);
    void onFileDone(int index, int count);
    void onFinished(bool error);
    void unload();

    TransferState m_state;
    bool m_ontop;
    SavingHost *m_host;
    QNetworkAccessManager *m_network;
    SaveTransfer *m_transfer;
    QTimer *m_progress;
    QPointer<Form8> m_form8;
    bool m_unloaded = false;
};

// "Files saved: 3, skipped: 1, failed: 0".
QString TransferSummary(int saved, int skipped, int failed);

} // namespace tv
