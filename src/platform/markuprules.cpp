#include "platform/markuprules.h"

#include <QUrl>

namespace tv {

QString linkText(QStringView raw)
{
    QString text = raw.toString().simplified();
    // A page's script may leave half a character; it must not reach a tooltip or an export as one.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (text.at(i).isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    if (text.size() > MaxLinkText) {
        text.truncate(text.at(MaxLinkText).isLowSurrogate() ? MaxLinkText - 1 : MaxLinkText);
        if (text.endsWith(u' '))
            text.chop(1); // a cut just after a word
    }
    return text;
}

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// The number before the descriptor's last letter, or -1 when it is none.
double descriptorValue(QStringView token)
{
    bool ok = false;
    const double v = token.chopped(1).toDouble(&ok);
    return ok && v > 0 ? v : -1;
}

} // namespace

QStringView largestSrcsetCandidate(QStringView s)
{
    QStringView byWidth, byDensity;
    double bestWidth = -1, bestDensity = -1;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && (isBlank(s[i]) || s[i] == u','))
            ++i;
        const qsizetype start = i;
        while (i < n && !isBlank(s[i]))
            ++i;
        QStringView url = s.sliced(start, i - start);
        double width = -1, density = -1;
        if (url.endsWith(u',')) {
            while (url.endsWith(u','))
                url.chop(1);
        } else {
            // Descriptors run to the next comma outside parentheses.
            const qsizetype from = i;
            int depth = 0;
            for (; i < n && (depth > 0 || s[i] != u','); ++i) {
                if (s[i] == u'(')
                    ++depth;
                else if (s[i] == u')' && depth > 0)
                    --depth;
            }
            const QString descriptors = s.sliced(from, i - from).toString().simplified();
            for (const QStringView t : QStringView(descriptors).tokenize(u' ', Qt::SkipEmptyParts)) {
                if (t.endsWith(u'w'))
                    width = descriptorValue(t);
                else if (t.endsWith(u'x'))
                    density = descriptorValue(t);
            }
        }
        if (url.isEmpty())
            continue;
        if (width > bestWidth)
            bestWidth = width, byWidth = url;
        const double d = density > 0 ? density : 1;
        if (d > bestDensity)
            bestDensity = d, byDensity = url;
    }
    return bestWidth > 0 ? byWidth : byDensity;
}

QString srcsetAddress(QStringView srcset, const QString &base)
{
    const QStringView candidate = largestSrcsetCandidate(srcset);
    if (candidate.isEmpty())
        return {};
    const QUrl url = QUrl(base).resolved(QUrl(candidate.toString()));
    const QString scheme = url.scheme();
    if (!url.isValid() || scheme == QLatin1String("data") || scheme == QLatin1String("blob"))
        return {};
    return url.toString(QUrl::FullyEncoded);
}

} // namespace tv
