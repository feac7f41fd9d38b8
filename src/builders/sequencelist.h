#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tv {

// The rules of the sequential list builder, without its dialog: the zero
// pattern, the two number lists, the digits-only key filter and the run of
// numbered links.
class SequenceList
{
public:
    // Entries of the Start # and End # lists: 1 to NumberListSize.
    static constexpr int NumberListSize = 500;
    // The largest number the boxes accept (the 32-bit counter's limit).
    static constexpr qint32 MaxNumber = 2147483647;

    // As many zeros as the text that gives the width has characters.
    static QString Pattern(qsizetype width);
    // n with at least pattern-length digits, zeros on the left; never cut.
    static QString Format(qint64 n, const QString &pattern);
    // 1 to 500, each formatted with the pattern.
    static QStringList NumberList(const QString &pattern);
    // Backspace and 0 to 9 pass, every other key code becomes 0 (swallowed).
    static int OnlyNum(int keyAscii);
    // A Start # or End # text as a number: digits only (leading zeros
    // allowed), at most MaxNumber; nothing for anything else.
    static std::optional<qint32> ParseNumber(const QString &text);

    enum class Check { Ok, NoSelection, BadStart, BadEnd, TooLong };
    // The message for a refused build, empty for Ok.
    static QString message(Check check);

    // The URL template with the part to replace (selection in characters).
    QString url;
    int selStart = 0;
    int selLength = 0;
    QString startText;
    QString endText;

    Check check() const;
    // How many links the run gives; 0 when the start is above the end.
    qint64 count() const;
    // The first `limit` links of the run, in ascending order. Call only after
    // check() gave Ok.
    QStringList links(qint64 limit) const;
};

} // namespace tv
