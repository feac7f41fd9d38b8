// Building the list from the clipboard and from a list file: the question
// asked before adding to a list, the messages, the folder remembered, and
// what the export writes coming back through the import's reader.
#include "app/linklist.h"
#include "app/mainwindow.h"
#include "builders/importchoicedialog.h"
#include "builders/linkfilereader.h"
#include "saving/listexport.h"
#include "support/mainwindowfixture.h"

#include <QAction>
#include <QClipboard>
#include <QRadioButton>
#include <QTemporaryDir>

#include <tuple>

namespace {

enum Answer { NotAsked = -3, CloseBox = -1, BuildNew = 0, AppendTo = 1 };

// Whether the hourglass was up while the question was asked.
bool g_waitCursorDuringQuestion = false;

// Answers "Select Desired Action" the given way.
std::unique_ptr<tvtest::ModalResponder> answerForm10(int answer)
{
    g_waitCursorDuringQuestion = false;
    return std::make_unique<tvtest::ModalResponder>(QStringLiteral("Form10"), [answer](QDialog *d) {
        auto *form = static_cast<tv::Form10 *>(d);
        g_waitCursorDuringQuestion = QApplication::overrideCursor() != nullptr;
        if (answer == CloseBox)
            return form->reject();
        if (answer >= 0)
            form->Option1[answer]->setChecked(true);
        form->Command1->click();
    });
}

const QStringList x{"http://x"};

} // namespace

class TestTextImport : public QObject
{
    Q_OBJECT

    std::unique_ptr<tvtest::MainWindowFixture> m_fx;
    QTemporaryDir m_dir;

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile f(m_dir.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return f.fileName();
    }

private slots:
    void init()
    {
        QApplication::clipboard()->clear();
        m_fx.reset(); // before the next one takes over the message boxes
        m_fx = std::make_unique<tvtest::MainWindowFixture>();
    }
    void cleanup()
    {
        m_fx.reset();
        QVERIFY(!QApplication::overrideCursor());
    }

    void clipboard()
    {
        // list, append before, clipboard, answer: the list, the message. Which
        // lines are links is the reader table's business.
        const std::tuple<QStringList, bool, const char *, int, QStringList, const char *> rows[] = {
            {{}, false, "http://a\r\nnot a link\r\nFTP://b", NotAsked, {"http://a", "FTP://b"}, ""},
            {x, false, "", NotAsked, x, "The ClipBoard does not contain any valid URLs. Operation aborted."},
            {x, false, "hello", NotAsked, x, "The ClipBoard does not contain any valid urls. Operation aborted."},
            {x, false, "http://a", AppendTo, {"http://x", "http://a"}, ""},
            {x, true, "http://a", BuildNew, {"http://a"}, ""},
            // Closing the box leaves append as it was.
            {x, true, "http://a", CloseBox, {"http://x", "http://a"}, ""},
            {x, false, "http://a", CloseBox, {"http://a"}, ""},
        };
        for (const auto &[initial, presetAppend, clip, answer, expected, message] : rows) {
            init();
            m_fx->form->List1->AppendMany(initial);
            m_fx->form->append = presetAppend;
            if (*clip)
                QApplication::clipboard()->setText(QLatin1String(clip));
            auto responder = answerForm10(answer);
            m_fx->form->mnufClip->trigger();
            QCOMPARE(m_fx->form->List1->Items(), expected);
            QCOMPARE(responder->count(), answer == NotAsked ? 0 : 1);
            QCOMPARE(m_fx->form->append, answer < 0 ? presetAppend : answer == AppendTo);
            QCOMPARE(m_fx->boxes.shown().isEmpty() ? QString() : m_fx->boxes.shown().first().text, QLatin1String(message));
            if (!*message)
                QCOMPARE(m_fx->countText(), QStringLiteral("%1 links found").arg(expected.size()));
        }
    }

    void file()
    {
        // list, file, answer: the list; all of these end with "Bad Format".
        const std::tuple<QStringList, QByteArray, int, QStringList> rows[] = {
            {{}, "http://a\r\nhttp://b,word\r\nhttp://c", NotAsked, {"http://a", "http://b"}},
            {x, "junk\r\nhttp://a", NotAsked, x},
            {x, "http://a\r\nhttp://b\r\nbad", BuildNew, {"http://a", "http://b"}},
        };
        for (const auto &[initial, bytes, answer, expected] : rows) {
            init();
            m_fx->form->List1->AppendMany(initial);
            m_fx->answerPath = writeFile(QStringLiteral("import.txt"), bytes);
            auto responder = answerForm10(answer);
            m_fx->form->setStatus(QStringLiteral("busy"));
            m_fx->form->mnufFile->trigger();
            QCOMPARE(m_fx->form->List1->Items(), expected);
            QCOMPARE(responder->count(), answer == NotAsked ? 0 : 1);
            // The hourglass is down while the user is asked.
            QVERIFY(!g_waitCursorDuringQuestion);
            QCOMPARE(m_fx->boxes.shown().size(), 1);
            QCOMPARE(m_fx->boxes.shown().first().title, QStringLiteral("Bad Format"));
            QCOMPARE(m_fx->countText(), QStringLiteral("%1 links found").arg(expected.size()));
            QCOMPARE(m_fx->form->Status(), tv::idleBanner());
            QCOMPARE(m_fx->requests.first().owner, m_fx->form.get());
        }
    }

    void fileFolderAndErrors()
    {
        // Never used: the documents folder is where the first dialog starts;
        // Cancel stores nothing.
        m_fx->form->mnufFile_Click();
        QCOMPARE(m_fx->requests.last().directory, tv::defaultDocumentsFolder());
        QCOMPARE(m_fx->form->settings().GetSetting("Options", "Last Used Save Folder", "-"), QStringLiteral("-"));
        const QString path = writeFile(QStringLiteral("remember.txt"), "http://a\r\n");
        m_fx->answerPath = path;
        m_fx->form->mnufFile_Click();
        QCOMPARE(m_fx->form->settings().GetSetting("Options", "Last Used Save Folder"), path);
        // A new window reads it back: the next dialogs start there.
        m_fx->reopen();
        m_fx->form->mnufsavlst_Click();
        QCOMPARE(m_fx->requests.last().kind, tv::FileDialogKind::Save);
        QCOMPARE(m_fx->requests.last().directory, m_dir.path());
        // A file that opens but cannot be read is reported; the list stays.
        m_fx->form->List1->AppendMany(x);
        m_fx->answerPath = QStringLiteral("/proc/self/mem");
        m_fx->form->mnufFile_Click();
        QCOMPARE(m_fx->boxes.shown().size(), 1);
        QCOMPARE(m_fx->boxes.shown().first().title, QStringLiteral("File Error"));
        QCOMPARE(m_fx->form->List1->Items(), x);
        QVERIFY(m_fx->form->FormEnabled());
    }

    void roundTrip()
    {
        // What the export writes, the import reads back; the reader splits and
        // unquotes what it would have split and unquoted anyway.
        const QStringList plain{"http://a.example/1", "HTTPS://b.example/q?x=1&y=2", "ftp://c.example/f.zip",
                                "http://a.example/1", QString::fromUtf8("http://d.example/\u00fcber")};
        const QStringList split{"http://a/x,http://b", "\"http://c\""};
        for (const auto &[items, readBack] : {std::pair{plain, plain}, {split, {"http://a/x", "http://b", "http://c"}}}) {
            const QString path = m_dir.filePath(QStringLiteral("round.txt"));
            QVERIFY(tv::SaveListToFile(path, items).ok);
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(tv::scanLinkFile(file).links, readBack);
        }
    }
};

TV_TEST_MAIN(TestTextImport)
#include "tst_textimport.moc"
