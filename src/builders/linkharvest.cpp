#include "builders/linkharvest.h"

#include "builders/filters.h"

namespace tv {

LinkHarvest::LinkHarvest(const QStringList &listed, qsizetype room, QStringList filterExtensions)
    : m_filters(std::move(filterExtensions)), m_room(std::max<qsizetype>(0, room))
{
    m_seen.reserve(listed.size());
    for (const QString &entry : listed)
        m_seen.insert(entry);
}

QString LinkHarvest::listedForm(const QString &href)
{
    // A blank cannot take part in a new "%20", so one pass replaces them all.
    QString address = href;
    address.replace(QStringLiteral("%20"), QStringLiteral(" "));
    return address;
}

QList<HarvestedLink> LinkHarvest::harvested() const
{
    QList<HarvestedLink> links;
    links.reserve(m_added.size());
    for (qsizetype i = 0; i < m_added.size(); ++i)
        links.append({m_added.at(i), m_texts.at(i)});
    return links;
}

void LinkHarvest::take(const QString &href, const QString &text)
{
    const QString address = listedForm(href);
    if (m_seen.contains(address))
        return;
    if (!m_filters.isEmpty() && !Filters::matches(address, m_filters))
        return;
    m_seen.insert(address);
    if (m_added.size() < m_room) {
        m_added.append(address);
        m_texts.append(text);
    } else
        ++m_leftOut;
}

void LinkHarvest::walk(const HtmlDocument &doc)
{
    for (qsizetype i = 0; i < doc.links.size(); ++i)
        take(doc.links.at(i), doc.texts.value(i));
    for (const HtmlDocumentPtr &frame : doc.frames) {
        // A frame that could not be read keeps its place empty.
        if (frame)
            walk(*frame);
    }
}

} // namespace tv
