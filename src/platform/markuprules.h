#pragma once

// Rules for what a page's markup says of its links and images.

#include <QString>
#include <QStringView>

namespace tv {

// A link's text at most this long.
inline constexpr qsizetype MaxLinkText = 1000;

// Whitespace trimmed and collapsed to single blanks, then cut to
// MaxLinkText (never inside a surrogate pair).
QString linkText(QStringView raw);

// The address of the largest candidate of a srcset attribute: the widest by
// its "w" descriptor, else the densest by "x" (none counts as 1x), the first
// of equals; empty when it names none.
QStringView largestSrcsetCandidate(QStringView srcset);

// That candidate resolved against `base`; empty when there is none, or when
// it is a data: or blob: address.
QString srcsetAddress(QStringView srcset, const QString &base);

} // namespace tv
