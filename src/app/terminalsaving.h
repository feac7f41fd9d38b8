#pragma once

// `tallyvane --save-targets`: the window's transfer of link targets into a
// folder, told on standard error one line per file.

#include "saving/savetransfer.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <optional>

class QEventLoop;
class QNetworkAccessManager;

namespace tv {

// The links of a list read from a file or a pipe: one a line, blank lines and
// lines starting with "#" skipped, anything after a tab dropped (so the
// lines of `--list --text` serve as they are).
QStringList linksOfList(const QByteArray &list);

struct SaveRequest
{
    QStringList links;
    QString folder;
    qint32 owaction = OwPrompt;
    int simultaneous = 1;
    // Prompt mode asks on the terminal; without one, an existing file is skipped.
    bool canAsk = false;
};

class TerminalSaving final : public QObject
{
    Q_OBJECT
public:
    explicit TerminalSaving(const SaveRequest &request, QObject *parent = nullptr);
    ~TerminalSaving() override;

    void start();
    // Stops at once; what arrived of each file is kept as its part.
    void interrupt(int status);

signals:
    // 0 when every file was saved or skipped; 1 when any failed.
    void finished(int status);

private:
    ExistsAnswer ask(const QString &name);
    // A line typed on the terminal, read while events run; none at its end.
    std::optional<QString> readAnswer();
    void onFileDone(int index, int count);

    SaveRequest m_request;
    QNetworkAccessManager *m_network;
    QString m_folder; // ends in "/"
    SaveTransfer *m_transfer;
    QHash<int, QString> m_paths;
    QString m_failure;
    int m_saved = 0;
    int m_skipped = 0;
    QEventLoop *m_asking = nullptr;
    bool m_done = false;
};

} // namespace tv
