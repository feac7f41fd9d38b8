// "Saving Files" and "File Exists" over a stand-in main window: what they
// show, and how they hand the main window back.
#include "saving/fileexistsdialog.h"
#include "saving/savingfilesdialog.h"
#include "support/httpserver.h"
#include "support/modalhelper.h"
#include "support/testenv.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

using tvtest::HttpServer;

namespace {

struct Host final : tv::SavingHost
{
    QStringList captions;
    bool enabled = false; // the starter disabled it
    int minimized = 0;
    QList<bool> ended;
    void setTransferCaption(const QString &c) override { captions << c; }
    void setTransferHostEnabled(bool on) override { enabled = on; }
    void minimizeForTransfer() override { ++minimized; }
    void restoreForTransfer() override {}
    void transferEnded(bool topmost) override { ended << topmost; }
};

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class TestSavingFilesDialog : public QObject
{
    Q_OBJECT

    HttpServer m_server;
    tvtest::MessageBoxScript m_boxes;
    std::unique_ptr<QTemporaryDir> m_dir;
    Host m_host;
    QPointer<tv::Form4> m_form;

    // Shows the dialog for these links, as the starter does.
    tv::Form4 *start(const QStringList &paths, qint32 owaction = tv::OwOverwrite)
    {
        QStringList links;
        for (const QString &path : paths)
            links << m_server.url(path);
        m_form = new tv::Form4(links, m_dir->path(), owaction, true, &m_host);
        m_form->show();
        return m_form;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_server.listen());
        m_server.route("/a.txt", {200, "text/plain", "a"});
        HttpServer::Response held{200, "application/octet-stream", QByteArray(50000, 'h')};
        held.cutAfter = 30000;
        held.end = HttpServer::Response::End::Hold;
        m_server.route("/held.bin", held);
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_host = Host();
    }
    void cleanup()
    {
        const bool leftOpen = m_form != nullptr;
        delete m_form;
        QVERIFY(!leftOpen);
        m_boxes.clear();
    }

    void oneLinkMirrorsBarsThenOpensFolder()
    {
        QPointer<tv::Form4> form = start({"/a.txt"});
        QTRY_COMPARE(form->Label3->text(), QStringLiteral("Done"));
        QCOMPARE(form->Summary->text(), QStringLiteral("Files saved: 1, skipped: 0, failed: 0"));
        QCOMPARE(form->ProgressBar2->value(), form->ProgressBar2->maximum());
        QCOMPARE(m_host.captions.last(), QStringLiteral("Tallyvane - Saving Files (Complete)"));
        QVERIFY(!m_host.enabled);
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        form->Command2_Click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(m_dir->path() + u'/')});
        QTRY_VERIFY(!form);
        QVERIFY(m_host.enabled);
        QCOMPARE(m_host.captions.last(), QStringLiteral("Tallyvane"));
        QCOMPARE(m_host.ended, QList<bool>{true});
    }

    void severalLinksAdvancePerFileAndEndInError()
    {
        QVERIFY(tvtest::writeFile(m_dir->filePath("skip.txt")));
        m_server.route("/skip.txt", {200, "text/plain", "s"});
        QPointer<tv::Form4> form = start({"/skip.txt", "/missing.txt", "/a.txt"}, tv::OwSkip);
        QList<int> totals;
        connect(form->transfer(), &tv::SaveTransfer::fileDone, this, [&] { totals << form->ProgressBar2->value(); });
        QTRY_COMPARE(form->Label3->text(), QStringLiteral("Error"));
        QCOMPARE(totals, (QList<int>{1, 2, 3}));
        QCOMPARE(form->Summary->text(), tv::TransferSummary(1, 1, 1));
        QCOMPARE(m_host.captions.last(), QStringLiteral("Tallyvane - Saving Files (Error)"));
        QCOMPARE(m_boxes.shown().size(), 1);
        QTest::keyClick(form, Qt::Key_Escape); // "Close"
        QTRY_VERIFY(!form);
    }

    void progressBackgroundAndCancel()
    {
        QPointer<tv::Form4> form = start({"/held.bin"});
        QTRY_COMPARE(form->Label1->text(), QStringLiteral("30000 of 50000 bytes"));
        QCOMPARE(form->ProgressBar1->value(), 60);
        QCOMPARE(form->ProgressBar2->value(), 60);
        form->Command2_Click(); // "Background"
        QVERIFY(form->isHidden());
        QVERIFY(m_host.enabled);
        QCOMPARE(m_host.minimized, 1);
        form->MainWindowRestored();
        QVERIFY(form->isVisible());
        QVERIFY(!m_host.enabled);

        form->Command1_Click(); // "Cancel"
        QTRY_VERIFY(!form);
        QVERIFY(m_host.enabled);
        QCOMPARE(m_host.captions.last(), QStringLiteral("Tallyvane"));
    }

    void retryWaitCountsDownAndCancelEndsIt()
    {
        HttpServer::Response busy{429, "text/plain", "later"};
        busy.headers.append(qMakePair(QByteArray("Retry-After"), QByteArray("30")));
        m_server.route("/busy.txt", busy);
        QPointer<tv::Form4> form = start({"/busy.txt"});
        QTRY_VERIFY(form->Label3->text().startsWith(QStringLiteral("Waiting 30 s to try again: ")));
        QVERIFY(form->Label3->text().endsWith(QStringLiteral("busy.txt (1 of 1)")));
        QTRY_VERIFY_WITH_TIMEOUT(form->Label3->text().startsWith(QStringLiteral("Waiting 29 s")), 3000);
        form->Command1_Click(); // "Cancel"
        QTRY_VERIFY(!form);
        QCOMPARE(m_server.hits("/busy.txt"), 1);
    }

    void fileExistsQuestion_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("new-name-after-empty-name-warning") << true << QByteArray("a");
        QTest::newRow("close-button-skips") << false << QByteArray("<missing>");
    }
    void fileExistsQuestion()
    {
        QFETCH(bool, confirm);
        QFETCH(QByteArray, saved);
        QVERIFY(tvtest::writeFile(m_dir->filePath("a.txt"), "old"));
        QFile::remove(m_dir->filePath("b.txt"));
        tvtest::ModalResponder responder(QStringLiteral("Form8"), [&](QDialog *dialog) {
            auto *form8 = static_cast<tv::Form8 *>(dialog);
            if (!confirm) {
                form8->close();
                return;
            }
            form8->Option1[2]->click();
            QCOMPARE(form8->Text1->selectedText(), QStringLiteral("a.txt"));
            form8->Text1->clear();
            form8->Command1_Click();
            QCOMPARE(m_boxes.shown().size(), 1);
            QVERIFY(form8->isVisible());
            QCOMPARE(form8->Text1->selectedText(), QStringLiteral("a.txt"));
            form8->Text1->setText(QStringLiteral("b.txt"));
            form8->Check1->setChecked(true);
            form8->Command1_Click();
        });
        QPointer<tv::Form4> form = start({"/a.txt"}, tv::OwPrompt);
        QTRY_COMPARE(form->Label3->text(), QStringLiteral("Done"));
        QCOMPARE(responder.count(), 1);
        QCOMPARE(form->allfiles, confirm);
        QCOMPARE(form->Summary->text(), tv::TransferSummary(confirm, !confirm, 0));
        QCOMPARE(tvtest::readFile(m_dir->filePath("b.txt")), saved);
        form->close();
        QTRY_VERIFY(!form);
    }
};

TV_TEST_MAIN(TestSavingFilesDialog)
#include "tst_savingfilesdialog.moc"
