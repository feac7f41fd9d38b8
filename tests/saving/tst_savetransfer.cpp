// Saving link targets from a real HTTP server on 127.0.0.1 into a temporary
// folder: every fault ends in an error or a complete file, never a wrong one.
#include "saving/savetransfer.h"
#include "saving/targetnames.h"
#include "support/httpserver.h"
#include "support/testenv.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>

#include <algorithm>
#include <csignal>
#include <memory>
#include <cstring>

#include <sys/resource.h>

using tvtest::HttpServer;
using End = HttpServer::Response::End;

Q_DECLARE_METATYPE(tv::ExistsAnswer)

using tvtest::readFile;
using tvtest::writeFile;

namespace {

HttpServer::Response redirectTo(const QByteArray &location)
{
    HttpServer::Response r{302, "text/html", "moved"};
    r.headers.append({"Location", location});
    return r;
}

} // namespace

class TestSaveTransfer : public QObject
{
    Q_OBJECT

    HttpServer m_server;
    QNetworkAccessManager m_network;

    struct Run
    {
        QList<tv::DownloadResult> failures;
        bool finished = false;
        bool error = false;
    };
    // Saves the links into `folder` and waits for the end.
    Run save(const QStringList &links, const QString &folder, qint32 owaction,
             std::function<tv::ExistsAnswer(const QString &)> ask = {}, std::function<void()> plant = {})
    {
        Run run;
        tv::SaveTransfer transfer(&m_network, links, folder, owaction);
        transfer.setStallTimeout(StallMs);
        transfer.setRetryBaseMs(20);
        transfer.askExists = std::move(ask);
        if (plant)
            connect(&transfer, &tv::SaveTransfer::fileStarted, this, plant);
        connect(&transfer, &tv::SaveTransfer::fileFailed, this, [&](const tv::DownloadResult &r) { run.failures << r; });
        connect(&transfer, &tv::SaveTransfer::finished, this, [&](bool error) {
            run.finished = true;
            run.error = error;
        });
        transfer.start();
        if (!QTest::qWaitFor([&] { return run.finished; }, 10000))
            qWarning("transfer did not end");
        return run;
    }

    static constexpr int StallMs = 500;

    static QStringList temporaries(const QString &folder)
    {
        return QDir(folder).entryList({".tallyvane-*"}, QDir::Files | QDir::Hidden);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.listen());
        m_server.route("/good.txt", {200, "text/plain", "good body"});
        m_server.route("/r2", redirectTo("/good.txt"));
        m_server.route("/loop", redirectTo("/loop"));
    }

    void faults_data()
    {
        QTest::addColumn<HttpServer::Response>("response");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("error"); // "" when the file is saved
        QTest::addColumn<QByteArray>("saved");
        const QByteArray body(64 * 1024, 'b');
        HttpServer::Response noLength{200, "text/plain", body};
        noLength.omitLength = true;
        HttpServer::Response tooLong{200, "text/plain", "0123456789"};
        tooLong.declaredLength = 100;
        HttpServer::Response reset{200, "application/octet-stream", body};
        reset.cutAfter = 20000;
        reset.end = End::Reset;
        HttpServer::Response closed = reset;
        closed.end = End::Close;
        HttpServer::Response silent = reset;
        silent.cutAfter = 10;
        silent.end = End::Hold;
        const QByteArray gzipped("\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\xff\x2b\xc8\x49\xcc\xcc\x53\x28\x49\xad\x28"
                                 "\x51\x28\xc9\x48\x2c\x51\x28\x4f\x2c\x56\x28\x4e\xcd\x2b\x51\x48\xce\xcf\x2d\x28"
                                 "\x4a\x2d\x2e\x4e\x4d\xe1\x2a\x18\x55\x33\xaa\x66\x88\xa8\x01\x00\x0d\x8a\xaf\x3d"
                                 "\xd0\x02\x00\x00", 64);
        HttpServer::Response compressed{200, "text/plain", gzipped};
        compressed.headers.append(qMakePair(QByteArray("Content-Encoding"), QByteArray("gzip")));
        QTest::newRow("complete") << HttpServer::Response{200, "text/plain", body} << "/f.bin" << "" << body;
        QTest::newRow("no-content-length") << noLength << "/f.bin" << "" << body;
        QTest::newRow("empty-body") << HttpServer::Response{200, "text/plain", ""} << "/f.bin" << "" << QByteArray();
        QTest::newRow("404") << HttpServer::Response{404, "text/html", "gone"} << "/f.bin" << "ErrorCode: 404 : Not Found"
                             << QByteArray();
        QTest::newRow("500") << HttpServer::Response{500, "text/html", "oops"} << "/f.bin"
                             << "ErrorCode: 500 : Internal Server Error" << QByteArray();
        QTest::newRow("length-mismatch") << tooLong << "/f.bin" << "ErrorCode: 2 :" << QByteArray();
        QTest::newRow("closed-mid-body") << closed << "/f.bin" << "ErrorCode: 2 :" << QByteArray();
        QTest::newRow("reset-mid-body") << reset << "/f.bin" << "ErrorCode:" << QByteArray();
        QTest::newRow("redirect-chain-named-by-link") << redirectTo("/r2") << "/r1.txt" << "" << QByteArray("good body");
        QTest::newRow("silent-after-10-bytes") << silent << "/f.bin" << "ErrorCode: 4 : The server sent nothing for 0.5 seconds"
                                              << QByteArray();
        QTest::newRow("gzip-decoded") << compressed << "/f.txt" << "" << QByteArray("plain text that was sent compressed\n").repeated(20);
        QTest::newRow("gzip-kept-for-gz-name") << compressed << "/f.txt.gz" << "" << gzipped;
        QTest::newRow("file-scheme-refused") << compressed << "file:///etc/hostname.txt"
                                             << "\"file:///etc/hostname.txt\" was not saved: Tallyvane saves only web addresses"
                                             << QByteArray();
        QTest::newRow("data-scheme-refused") << compressed << "data:text/plain,x.txt" << "\"data:text/plain,x.txt\" was not saved"
                                             << QByteArray();
        QTest::newRow("redirect-loop") << redirectTo("/loop") << "/f.bin" << "ErrorCode: 10 : Too many redirects" << QByteArray();
    }
    void faults()
    {
        QFETCH(HttpServer::Response, response);
        QFETCH(QString, path);
        QFETCH(QString, error);
        QFETCH(QByteArray, saved);
        const QString link = path.contains(u':') ? path : m_server.url(path);
        m_server.route(path, response);
        QTemporaryDir dir;
        const QString target = dir.filePath(tv::TargetFileName(link));
        QVERIFY(writeFile(target, "old file"));
        // The second link shows that the transfer goes on after a failure.
        const Run run = save({link, m_server.url("/good.txt")}, dir.path(), tv::OwOverwrite);
        QVERIFY(run.finished);
        QCOMPARE(run.error, !error.isEmpty());
        QCOMPARE(readFile(dir.filePath("good.txt")), QByteArray("good body"));
        if (error.isEmpty()) {
            QVERIFY(run.failures.isEmpty());
            QCOMPARE(readFile(target), saved);
        } else {
            QCOMPARE(run.failures.size(), 1);
            const QString text = tv::DownloadErrorText(run.failures.first());
            QVERIFY2(text.startsWith(error), qPrintable(text));
            QCOMPARE(readFile(target), QByteArray("old file")); // never replaced by a failure
        }
        QCOMPARE(temporaries(dir.path()), QStringList());
    }

    // Links planted by another user of the folder: never written through.
    void plantedLinks_data()
    {
        QTest::addColumn<QString>("at");       // the name the link is planted at
        QTest::addColumn<bool>("live");        // pointing at an existing file, else dangling
        QTest::addColumn<bool>("during");      // planted while the body arrives, else before
        QTest::addColumn<qint32>("owaction");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("body");     // the name holding the body afterwards, "" none
        QTest::newRow("dangling-overwrite-replaces-link") << "x.bin" << false << false << qint32(tv::OwOverwrite) << false << "x.bin";
        QTest::newRow("live-overwrite-replaces-link") << "x.bin" << true << false << qint32(tv::OwOverwrite) << false << "x.bin";
        QTest::newRow("dangling-is-taken-skip") << "x.bin" << false << false << qint32(tv::OwSkip) << false << "";
        QTest::newRow("dangling-is-taken-unique") << "x.bin" << false << false << qint32(tv::OwUnique) << false << "x(1).bin";
        QTest::newRow("planted-during-download") << "x.bin" << false << true << qint32(tv::OwUnique) << false << "";
        QTest::newRow("dangling-at-part-name") << "x.bin.part" << false << false << qint32(tv::OwOverwrite) << true << "x(1).bin.part";
        QTest::newRow("live-at-part-name") << "x.bin.part" << true << false << qint32(tv::OwOverwrite) << true << "x(1).bin.part";
    }
    void plantedLinks()
    {
        QFETCH(QString, at);
        QFETCH(bool, live);
        QFETCH(bool, during);
        QFETCH(qint32, owaction);
        QFETCH(bool, cancel);
        QFETCH(QString, body);
        HttpServer::Response response{200, "application/octet-stream", QByteArray(40000, 'x')};
        if (cancel) {
            response.cutAfter = 20000;
            response.end = End::Hold;
        }
        m_server.route("/x.bin", response);
        QTemporaryDir dir, elsewhere;
        const QString victim = elsewhere.filePath("victim");
        if (live)
            QVERIFY(writeFile(victim, "victim"));
        const auto plant = [&] { QVERIFY(QFile::link(victim, dir.filePath(at))); };
        if (!during)
            plant();
        if (cancel) {
            tv::SaveTransfer transfer(&m_network, {m_server.url("/x.bin")}, dir.path(), owaction);
            transfer.start();
            QTRY_COMPARE_WITH_TIMEOUT(transfer.download().received(), qint64(20000), 10000);
            transfer.cancel();
        } else {
            const Run run = save({m_server.url("/x.bin")}, dir.path(), owaction, {}, during ? std::function<void()>(plant)
                                                                                           : std::function<void()>());
            QVERIFY(run.finished);
            QCOMPARE(run.error, body.isEmpty() && during);
        }
        QCOMPARE(readFile(victim), live ? QByteArray("victim") : QByteArray("<missing>"));
        QCOMPARE(QFileInfo(dir.filePath(at)).isSymLink(), at != body);
        if (!body.isEmpty())
            QCOMPARE(readFile(dir.filePath(body)).size(), cancel ? 20000 : 40000);
        QCOMPARE(temporaries(dir.path()), QStringList());
    }

    // A full disk and a file-size limit end a write the same way.
    void writeFailureGivesSystemReason()
    {
        m_server.route("/big.bin", {200, "application/octet-stream", QByteArray(300000, 'b')});
        QTemporaryDir dir;
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 100000;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const Run run = save({m_server.url("/big.bin")}, dir.path(), tv::OwOverwrite);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldSignal);
        QCOMPARE(run.failures.size(), 1);
        QCOMPARE(tv::DownloadErrorText(run.failures.first()),
                 QStringLiteral("ErrorCode: %1 : Cannot write \"%2\": %3")
                     .arg(EFBIG)
                     .arg(dir.filePath("big.bin"), QString::fromLocal8Bit(strerror(EFBIG))));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // Failures that may pass are tried again; the script answers in turn.
    void retries_data()
    {
        QTest::addColumn<QList<HttpServer::Response>>("script");
        QTest::addColumn<QString>("error"); // "" when the file is saved
        QTest::addColumn<int>("requests");
        QTest::addColumn<QByteArray>("saved");
        const HttpServer::Response ok{200, "text/plain", "body"};
        const HttpServer::Response busy{503, "text/plain", "busy"};
        HttpServer::Response tooMany{429, "text/plain", "slow down"};
        tooMany.headers.append(qMakePair(QByteArray("Retry-After"), QByteArray("1")));
        HttpServer::Response longWait = busy;
        longWait.headers.append(qMakePair(QByteArray("Retry-After"), QByteArray("600")));
        HttpServer::Response dated = busy;
        dated.headers.append(qMakePair(QByteArray("Retry-After"), QByteArray("Wed, 21 Oct 2015 07:28:00 GMT")));
        HttpServer::Response silent{200, "text/plain", "body"};
        silent.cutAfter = 0;
        silent.end = End::Hold;
        const QByteArray b = "body";
        QTest::newRow("429-retry-after-1-then-200") << QList{tooMany, ok} << "" << 2 << b;
        QTest::newRow("503-three-times-then-200") << QList{busy, busy, busy, ok} << "" << 4 << b;
        QTest::newRow("503-four-times-is-503") << QList{busy, busy, busy, busy} << "ErrorCode: 503 : Service Unavailable" << 4 << b;
        QTest::newRow("retry-after-past-date-at-once") << QList{dated, ok} << "" << 2 << b;
        QTest::newRow("retry-after-too-long") << QList{longWait, ok} << "ErrorCode: 503 : Service Unavailable (the server asks to wait 600 seconds" << 1 << b;
        QTest::newRow("404-at-once") << QList{HttpServer::Response{404, "text/html", "gone"}, ok} << "ErrorCode: 404" << 1 << b;
        QTest::newRow("silent-server-retried") << QList{silent, ok} << "" << 2 << b;
        // Resume: the first answer breaks off after 20000 of 50000 bytes.
        QByteArray whole(50000, Qt::Uninitialized);
        for (int i = 0; i < whole.size(); ++i)
            whole[i] = char(i * 7);
        const auto tagged = [](HttpServer::Response r, const QByteArray &etag) {
            r.headers.append(qMakePair(QByteArray("ETag"), etag));
            return r;
        };
        HttpServer::Response broken = tagged({200, "application/octet-stream", whole}, "\"v1\"");
        broken.cutAfter = 20000;
        broken.end = End::Reset;
        HttpServer::Response rest = tagged({206, "application/octet-stream", whole.mid(20000)}, "\"v1\"");
        rest.headers.append(qMakePair(QByteArray("Content-Range"), QByteArray("bytes 20000-49999/50000")));
        QTest::newRow("reset-mid-body-then-206-appends") << QList{broken, rest} << "" << 2 << whole;
        QTest::newRow("range-ignored-200-starts-over")
            << QList{broken, tagged({200, "application/octet-stream", whole}, "\"v1\"")} << "" << 2 << whole;
        QTest::newRow("changed-etag-200-replaces")
            << QList{broken, tagged({200, "application/octet-stream", "new"}, "\"v2\"")} << "" << 2 << QByteArray("new");
        // The connection ends as if more were to come; the part is the whole file.
        HttpServer::Response short_ = tagged({200, "application/octet-stream", whole}, "\"v1\"");
        short_.declaredLength = 60000;
        HttpServer::Response unsatisfiable = tagged({416, "text/plain", "no such range"}, "\"v1\"");
        unsatisfiable.headers.append(qMakePair(QByteArray("Content-Range"), QByteArray("bytes */50000")));
        QTest::newRow("416-naming-the-part-completes-it") << QList{short_, unsatisfiable} << "" << 2 << whole;
        HttpServer::Response wrongRange = rest;
        wrongRange.headers.last().second = "bytes 0-29999/50000";
        QTest::newRow("206-of-another-range-is-error") << QList{broken, wrongRange} << "ErrorCode: 399 : The server sent another part" << 2 << QByteArray();
    }
    void retries()
    {
        QFETCH(QList<HttpServer::Response>, script);
        QFETCH(QString, error);
        QFETCH(int, requests);
        QFETCH(QByteArray, saved);
        const QString path = QStringLiteral("/r/%1.txt").arg(QTest::currentDataTag());
        auto turn = std::make_shared<int>(0);
        m_server.route(path, [script, turn] { return script.value((*turn)++, script.last()); });
        QTemporaryDir dir;
        Run run;
        tv::SaveTransfer transfer(&m_network, {m_server.url(path)}, dir.path(), tv::OwOverwrite);
        transfer.setStallTimeout(500);
        transfer.setRetryBaseMs(20);
        QList<qint64> waits;
        connect(&transfer, &tv::SaveTransfer::fileWaiting, this, [&](int, qint64 ms) { waits << ms; });
        connect(&transfer, &tv::SaveTransfer::fileFailed, this, [&](const tv::DownloadResult &r) { run.failures << r; });
        connect(&transfer, &tv::SaveTransfer::finished, this, [&] { run.finished = true; });
        transfer.start();
        QTRY_VERIFY_WITH_TIMEOUT(run.finished, 20000);
        QCOMPARE(m_server.hits(path), requests);
        QCOMPARE(waits.size(), requests - 1);
        if (QByteArray(QTest::currentDataTag()).startsWith("429"))
            QCOMPARE(waits.first(), qint64(1000)); // the server's word, exactly
        if (error.isEmpty()) {
            QVERIFY(run.failures.isEmpty());
            QCOMPARE(readFile(dir.filePath(tv::TargetFileName(path))), saved);
            // The part went once the file was whole.
            QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{tv::TargetFileName(path)});
        } else {
            QCOMPARE(run.failures.size(), 1);
            QVERIFY2(tv::DownloadErrorText(run.failures.first()).startsWith(error),
                     qPrintable(tv::DownloadErrorText(run.failures.first())));
        }
    }

    // Several at once: names still given in list order, clashes settled so.
    void severalAtOnceNameInOrder()
    {
        auto slow = [](const QByteArray &body, int delay) {
            HttpServer::Response r{200, "text/plain", body};
            r.delayMs = delay;
            return r;
        };
        m_server.route("/1/x.jpg", slow("first", 300));
        m_server.route("/2/x.jpg", slow("second", 0));
        m_server.route("/3/y.jpg", slow("third", 200));
        m_server.route("/4/x.jpg", slow("fourth", 0));
        m_server.route("/5/z.jpg", slow("fifth", 0));
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("z.jpg"), "old"));
        QStringList links;
        for (const char *p : {"/1/x.jpg", "/2/x.jpg", "/3/y.jpg", "/4/x.jpg", "/5/z.jpg"})
            links << m_server.url(p);
        tv::SaveTransfer several(&m_network, links, dir.path(), tv::OwUnique);
        several.setSimultaneous(3);
        QList<int> started;
        int widest = 0;
        connect(&several, &tv::SaveTransfer::fileStarted, this, [&](int index) {
            started << index;
            widest = std::max(widest, int(several.inFlight().size()));
        });
        bool finished = false;
        connect(&several, &tv::SaveTransfer::finished, this, [&] { finished = true; });
        several.start();
        QTRY_VERIFY_WITH_TIMEOUT(finished, 10000);
        QCOMPARE(started, (QList<int>{1, 2, 3, 4, 5}));
        QCOMPARE(widest, 3);
        QCOMPARE(readFile(dir.filePath("x.jpg")), QByteArray("first"));
        QCOMPARE(readFile(dir.filePath("x(1).jpg")), QByteArray("second"));
        QCOMPARE(readFile(dir.filePath("y.jpg")), QByteArray("third"));
        QCOMPARE(readFile(dir.filePath("x(2).jpg")), QByteArray("fourth"));
        QCOMPARE(readFile(dir.filePath("z(3).jpg")), QByteArray("fifth"));
        QCOMPARE(several.saved(), 5);
    }

    // A request queued behind the 6 connections to a host is no silent server.
    void eightAtOnceToOneHostWaitUnstalled()
    {
        HttpServer::Response late{200, "application/octet-stream", "late"};
        late.delayMs = 1000;
        QStringList links;
        for (int i = 1; i <= 8; ++i) {
            m_server.route(QStringLiteral("/q/%1.bin").arg(i), late);
            links << m_server.url(QStringLiteral("/q/%1.bin").arg(i));
        }
        QTemporaryDir dir;
        tv::SaveTransfer transfer(&m_network, links, dir.path(), tv::OwOverwrite);
        transfer.setSimultaneous(8);
        transfer.setStallTimeout(1700);
        transfer.start();
        QTRY_COMPARE_WITH_TIMEOUT(transfer.saved(), 8, 20000);
        QCOMPARE(m_server.hits("/q/7.bin") + m_server.hits("/q/8.bin"), 2);
    }

    void cancelWithThreeInFlight()
    {
        HttpServer::Response held{200, "application/octet-stream", QByteArray(50000, 'p')};
        held.cutAfter = 30000;
        held.end = End::Hold;
        QStringList links;
        for (const char *p : {"/h/1.bin", "/h/2.bin", "/h/3.bin", "/h/4.bin"}) {
            m_server.route(p, held);
            links << m_server.url(p);
        }
        QTemporaryDir dir;
        tv::SaveTransfer transfer(&m_network, links, dir.path(), tv::OwOverwrite);
        transfer.setSimultaneous(3);
        QSignalSpy finished(&transfer, &tv::SaveTransfer::finished);
        transfer.start();
        QTRY_VERIFY_WITH_TIMEOUT(std::ranges::all_of(transfer.inFlight(), [](const auto &f) {
                                     return f.download->received() == 30000;
                                 }) && transfer.inFlight().size() == 3, 10000);
        transfer.cancel();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{"1.bin.part", "2.bin.part", "3.bin.part"}));
        QCOMPARE(readFile(dir.filePath("2.bin.part")), QByteArray(30000, 'p'));
        QCoreApplication::processEvents();
        QCOMPARE(finished.size(), 0);
    }

    void unwritableFolderGoesOn()
    {
        QTemporaryDir dir;
        const Run run = save({m_server.url("/good.txt"), m_server.url("/good.txt")}, dir.filePath("missing"),
                             tv::OwOverwrite);
        QVERIFY(run.error);
        QCOMPARE(run.failures.size(), 2);
        QCOMPARE(run.failures.first().status, tv::DownloadStatus::WriteError);
        QVERIFY(tv::DownloadErrorText(run.failures.first()).contains("missing"));
    }

    void existingFiles_data()
    {
        QTest::addColumn<qint32>("owaction");
        QTest::addColumn<tv::ExistsAnswer>("answer");
        QTest::addColumn<QStringList>("files"); // what the folder holds afterwards
        QTest::addColumn<int>("asked");
        const tv::ExistsAnswer none;
        QTest::newRow("unique-shares-counter") << qint32(tv::OwUnique) << none
                                               << QStringList{"x(1).jpg", "x(2).jpg", "x.jpg", "y(3).jpg", "y.jpg"} << 0;
        QTest::newRow("prompt-skip-for-all-asks-once")
            << qint32(tv::OwPrompt) << tv::ExistsAnswer{tv::ExistsSkip, QString(), true}
            << QStringList{"x(1).jpg", "x.jpg", "y.jpg"} << 1;
        QTest::newRow("prompt-asks-each-file")
            << qint32(tv::OwPrompt) << tv::ExistsAnswer{tv::ExistsSkip, QString(), false}
            << QStringList{"x(1).jpg", "x.jpg", "y.jpg"} << 2;
        // An action the program never writes asks too, never overwrites unasked.
        QTest::newRow("unknown-action-asks")
            << qint32(7) << tv::ExistsAnswer{tv::ExistsSkip, QString(), false} << QStringList{"x(1).jpg", "x.jpg", "y.jpg"} << 2;
        // The typed name is made safe; reused for the next file it gets a number.
        QTest::newRow("prompt-new-name-for-all")
            << qint32(tv::OwPrompt) << tv::ExistsAnswer{tv::ExistsNewName, "../n.jpg", true}
            << QStringList{"_(1).._n.jpg", "_.._n.jpg", "x(1).jpg", "x.jpg", "y.jpg"} << 1;
    }
    void existingFiles()
    {
        QFETCH(qint32, owaction);
        QFETCH(tv::ExistsAnswer, answer);
        QFETCH(QStringList, files);
        QFETCH(int, asked);
        m_server.route("/x.jpg", {200, "image/jpeg", "new x"});
        m_server.route("/y.jpg", {200, "image/jpeg", "new y"});
        QTemporaryDir dir;
        for (const char *name : {"x.jpg", "x(1).jpg", "y.jpg"})
            QVERIFY(writeFile(dir.filePath(name), "old"));
        int asks = 0;
        const Run run = save({m_server.url("/x.jpg"), m_server.url("/y.jpg")}, dir.path(), owaction,
                             [&](const QString &) { ++asks; return answer; });
        QVERIFY(run.finished && !run.error);
        QCOMPARE(asks, asked);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
        QCOMPARE(readFile(dir.filePath("x.jpg")), QByteArray("old"));
    }

    void cancelKeepsPartialBeside()
    {
        HttpServer::Response held{200, "application/octet-stream", QByteArray(50000, 'p')};
        held.cutAfter = 30000;
        held.end = End::Hold;
        m_server.route("/big.bin", held);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("big.bin"), "old file") && writeFile(dir.filePath("big.bin.part"), "older partial"));
        tv::SaveTransfer transfer(&m_network, {m_server.url("/big.bin")}, dir.path(), tv::OwOverwrite);
        QSignalSpy finished(&transfer, &tv::SaveTransfer::finished);
        transfer.start();
        QTRY_COMPARE_WITH_TIMEOUT(transfer.download().received(), qint64(30000), 10000);
        transfer.cancel();
        QVERIFY(!transfer.download().running());
        QCOMPARE(readFile(dir.filePath("big.bin")), QByteArray("old file"));
        QCOMPARE(readFile(dir.filePath("big.bin.part")), QByteArray("older partial"));
        QCOMPARE(readFile(dir.filePath("big(1).bin.part")), QByteArray(30000, 'p'));
        QCOMPARE(temporaries(dir.path()), QStringList());
        QCoreApplication::processEvents();
        QCOMPARE(finished.size(), 0); // not sent after cancel()
    }
};

TV_TEST_MAIN(TestSaveTransfer)
#include "tst_savetransfer.moc"
