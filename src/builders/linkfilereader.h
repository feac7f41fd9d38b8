#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace tv {

// The text of a link list file. Files are UTF-8; a file that is not valid
// UTF-8 is taken as Latin-1 as a whole, so every byte still becomes a
// character and no item is dropped or garbled into replacement marks.
struct DecodedText
{
    QString text;
    bool latin1Fallback = false;
};
DecodedText decodeListText(const QByteArray &bytes);

// Cuts the text of a link list file into items. Items end at a comma or at
// a line end (CR LF, LF or a lone CR). Blanks before an item are skipped; an
// item that starts with a double quote runs to the next double quote on its
// line, commas included, and whatever follows up to the next separator is
// dropped. Empty items are returned as empty strings.
class LinkFileReader
{
public:
    explicit LinkFileReader(QStringView text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    QString next();

private:
    qsizetype separatorFrom(qsizetype from) const;
    void skipSeparator();

    QStringView m_text;
    qsizetype m_pos = 0;
};

// The links of a link list file, in order, up to the first non-empty item
// that is not a link.
struct LinkFileScan
{
    QStringList links;
    bool badItem = false;
    QString badText;
};
LinkFileScan scanLinkFile(QStringView text);

// Clipboard text cut into lines at CR LF and at LF; a lone CR stays in its
// line. A line end at the very end gives no further empty line.
QStringList splitClipboardLines(QStringView text);
// The clipboard lines that are links, in order, duplicates kept.
QStringList clipboardLinks(QStringView text);

} // namespace tv
