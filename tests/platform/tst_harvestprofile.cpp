// Which harvest profiles left by killed programs a later start removes.
#include "platform/harvestprofile.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>

#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>

class TestHarvestProfile : public QObject
{
    Q_OBJECT

private slots:
    void staleFoldersRemoved()
    {
        QTemporaryDir temp;
        const QByteArray savedTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(temp.path()));

        QProcess ended;
        ended.start(QStringLiteral("true"), {});
        QVERIFY(ended.waitForFinished());
        const QString host = QSysInfo::machineHostName();
        const QString me = QString::number(QCoreApplication::applicationPid());
        const QString gone = QString::number(ended.processId());
        struct Case
        {
            QString name;
            QString lock; // "" for none
            bool old;
            bool removed;
        };
        const QList<Case> cases{
            {"tallyvane-harvest-killed", host + u'-' + gone, false, true},
            {"tallyvane-harvest-running", host + u'-' + me, false, false},
            {"tallyvane-harvest-other-machine", "elsewhere-" + gone, false, false},
            {"tallyvane-harvest-starting", {}, false, false},
            {"tallyvane-harvest-abandoned", {}, true, true},
            {"somebody-else", host + u'-' + gone, true, false},
        };
        QDir dir(temp.path());
        for (const Case &c : cases) {
            QVERIFY(dir.mkdir(c.name));
            if (!c.lock.isEmpty())
                QVERIFY(QFile::link(c.lock, dir.filePath(c.name + "/SingletonLock")));
            if (c.old) {
                const timespec dayAgo{::time(nullptr) - 86400, 0};
                const timespec times[2] = {dayAgo, dayAgo};
                QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(dir.filePath(c.name)).constData(), times, 0), 0);
            }
        }
        const int removed = tv::harvestprofile::removeStale();
        qputenv("TMPDIR", savedTemp);
        for (const Case &c : cases)
            QVERIFY2(dir.exists(c.name) != c.removed, qPrintable(c.name));
        QCOMPARE(removed, 2);
    }
};

TV_TEST_MAIN(TestHarvestProfile)
#include "tst_harvestprofile.moc"
