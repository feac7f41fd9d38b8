#include "builders/sequencelist.h"

#include "builders/linkfilereader.h"

#include <algorithm>

namespace tv {

QString SequenceList::Pattern(qsizetype width)
{
    return QString(width, u'0');
}

QString SequenceList::Format(qint64 n, const QString &pattern)
{
    return QString::number(n).rightJustified(pattern.size(), u'0');
}

QStringList SequenceList::NumberList(const QString &pattern)
{
    QStringList list;
    list.reserve(NumberListSize);
    for (int n = 1; n <= NumberListSize; ++n)
        list.append(Format(n, pattern));
    return list;
}

int SequenceList::OnlyNum(int keyAscii)
{
    if (keyAscii == 8 || (keyAscii >= '0' && keyAscii <= '9'))
        return keyAscii;
    return 0;
}

std::optional<qint32> SequenceList::ParseNumber(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > MaxNumber)
            return std::nullopt;
    }
    return qint32(value);
}

QString SequenceList::message(Check check)
{
    switch (check) {
    case Check::Ok:
        break;
    case Check::NoSelection:
        return QStringLiteral("Please select a portion of the URL in place of which to insert the sequential digits.");
    case Check::BadStart:
        return QStringLiteral("The Start # must be a whole number from 0 to %1, written with digits only.").arg(MaxNumber);
    case Check::BadEnd:
        return QStringLiteral("The End # must be a whole number from 0 to %1, written with digits only.").arg(MaxNumber);
    case Check::TooLong:
        return QStringLiteral("The links of this run would be longer than %1 characters, the most a link may have.")
            .arg(LinkFileReader::MaxItemLength);
    }
    return {};
}

SequenceList::Check SequenceList::check() const
{
    // Compared without adding: a wide start and length must not overflow.
    if (selLength <= 0 || selStart < 0 || selStart > url.size() || selLength > url.size() - selStart)
        return Check::NoSelection;
    if (!ParseNumber(startText))
        return Check::BadStart;
    const auto last = ParseNumber(endText);
    if (!last)
        return Check::BadEnd;
    // A padded start can make every link of the run longer than a link may be.
    const qsizetype numberWidth = std::max(startText.size(), QString::number(*last).size());
    if (url.size() - selLength + numberWidth > LinkFileReader::MaxItemLength)
        return Check::TooLong;
    return Check::Ok;
}

qint64 SequenceList::count() const
{
    const auto first = ParseNumber(startText);
    const auto last = ParseNumber(endText);
    if (!first || !last || *first > *last)
        return 0;
    // 64-bit, so a run up to the largest number neither overflows nor loops.
    return qint64(*last) - qint64(*first) + 1;
}

QStringList SequenceList::links(qint64 limit) const
{
    QStringList result;
    const auto first = ParseNumber(startText);
    const qint64 n = std::min(count(), limit);
    if (!first || n <= 0)
        return result;
    const QString pattern = Pattern(startText.size());
    const QString prefix = url.left(selStart);
    const QString suffix = url.mid(selStart + selLength);
    result.reserve(n);
    for (qint64 i = 0; i < n; ++i)
        result.append(prefix + Format(qint64(*first) + i, pattern) + suffix);
    return result;
}

} // namespace tv
