#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

class QFile;
class QIODevice;

namespace tv {

// Cuts a link list file into items, reading it a piece at a time so that
// memory stays the same whatever the file's size. Items end at a comma or
// at a line end (CR LF, LF or a lone CR). Blanks before an item are skipped;
// an item that starts with a double quote runs to the next double quote on
// its line, commas included, and whatever follows up to the next separator
// is dropped. Empty items are returned as empty. A UTF-8 byte order mark at
// the start is skipped, however the device hands out the first bytes.
class LinkFileReader
{
public:
    // No address a web server accepts comes near this (their limits lie
    // between 8 and 16 KiB); a longer item is refused unread.
    static constexpr qsizetype MaxItemLength = 32 * 1024;

    enum class Result { Item, TooLong, End, ReadError };

    explicit LinkFileReader(QIODevice &device) : m_device(device) {}

    // The next item's bytes. TooLong leaves the item's first
    // MaxItemLength + 1 bytes in `item`; reading cannot go on after it.
    Result next(QByteArray &item);
    qint64 bytesRead() const { return m_read; }

private:
    bool more();
    // Reads up to the end of a plain or quoted run, keeping it or not.
    void collectUntil(QByteArray &item, bool quoted, bool keep);

    QIODevice &m_device;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qint64 m_read = 0;
    bool m_started = false;
    bool m_end = false;
    bool m_error = false;
};

// What the import takes from a link list file: its links in order, up to
// the first non-empty item that is not a link. Items are UTF-8; an item
// that is not valid UTF-8 is taken as Latin-1 (that item alone), so each of
// its bytes still becomes a character.
struct LinkFileScan
{
    QStringList links;        // the links kept, at most the room given
    qsizetype leftOut = 0;    // further links for which there was no room
    bool badItem = false;     // stopped at an item that is no link, or too long
    QString badText;
    bool latin1Fallback = false; // some item was taken as Latin-1
    bool readError = false;
};

struct LinkFileScanHooks
{
    // Called once, when the first link is found; answers how many links may
    // be kept. Without it there is no limit.
    std::function<qsizetype()> firstLink;
    // Called now and then with the bytes read so far.
    std::function<void(qint64)> progress;
};

LinkFileScan scanLinkFile(QIODevice &device, const LinkFileScanHooks &hooks = {});

// Opens a file for the import only when it is a regular file: a FIFO would
// block and a device might never end. False with the reason otherwise.
bool openRegularFile(QFile &file, QString *why);

// The lines of clipboard text that are links, in order, duplicates kept,
// read as a file is: lines end at CR LF, LF or a lone CR; a line over the
// file's item bound is no link; at most the room `firstLink` answers is kept
// and the rest counted. Lines are neither trimmed nor cut at commas, and a
// line that is no link is skipped (badItem stays false).
LinkFileScan scanClipboardText(QStringView text, const LinkFileScanHooks &hooks = {});

} // namespace tv
