// Building the list from the clipboard and from a list file, through the
// menus and the toolbar.
#include "app/mainwindow.h"
#include "app/linklist.h"
#include "builders/importchoicedialog.h"
#include "builders/linkfilereader.h"
#include "platform/commoncontrols.h"
#include "support/fakebrowser.h"
#include "support/mainwindowfixture.h"
#include "support/modalhelper.h"
#include "support/testenv.h"
#include "saving/listexport.h"
#include "winsupport/filedialogs.h"

#include <QAction>
#include <QClipboard>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <memory>

namespace {

enum Answer { NotAsked = -3, CloseBox = -1, BuildNew = 0, AppendTo = 1, OkUnchanged = 2 };

// Whether the hourglass was up while the question was asked.
bool g_waitCursorDuringQuestion = false;

// Answers "Select Desired Action" the given way.
std::unique_ptr<tvtest::ModalResponder> answerForm10(int answer)
{
    g_waitCursorDuringQuestion = false;
    return std::make_unique<tvtest::ModalResponder>(QStringLiteral("Form10"), [answer](QDialog *d) {
        auto *form = static_cast<tv::Form10 *>(d);
        g_waitCursorDuringQuestion = QApplication::overrideCursor() != nullptr;
        if (answer == CloseBox) {
            form->reject();
            return;
        }
        if (answer == BuildNew || answer == AppendTo)
            form->Option1[answer]->setChecked(true);
        form->Command1->click();
    });
}

const QString kBadFormat = QStringLiteral(
    "This file appears to contain items that are not valid urls. Please see the program's help file for details on "
    "formatting url list files for importing. Operation aborted.");

} // namespace

class TestTextImport : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void clipboard_data();
    void clipboard();
    void file_data();
    void file();
    void fileRemembersPath();
    void fileCancelChangesNothing();
    void unreadableFile();
    void importTwiceDoubles();
    void limitReported_data();
    void limitReported();
    void toolbarRunsImports();
    void roundTrip_data();
    void roundTrip();

private:
    QString writeFile(const QString &name, const QByteArray &bytes);
    void useFile(const QString &path);

    std::unique_ptr<tvtest::MainWindowFixture> m_fx;
    QTemporaryDir m_dir;
};

void TestTextImport::init()
{
    QApplication::clipboard()->clear();
    m_fx = std::make_unique<tvtest::MainWindowFixture>();
}

void TestTextImport::cleanup()
{
    m_fx.reset();
    QVERIFY(!QApplication::overrideCursor());
}

QString TestTextImport::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

void TestTextImport::useFile(const QString &path)
{
    m_fx->answerPath = path;
}

void TestTextImport::clipboard_data()
{
    QTest::addColumn<QStringList>("initial");
    QTest::addColumn<bool>("presetAppend");
    QTest::addColumn<QString>("clip");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("message");

    const QStringList none;
    QTest::newRow("four-lines-into-empty-list")
        << none << false << "http://a.example/1\r\nnot a link\r\n\r\nFTP://files.example/2\r\n" << int(NotAsked)
        << QStringList{"http://a.example/1", "FTP://files.example/2"} << "";
    QTest::newRow("lf-only-lines-are-separate-links")
        << none << false << "http://a\nhttp://b\n" << int(NotAsked) << QStringList{"http://a", "http://b"} << "";
    QTest::newRow("lines-not-trimmed")
        << none << false << " http://a\r\nhttp://b " << int(NotAsked) << QStringList{"http://b "} << "";
    QTest::newRow("empty-clipboard-upper-case-URLs")
        << QStringList{"http://x"} << false << "" << int(NotAsked) << QStringList{"http://x"}
        << "The ClipBoard does not contain any valid URLs. Operation aborted.";
    QTest::newRow("no-link-lower-case-urls-no-question")
        << QStringList{"http://x"} << false << "hello\r\nworld" << int(NotAsked) << QStringList{"http://x"}
        << "The ClipBoard does not contain any valid urls. Operation aborted.";
    QTest::newRow("append-keeps-list")
        << QStringList{"http://x"} << false << "http://a\r\nhttp://b" << int(AppendTo)
        << QStringList{"http://x", "http://a", "http://b"} << "";
    QTest::newRow("build-new-empties-list")
        << QStringList{"http://x"} << true << "http://a\r\nhttp://b" << int(BuildNew) << QStringList{"http://a", "http://b"}
        << "";
    QTest::newRow("ok-unchanged-builds-new")
        << QStringList{"http://x"} << true << "http://a" << int(OkUnchanged) << QStringList{"http://a"} << "";
    // Closing the box leaves append as it was.
    QTest::newRow("closed-box-keeps-append-true")
        << QStringList{"http://x"} << true << "http://a" << int(CloseBox) << QStringList{"http://x", "http://a"} << "";
    QTest::newRow("closed-box-keeps-append-false")
        << QStringList{"http://x"} << false << "http://a" << int(CloseBox) << QStringList{"http://a"} << "";
    QTest::newRow("duplicates-added-again")
        << QStringList{"http://a"} << true << "http://a" << int(CloseBox) << QStringList{"http://a", "http://a"} << "";
}

void TestTextImport::clipboard()
{
    QFETCH(QStringList, initial);
    QFETCH(bool, presetAppend);
    QFETCH(QString, clip);
    QFETCH(int, answer);
    QFETCH(QStringList, expected);
    QFETCH(QString, message);

    m_fx->form->List1->AppendMany(initial);
    m_fx->form->append = presetAppend;
    if (!clip.isEmpty())
        QApplication::clipboard()->setText(clip);
    const QString countBefore = m_fx->countText();
    auto responder = answerForm10(answer == NotAsked ? OkUnchanged : answer);

    m_fx->form->mnufClip->trigger();

    QCOMPARE(m_fx->form->List1->Items(), expected);
    QCOMPARE(responder->count(), answer == NotAsked ? 0 : 1);
    if (answer == AppendTo || answer == BuildNew || answer == OkUnchanged)
        QCOMPARE(m_fx->form->append, answer == AppendTo);
    else
        QCOMPARE(m_fx->form->append, presetAppend);
    if (message.isEmpty()) {
        QVERIFY(m_fx->boxes.shown().isEmpty());
        QCOMPARE(m_fx->countText(), QStringLiteral("%1 links found").arg(expected.size()));
        QVERIFY(m_fx->form->List1->HorizontalExtent() > 0);
    } else {
        QCOMPARE(m_fx->boxes.shown().size(), 1);
        QCOMPARE(m_fx->boxes.shown().first().title, QStringLiteral("Oops!"));
        QCOMPARE(m_fx->boxes.shown().first().text, message);
        QCOMPARE(m_fx->boxes.shown().first().icon, tv::MsgIcon::Critical);
        QCOMPARE(m_fx->countText(), countBefore);
    }
}

void TestTextImport::file_data()
{
    QTest::addColumn<QStringList>("initial");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("badFormat");

    const QStringList none;
    QTest::newRow("lf-lines") << none << QByteArray("http://a\nhttp://b") << int(NotAsked)
                              << QStringList{"http://a", "http://b"} << false;
    QTest::newRow("stops-at-word-keeps-links-before")
        << none << QByteArray("http://a\r\nhttp://b,word\r\nhttp://c\r\n") << int(NotAsked)
        << QStringList{"http://a", "http://b"} << true;
    QTest::newRow("empty-file-leaves-list") << QStringList{"http://x"} << QByteArray() << int(NotAsked)
                                            << QStringList{"http://x"} << false;
    QTest::newRow("bad-first-item-no-question")
        << QStringList{"http://x"} << QByteArray("junk\r\nhttp://a") << int(NotAsked) << QStringList{"http://x"} << true;
    QTest::newRow("question-once-append")
        << QStringList{"http://x"} << QByteArray("http://a\r\nhttp://b\r\nhttp://c") << int(AppendTo)
        << QStringList{"http://x", "http://a", "http://b", "http://c"} << false;
    QTest::newRow("question-once-new-then-bad")
        << QStringList{"http://x"} << QByteArray("http://a\r\nhttp://b\r\nbad") << int(BuildNew)
        << QStringList{"http://a", "http://b"} << true;
    QTest::newRow("invalid-utf8-read-as-latin1") << none << QByteArray("http://a/\xfc\r\nhttp://b") << int(NotAsked)
                                                 << QStringList{QString::fromUtf8("http://a/\u00fc"), "http://b"} << false;
}

void TestTextImport::file()
{
    QFETCH(QStringList, initial);
    QFETCH(QByteArray, bytes);
    QFETCH(int, answer);
    QFETCH(QStringList, expected);
    QFETCH(bool, badFormat);

    m_fx->form->List1->AppendMany(initial);
    useFile(writeFile(QStringLiteral("import.txt"), bytes));
    auto responder = answerForm10(answer == NotAsked ? OkUnchanged : answer);
    m_fx->form->setStatus(QStringLiteral("busy"));

    m_fx->form->mnufFile->trigger();

    QCOMPARE(m_fx->form->List1->Items(), expected);
    QCOMPARE(responder->count(), answer == NotAsked ? 0 : 1);
    QVERIFY(!g_waitCursorDuringQuestion);
    QCOMPARE(m_fx->boxes.shown().size(), badFormat ? 1 : 0);
    if (badFormat) {
        QCOMPARE(m_fx->boxes.shown().first().title, QStringLiteral("Bad Format"));
        QCOMPARE(m_fx->boxes.shown().first().text, kBadFormat);
        QCOMPARE(m_fx->boxes.shown().first().icon, tv::MsgIcon::Critical);
    }
    QCOMPARE(m_fx->countText(), QStringLiteral("%1 links found").arg(expected.size()));
    QCOMPARE(m_fx->form->Status(), tv::idleBanner());
    QVERIFY(m_fx->form->FormEnabled());
    QCOMPARE(m_fx->requests.size(), 1);
    QCOMPARE(m_fx->requests.first().title, QStringLiteral("Select file to import..."));
    QCOMPARE(m_fx->requests.first().kind, tv::FileDialogKind::Open);
    QCOMPARE(m_fx->requests.first().owner, m_fx->form.get());
}

void TestTextImport::fileRemembersPath()
{
    // Never used: the documents folder is where the first dialog starts.
    useFile(QString());
    m_fx->form->mnufFile_Click();
    QCOMPARE(m_fx->requests.last().directory, tv::defaultDocumentsFolder());

    const QString path = writeFile(QStringLiteral("remember.txt"), "http://a\r\n");
    useFile(path);
    m_fx->form->mnufFile_Click();
    QCOMPARE(m_fx->form->settings().GetSetting(QStringLiteral("Options"), QStringLiteral("Last Used Save Folder")), path);

    // A new window reads it back: the next dialogs start there.
    m_fx->reopen();
    m_fx->form->mnufFile_Click();
    QCOMPARE(m_fx->requests.last().directory, m_dir.path());
    QCOMPARE(m_fx->requests.last().selectedName, QStringLiteral("remember.txt"));
    m_fx->form->mnufsavlst_Click();
    QCOMPARE(m_fx->requests.last().kind, tv::FileDialogKind::Save);
    QCOMPARE(m_fx->requests.last().directory, m_dir.path());
}

void TestTextImport::fileCancelChangesNothing()
{
    m_fx->form->List1->AppendMany({"http://x"});
    m_fx->form->setStatus(QStringLiteral("busy"));
    m_fx->form->mnufFile_Click();
    QCOMPARE(m_fx->requests.size(), 1);
    QCOMPARE(m_fx->form->List1->Items(), QStringList{"http://x"});
    QVERIFY(m_fx->boxes.shown().isEmpty());
    QCOMPARE(m_fx->form->Status(), QStringLiteral("busy"));
    QCOMPARE(m_fx->form->settings().GetSetting(QStringLiteral("Options"), QStringLiteral("Last Used Save Folder"),
                                           QStringLiteral("<none>")),
             QStringLiteral("<none>"));
}

void TestTextImport::unreadableFile()
{
    // Opens, but every read fails.
    m_fx->form->List1->AppendMany({"http://x"});
    useFile(QStringLiteral("/proc/self/mem"));
    m_fx->form->mnufFile_Click();
    QCOMPARE(m_fx->boxes.shown().size(), 1);
    QCOMPARE(m_fx->boxes.shown().first().title, QStringLiteral("File Error"));
    QCOMPARE(m_fx->boxes.shown().first().icon, tv::MsgIcon::Critical);
    QVERIFY(m_fx->boxes.shown().first().text.contains(QStringLiteral("/proc/self/mem")));
    QCOMPARE(m_fx->form->List1->Items(), QStringList{"http://x"});
    QVERIFY(m_fx->form->FormEnabled());
}

void TestTextImport::importTwiceDoubles()
{
    const QString path = writeFile(QStringLiteral("twice.txt"), "http://a\r\nhttp://b\r\n");
    auto responder = answerForm10(AppendTo);
    useFile(path);
    m_fx->form->mnufFile_Click();
    useFile(path);
    m_fx->form->mnufFile_Click();
    QCOMPARE(m_fx->form->List1->Items(), (QStringList{"http://a", "http://b", "http://a", "http://b"}));
    QCOMPARE(responder->count(), 1);
    QCOMPARE(m_fx->countText(), QStringLiteral("4 links found"));
}

void TestTextImport::limitReported_data()
{
    QTest::addColumn<bool>("fromFile");
    QTest::newRow("file") << true;
    QTest::newRow("clipboard") << false;
}

void TestTextImport::limitReported()
{
    QFETCH(bool, fromFile);
    QStringList many;
    for (int i = 0; i < tv::LinkList::MaxItems - 5; ++i)
        many.append(QStringLiteral("http://old.example/%1").arg(i));
    m_fx->form->List1->AppendMany(many);
    QByteArray text;
    for (int i = 0; i < 12; ++i)
        text += "http://new.example/" + QByteArray::number(i) + "\r\n";
    auto responder = answerForm10(AppendTo);
    if (fromFile) {
        useFile(writeFile(QStringLiteral("limit.txt"), text));
        m_fx->form->mnufFile_Click();
    } else {
        QApplication::clipboard()->setText(QString::fromLatin1(text));
        m_fx->form->mnufClip_Click();
    }
    QCOMPARE(m_fx->form->List1->ListCount(), tv::LinkList::MaxItems);
    QCOMPARE(m_fx->form->List1->List(tv::LinkList::MaxItems - 1), QStringLiteral("http://new.example/4"));
    QCOMPARE(m_fx->boxes.shown().size(), 1);
    QCOMPARE(m_fx->boxes.shown().first().title, QStringLiteral("List Full"));
    QVERIFY2(m_fx->boxes.shown().first().text.contains(QStringLiteral(" 7 ")), qPrintable(m_fx->boxes.shown().first().text));
}

void TestTextImport::toolbarRunsImports()
{
    QApplication::clipboard()->setText(QStringLiteral("http://clip"));
    m_fx->form->Buttons(QStringLiteral("list_clp"))->click();
    QCOMPARE(m_fx->form->List1->Items(), QStringList{"http://clip"});

    auto responder = answerForm10(AppendTo);
    useFile(writeFile(QStringLiteral("bar.txt"), "http://file\r\n"));
    m_fx->form->Buttons(QStringLiteral("list_file"))->click();
    QCOMPARE(m_fx->form->List1->Items(), (QStringList{"http://clip", "http://file"}));
    QCOMPARE(m_fx->requests.size(), 1);
}

// What the export writes, the import reads back.
void TestTextImport::roundTrip_data()
{
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("readBack");
    const QStringList plain{"http://a.example/1", "HTTPS://b.example/q?x=1&y=2", "ftp://c.example/f.zip",
                            "http://a.example/1", QString::fromUtf8("http://d.example/\u00fcber")};
    QTest::newRow("plain-links-same-order") << plain << plain;
    QTest::newRow("trailing-blank-kept") << QStringList{"http://a "} << QStringList{"http://a "};
    // The reader splits, trims and skips these.
    QTest::newRow("comma-splits") << QStringList{"http://a/x,http://b"} << QStringList{"http://a/x", "http://b"};
    QTest::newRow("leading-blank-trimmed") << QStringList{"  http://a"} << QStringList{"http://a"};
    QTest::newRow("empty-item-skipped") << QStringList{"http://a", "", "http://b"} << QStringList{"http://a", "http://b"};
    QTest::newRow("leading-quote-removed") << QStringList{"\"http://a\""} << QStringList{"http://a"};
}

void TestTextImport::roundTrip()
{
    QFETCH(QStringList, items);
    QFETCH(QStringList, readBack);
    const QString path = m_dir.filePath(QStringLiteral("round.txt"));
    QVERIFY(tv::SaveListToFile(path, items).ok);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const tv::LinkFileScan scan = tv::scanLinkFile(file);
    QVERIFY(!scan.badItem);
    QCOMPARE(scan.links, readBack);
}

TV_TEST_MAIN(TestTextImport)
#include "tst_textimport.moc"
