// A settings file edited by hand or damaged: the store reads it without
// harm, the readers of its values take any text, and the key order used for
// sections is a strict weak ordering over whatever keys and values it holds.

#include "fuzzsupport.h"

#include "settings/settingsstore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <cmath>

namespace {

QTemporaryDir &configHome()
{
    static QTemporaryDir dir;
    return dir;
}

// Irreflexive, asymmetric, transitive, and with incomparability transitive.
void checkOrdering(const QStringList &texts)
{
    const qsizetype n = std::min<qsizetype>(texts.size(), 12);
    const auto less = [&](qsizetype i, qsizetype j) { return tv::naturalLess(texts.at(i), texts.at(j)); };
    for (qsizetype a = 0; a < n; ++a) {
        FUZZ_CHECK(!less(a, a));
        for (qsizetype b = 0; b < n; ++b) {
            FUZZ_CHECK(!(less(a, b) && less(b, a)));
            for (qsizetype c = 0; c < n; ++c) {
                if (less(a, b) && less(b, c))
                    FUZZ_CHECK(less(a, c));
                const bool ab = !less(a, b) && !less(b, a);
                const bool bc = !less(b, c) && !less(c, b);
                if (ab && bc)
                    FUZZ_CHECK(!less(a, c) && !less(c, a));
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Never the user's own settings.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome().path()));
    fuzz::ensureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tv::CRegSettings store;
    store.setCompany(QStringLiteral("Fuzz"));
    const QString path = store.fileName();
    QDir().mkpath(QFileInfo(path).absolutePath());
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char *>(data), qint64(size));
        // The store keeps a file read until its time or size changes.
        static qint64 run = 0;
        file.setFileTime(QDateTime::fromSecsSinceEpoch(++run), QFileDevice::FileModificationTime);
    }

    QStringList sections{QString(), QStringLiteral("Options"), QStringLiteral("Browser"), QStringLiteral("File Types")};
    sections += QSettings(path, QSettings::IniFormat).childGroups().mid(0, 8);
    QStringList texts;
    for (const QString &section : std::as_const(sections)) {
        for (const auto &[key, value] : store.GetAllSettings(section)) {
            FUZZ_CHECK(store.GetSetting(section, key.isEmpty() ? QStringLiteral("*") : key) == value);
            texts << key << value;
        }
    }
    texts += QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)).split(u'\n');
    for (const QString &text : std::as_const(texts)) {
        const qint32 number = tv::numberSetting(text, -5, 120, 7);
        FUZZ_CHECK(number == 7 || (number >= -5 && number <= 120));
        tv::booleanText(text, true);
    }
    checkOrdering(texts);
    return 0;
}
