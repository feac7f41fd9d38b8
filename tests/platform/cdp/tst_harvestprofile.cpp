// Which harvest profiles left by killed programs a later start removes.
#include "platform/cdp/harvestprofile.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>

#include <ctime>
#include <tuple>

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
        // name, the target of its lock ("" for none), a day old, removed
        const std::tuple<QString, QString, bool, bool> cases[] = {
            {"tallyvane-harvest-killed", host + u'-' + gone, false, true},
            {"tallyvane-harvest-running", host + u'-' + me, false, false},
            {"tallyvane-harvest-other-machine", "elsewhere-" + gone, false, false},
            {"tallyvane-harvest-starting", {}, false, false},
            {"tallyvane-harvest-abandoned", {}, true, true},
            {"somebody-else", host + u'-' + gone, true, false},
        };
        QDir dir(temp.path());
        for (const auto &[name, lock, old, removed] : cases) {
            QVERIFY(dir.mkdir(name));
            if (!lock.isEmpty())
                QVERIFY(QFile::link(lock, dir.filePath(name + "/SingletonLock")));
            const timespec dayAgo{::time(nullptr) - 86400, 0};
            const timespec times[2] = {dayAgo, dayAgo};
            if (old)
                QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(dir.filePath(name)).constData(), times, 0), 0);
        }
        const int removed = tv::harvestprofile::removeStale();
        qputenv("TMPDIR", savedTemp);
        for (const auto &[name, lock, old, removed] : cases)
            QVERIFY2(dir.exists(name) != removed, qPrintable(name));
        QCOMPARE(removed, 2);
    }
};

TV_TEST_MAIN(TestHarvestProfile)
#include "tst_harvestprofile.moc"
