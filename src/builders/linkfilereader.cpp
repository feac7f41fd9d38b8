#include "builders/linkfilereader.h"

#include "builders/linktext.h"

#include <QStringDecoder>

namespace tv {

namespace {
bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}
} // namespace

DecodedText decodeListText(const QByteArray &bytes)
{
    // Stateless: a sequence cut off at the end of the file counts as invalid.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return {std::move(text), false};
    return {QString::fromLatin1(bytes), true};
}

qsizetype LinkFileReader::separatorFrom(qsizetype from) const
{
    qsizetype i = from;
    while (i < m_text.size() && m_text[i] != u',' && !isLineEnd(m_text[i]))
        ++i;
    return i;
}

void LinkFileReader::skipSeparator()
{
    if (atEnd())
        return;
    if (m_text[m_pos] == u'\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == u'\n')
        m_pos += 2;
    else
        ++m_pos;
}

QString LinkFileReader::next()
{
    while (!atEnd() && (m_text[m_pos] == u' ' || m_text[m_pos] == u'\t'))
        ++m_pos;
    if (atEnd())
        return QString();

    QString item;
    if (m_text[m_pos] == u'"') {
        const qsizetype start = m_pos + 1;
        qsizetype close = start;
        while (close < m_text.size() && m_text[close] != u'"' && !isLineEnd(m_text[close]))
            ++close;
        item = m_text.mid(start, close - start).toString();
        // No closing quote on the line: the item ends with its line.
        m_pos = (close < m_text.size() && m_text[close] == u'"') ? separatorFrom(close + 1) : close;
    } else {
        const qsizetype end = separatorFrom(m_pos);
        item = m_text.mid(m_pos, end - m_pos).toString();
        m_pos = end;
    }
    skipSeparator();
    return item;
}

LinkFileScan scanLinkFile(QStringView text)
{
    LinkFileScan scan;
    LinkFileReader reader(text);
    while (!reader.atEnd()) {
        QString item = reader.next();
        if (item.isEmpty())
            continue;
        if (!IsLinkText(item)) {
            scan.badItem = true;
            scan.badText = std::move(item);
            break;
        }
        scan.links.append(std::move(item));
    }
    return scan;
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
