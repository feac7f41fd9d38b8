#pragma once

#include "platform/browser.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace tv {

// One address found on a page and the text that names it there (empty when
// it has none).
struct HarvestedLink
{
    QString url;
    QString text;
};

// Collects the new addresses of a document and of its frames, depth first,
// for a list that already holds `listed`: "%20" becomes a blank, an address
// equal (exactly) to one listed or already collected is skipped, and with
// filter extensions given only matching addresses are kept. At most `room`
// addresses are collected; the rest are counted as left out.
class LinkHarvest
{
public:
    LinkHarvest(const QStringList &listed, qsizetype room, QStringList filterExtensions = {});

    // The links of `doc` in document order, then each readable frame in turn.
    void walk(const HtmlDocument &doc);

    const QStringList &added() const { return m_added; }
    // The added addresses, each with the text of its first occurrence.
    QList<HarvestedLink> harvested() const;
    // Distinct new addresses that passed the filter but did not fit.
    qsizetype leftOut() const { return m_leftOut; }

    // The address as it is listed: every "%20" replaced by one blank.
    static QString listedForm(const QString &href);

private:
    void take(const QString &href, const QString &text);

    QSet<QString> m_seen;
    QStringList m_filters;
    QStringList m_added;
    QStringList m_texts;
    qsizetype m_room;
    qsizetype m_leftOut = 0;
};

} // namespace tv
