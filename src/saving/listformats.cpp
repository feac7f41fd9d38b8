#include "saving/listformats.h"

#include "saving/targetnames.h"

namespace tv {

namespace {

// A tab in an aria2 input line separates mirrors, a line break ends the entry.
QString aria2Line(QString url)
{
    url.replace(u'\t', QStringLiteral("%09"));
    url.replace(u'\r', QStringLiteral("%0D"));
    url.replace(u'\n', QStringLiteral("%0A"));
    return url;
}

QString csvField(const QString &value)
{
    // A spreadsheet runs a cell starting with one of these as a formula: a
    // hostile page's link text must stay text.
    QString field = value;
    if (!field.isEmpty() && QStringLiteral("=+-@").contains(field.front()))
        field.prepend(u'\'');
    if (!field.contains(u',') && !field.contains(u'"') && !field.contains(u'\r') && !field.contains(u'\n'))
        return field;
    field.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + field + u'"';
}

} // namespace

QList<ListEntry> listEntries(const QStringList &urls, const QStringList &pages, const QStringList &texts)
{
    QList<ListEntry> entries;
    entries.reserve(urls.size());
    for (qsizetype i = 0; i < urls.size(); ++i)
        entries.append({urls.at(i), texts.value(i), pages.value(i)});
    return entries;
}

const QList<ListFormatInfo> &listFormats()
{
    static const QList<ListFormatInfo> formats = {
        {ListFormat::Aria2Input, QStringLiteral("aria2 input file"),
         QStringLiteral("aria2 input files (*.txt)|*.txt|All Files (*.*)|*.*"), QStringLiteral(".txt")},
        {ListFormat::Csv, QStringLiteral("CSV (url,text)"), QStringLiteral("CSV files (*.csv)|*.csv|All Files (*.*)|*.*"),
         QStringLiteral(".csv")},
        {ListFormat::Html, QStringLiteral("HTML page of links"),
         QStringLiteral("HTML pages (*.html;*.htm)|*.html;*.htm|All Files (*.*)|*.*"), QStringLiteral(".html")},
    };
    return formats;
}

QByteArray formatList(ListFormat format, const QList<ListEntry> &entries)
{
    QString out;
    switch (format) {
    case ListFormat::Aria2Input:
        for (const ListEntry &e : entries) {
            out += aria2Line(e.url) + QStringLiteral("\n  out=") + TargetFileName(e.url) + u'\n';
            if (!e.page.isEmpty())
                out += QStringLiteral("  referer=") + aria2Line(e.page) + u'\n';
        }
        break;
    case ListFormat::Csv:
        out = QStringLiteral("url,text\r\n");
        for (const ListEntry &e : entries)
            out += csvField(e.url) + u',' + csvField(e.text) + QStringLiteral("\r\n");
        break;
    case ListFormat::Html:
        out = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Links</title></head>\n"
                             "<body>\n<ol>\n");
        for (const ListEntry &e : entries) {
            const QString url = e.url.toHtmlEscaped();
            out += QStringLiteral("<li><a href=\"") + url + QStringLiteral("\">") +
                   (e.text.isEmpty() ? url : e.text.toHtmlEscaped()) + QStringLiteral("</a></li>\n");
        }
        out += QStringLiteral("</ol>\n</body></html>\n");
        break;
    }
    return out.toUtf8();
}

ListExportResult ExportList(const QString &path, ListFormat format, const QList<ListEntry> &entries)
{
    return WriteFileSafely(path, formatList(format, entries));
}

} // namespace tv
