#include "builders/linkfilereader.h"

#include "builders/linktext.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tv {

namespace {

constexpr qsizetype Piece = 64 * 1024;
constexpr qint64 ProgressStep = 4 * 1024 * 1024;

// Each item on its own: UTF-8 when its bytes are, else Latin-1, so that one
// stray byte garbles neither its neighbours nor itself into replacement marks.
QString decodeItem(const QByteArray &bytes, LinkFileScan &scan)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    scan.latin1Fallback = true;
    return QString::fromLatin1(bytes);
}

// The bytes of a text in UTF-8, counted only up to `bound` + 1.
qsizetype utf8Length(QStringView text, qsizetype bound)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size() && n <= bound; ++i) {
        const char16_t c = text[i].unicode();
        n += c < 0x80 ? 1 : c < 0x800 || QChar::isSurrogate(c) ? 2 : 3;
    }
    return n;
}

} // namespace

bool LinkFileReader::more()
{
    if (m_pos < m_buffer.size())
        return true;
    if (m_end)
        return false;
    m_buffer.resize(Piece);
    qsizetype got = 0;
    qint64 n = 0;
    // A byte order mark may come split over the first reads: read until it
    // is whole or cannot be one.
    static constexpr QByteArrayView Bom("\xEF\xBB\xBF");
    do {
        n = m_device.read(m_buffer.data() + got, Piece - got);
        got += qsizetype(std::max<qint64>(n, 0));
    } while (!m_started && n > 0 && got < Bom.size() && Bom.startsWith(QByteArrayView(m_buffer.data(), got)));
    m_buffer.resize(got);
    m_pos = 0;
    m_read += got;
    if (n < 0)
        m_error = true;
    if (got == 0) {
        m_end = true;
        return false;
    }
    if (!std::exchange(m_started, true) && m_buffer.startsWith(Bom)) {
        m_pos = Bom.size();
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

LinkFileScan scanClipboardText(QStringView text, const LinkFileScanHooks &hooks)
{
    LinkFileScan scan;
    qsizetype room = -1; // known once the first link is found
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = start;
        while (end < text.size() && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = text.sliced(start, end - start);
        start = end + (text.sliced(end).startsWith(u"\r\n") ? 2 : 1);
        // Longer than any address a server takes: no link, skipped unread.
        if (line.isEmpty() || line.size() > LinkFileReader::MaxItemLength ||
            utf8Length(line, LinkFileReader::MaxItemLength) > LinkFileReader::MaxItemLength || !IsLinkText(line))
            continue;
        if (room < 0)
            room = hooks.firstLink ? hooks.firstLink() : std::numeric_limits<qsizetype>::max();
        if (scan.links.size() < room)
            scan.links.append(line.toString());
        else
            ++scan.leftOut;
    }
    return scan;
}

} // namespace tv
