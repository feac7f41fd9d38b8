#include "builders/linkfilereader.h"

#include "builders/linktext.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tv {

namespace {

constexpr qsizetype Piece = 64 * 1024;
constexpr qint64 ProgressStep = 4 * 1024 * 1024;

// UTF-8 until an item shows the file is not; then Latin-1, the links
// already kept included.
QString decodeItem(const QByteArray &bytes, LinkFileScan &scan)
{
    if (scan.latin1Fallback)
        return QString::fromLatin1(bytes);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    scan.latin1Fallback = true;
    for (QString &link : scan.links)
        link = QString::fromLatin1(link.toUtf8()); // the bytes they were read from
    return QString::fromLatin1(bytes);
}

} // namespace

bool LinkFileReader::more()
{
    if (m_pos < m_buffer.size())
        return true;
    if (m_end)
        return false;
    m_buffer.resize(Piece);
    const qint64 n = m_device.read(m_buffer.data(), Piece);
    m_buffer.resize(qsizetype(std::max<qint64>(n, 0)));
    m_pos = 0;
    if (n <= 0) {
        m_end = true;
        m_error = n < 0;
        return false;
    }
    m_read += n;
    if (!std::exchange(m_started, true) && m_buffer.startsWith("\xEF\xBB\xBF")) {
        m_pos = 3;
        return more();
    }
    return true;
}

void LinkFileReader::collectUntil(QByteArray &item, bool quoted, bool keep)
{
    // The bytes that end a run: line ends, and a comma or a closing quote.
    static constexpr auto table = [](char also) {
        std::array<bool, 256> stops{};
        stops[uchar('\r')] = stops[uchar('\n')] = stops[uchar(also)] = true;
        return stops;
    };
    static constexpr std::array<bool, 256> plainStops = table(','), quotedStops = table('"');
    const std::array<bool, 256> &stops = quoted ? quotedStops : plainStops;
    while (more()) {
        const char *data = m_buffer.constData();
        const qsizetype size = m_buffer.size();
        qsizetype i = m_pos;
        while (i < size && !stops[uchar(data[i])])
            ++i;
        if (keep)
            item.append(data + m_pos, std::min(i - m_pos, MaxItemLength + 1 - item.size()));
        m_pos = i;
        if (i < size || (keep && item.size() > MaxItemLength))
            return;
    }
}

LinkFileReader::Result LinkFileReader::next(QByteArray &item)
{
    item.truncate(0); // keeps its room for the next item
    if (!more())
        return m_error ? Result::ReadError : Result::End;
    while (more() && (m_buffer[m_pos] == ' ' || m_buffer[m_pos] == '\t'))
        ++m_pos;
    const bool quoted = more() && m_buffer[m_pos] == '"';
    if (quoted)
        ++m_pos;
    collectUntil(item, quoted, true);
    if (item.size() > MaxItemLength)
        return Result::TooLong;
    // No closing quote on the line: the item ends with its line.
    if (quoted && more() && m_buffer[m_pos] == '"') {
        ++m_pos;
        collectUntil(item, false, false);
    }
    if (more()) {
        const char separator = m_buffer[m_pos++];
        if (separator == '\r' && more() && m_buffer[m_pos] == '\n')
            ++m_pos;
    }
    return m_error ? Result::ReadError : Result::Item;
}

LinkFileScan scanLinkFile(QIODevice &device, const LinkFileScanHooks &hooks)
{
    LinkFileScan scan;
    LinkFileReader reader(device);
    qsizetype room = -1; // known once the first link is found
    qint64 reported = 0;
    QByteArray bytes;
    for (;;) {
        const LinkFileReader::Result result = reader.next(bytes);
        if (hooks.progress && reader.bytesRead() - reported >= ProgressStep)
            hooks.progress(reported = reader.bytesRead());
        if (result == LinkFileReader::Result::End)
            break;
        if (result == LinkFileReader::Result::ReadError) {
            scan.readError = true;
            break;
        }
        if (result == LinkFileReader::Result::TooLong) {
            scan.badItem = true;
            scan.badText = QString::fromUtf8(bytes); // cut short, so not a sign of the file's encoding
            break;
        }
        if (bytes.isEmpty())
            continue;
        // Plain ASCII reads the same in every encoding: no string is made of
        // it unless it is kept.
        const bool ascii = std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return uchar(c) < 0x80; });
        QString text = ascii ? QString() : decodeItem(bytes, scan);
        if (ascii ? !IsLinkText(QLatin1String(bytes)) : !IsLinkText(text)) {
            scan.badItem = true;
            scan.badText = ascii ? QString::fromLatin1(bytes) : std::move(text);
            break;
        }
        if (room < 0)
            room = hooks.firstLink ? hooks.firstLink() : std::numeric_limits<qsizetype>::max();
        if (scan.links.size() < room)
            scan.links.append(ascii ? QString::fromLatin1(bytes) : std::move(text));
        else
            ++scan.leftOut;
    }
    return scan;
}

bool openRegularFile(QFile &file, QString *why)
{
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int fd = ::open(QFile::encodeName(file.fileName()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *why = QStringLiteral("it is not a regular file");
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *why = file.errorString();
        return false;
    }
    return true;
}

QStringList splitClipboardLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype lf = text.indexOf(u'\n', start);
        if (lf < 0) {
            lines.append(text.mid(start).toString());
            break;
        }
        // A CR right before the LF belongs to the line end.
        const qsizetype end = (lf > start && text[lf - 1] == u'\r') ? lf - 1 : lf;
        lines.append(text.mid(start, end - start).toString());
        start = lf + 1;
    }
    return lines;
}

QStringList clipboardLinks(QStringView text)
{
    QStringList links;
    for (QString &line : splitClipboardLines(text)) {
        if (!line.isEmpty() && IsLinkText(line))
            links.append(std::move(line));
    }
    return links;
}

} // namespace tv
