#pragma once

// "Export list...": the list in formats other programs read.

#include "saving/listexport.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tv {

// One entry of the list as the exports see it.
struct ListEntry
{
    QString url;
    QString text;   // the link's text on its page; empty for other sources
    QString page;   // the page it was found on; empty for other sources
};

// Entries from the list's addresses and, beside them, the pages they were
// found on and their texts there.
QList<ListEntry> listEntries(const QStringList &urls, const QStringList &pages, const QStringList &texts = {});

enum class ListFormat { Aria2Input, Csv, Html };

struct ListFormatInfo
{
    ListFormat format;
    QString name;       // as the format choice shows it
    QString filter;     // for the save dialog, "description|pattern"
    QString extension;  // added to a chosen name that has none, with its dot
};
const QList<ListFormatInfo> &listFormats();

// aria2 input file: each link, then indented "out=" with the name a saved
// target would get (and "referer=" when the link was found on a page).
// CSV: "url,text" with RFC 4180 quoting and CR LF. HTML: a page of links.
// All UTF-8.
QByteArray formatList(ListFormat format, const QList<ListEntry> &entries);

// Writes the list in that format; an earlier file is replaced only once the
// new one is complete.
ListExportResult ExportList(const QString &path, ListFormat format, const QList<ListEntry> &entries);

} // namespace tv
