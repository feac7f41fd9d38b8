#include "app/terminalsaving.h"

#include "app/terminalio.h"
#include "saving/targetnames.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QSocketNotifier>

#include <cerrno>

#include <unistd.h>

namespace tv {

QStringList linksOfList(const QByteArray &list)
{
    QStringList links;
    for (QByteArray line : list.split('\n')) {
        if (const qsizetype tab = line.indexOf('\t'); tab >= 0)
            line.truncate(tab);
        line = line.trimmed();
        if (!line.isEmpty() && !line.startsWith('#'))
            links.append(QString::fromUtf8(line));
    }
    return links;
}

TerminalSaving::TerminalSaving(const SaveRequest &request, QObject *parent)
    : QObject(parent), m_request(request), m_network(new QNetworkAccessManager(this)),
      m_folder(request.folder.endsWith(u'/') ? request.folder : request.folder + u'/'),
      m_transfer(new SaveTransfer(m_network, request.links, m_folder, request.owaction, this))
{
    m_transfer->setSimultaneous(request.simultaneous);
    m_transfer->askExists = [this](const QString &name) { return ask(name); };
    connect(m_transfer, &SaveTransfer::fileStarted, this,
            [this](int index, int, const QString &path) { m_paths.insert(index, path); });
    connect(m_transfer, &SaveTransfer::fileWaiting, this, [this](int index, qint64 ms) {
        terminalio::say(QStringLiteral("[%1/%2] waiting %3 s to try again: %4")
                            .arg(index)
                            .arg(m_transfer->count())
                            .arg((ms + 999) / 1000)
                            .arg(m_paths.value(index)));
    });
    connect(m_transfer, &SaveTransfer::fileFailed, this,
            [this](const DownloadResult &result) { m_failure = DownloadErrorText(result); });
    connect(m_transfer, &SaveTransfer::fileDone, this, &TerminalSaving::onFileDone);
    connect(m_transfer, &SaveTransfer::finished, this, [this] {
        m_done = true;
        terminalio::say(QStringLiteral("%1 saved, %2 skipped, %3 failed")
                            .arg(m_transfer->saved())
                            .arg(m_transfer->skipped())
                            .arg(m_transfer->failed()));
        emit finished(m_transfer->failed() > 0 ? 1 : 0);
    });
}

TerminalSaving::~TerminalSaving() = default;

void TerminalSaving::start()
{
    if (m_request.links.isEmpty()) {
        m_done = true;
        terminalio::say(QStringLiteral("no links to save"));
        emit finished(0);
        return;
    }
    m_transfer->start();
}

void TerminalSaving::onFileDone(int index, int count)
{
    // Which way the file went: the count that grew says.
    const QString link = m_request.links.value(index - 1);
    QString line;
    if (m_transfer->saved() > m_saved)
        line = QStringLiteral("saved %1").arg(m_paths.value(index));
    else if (m_transfer->skipped() > m_skipped)
        line = QStringLiteral("skipped %1 (the name is taken)").arg(m_folder + TargetFileName(link));
    else
        line = QStringLiteral("failed %1: %2").arg(link, m_failure);
    m_saved = m_transfer->saved();
    m_skipped = m_transfer->skipped();
    terminalio::say(QStringLiteral("[%1/%2] %3").arg(index).arg(count).arg(line));
}

ExistsAnswer TerminalSaving::ask(const QString &name)
{
    if (!m_request.canAsk)
        return ExistsAnswer::skip();
    terminalio::writeAll(STDERR_FILENO,
                         QStringLiteral("The file \"%1\" already exists in the destination folder. [o]verwrite, [s]kip "
                                        "or [n]ew name? Add \"!\" for every file left (\"s!\"): ")
                             .arg(name)
                             .toUtf8());
    for (;;) {
        const std::optional<QString> typed = readAnswer();
        if (!typed)
            return ExistsAnswer::skip();
        const QString answer = typed->trimmed();
        const bool all = answer.endsWith(u'!');
        const QString choice = all ? answer.chopped(1) : answer;
        if (choice == u'o')
            return {ExistsOverwrite, QString(), all};
        if (choice == u's')
            return {ExistsSkip, QString(), all};
        if (choice == u'n') {
            terminalio::writeAll(STDERR_FILENO, "New name: ");
            const std::optional<QString> name = readAnswer();
            if (!name)
                return ExistsAnswer::skip();
            return {ExistsNewName, name->trimmed(), all};
        }
        terminalio::writeAll(STDERR_FILENO, "o, s or n (and \"!\" for every file left): ");
    }
}

std::optional<QString> TerminalSaving::readAnswer()
{
    // Files in flight go on arriving while the question waits.
    QByteArray line;
    bool ended = false;
    QEventLoop loop;
    QSocketNotifier notifier(STDIN_FILENO, QSocketNotifier::Read);
    connect(&notifier, &QSocketNotifier::activated, &loop, [&] {
        char c = 0;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        if (n <= 0 || c == '\n') {
            ended = n <= 0;
            loop.quit();
        } else {
            line += c;
        }
    });
    m_asking = &loop;
    loop.exec();
    m_asking = nullptr;
    if (ended || m_done)
        return std::nullopt;
    return QString::fromUtf8(line);
}

void TerminalSaving::interrupt(int status)
{
    if (m_done)
        return;
    m_done = true;
    m_transfer->cancel();
    if (m_asking)
        m_asking->quit();
    terminalio::say(QStringLiteral("interrupted; what arrived of the files being saved is kept as .part"));
    emit finished(status);
}

} // namespace tv
