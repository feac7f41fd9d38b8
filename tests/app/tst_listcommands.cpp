// The main window's list commands: from the clipboard and a list file (the question
// before adding, the messages, the folder remembered), searching, a single link,
// a sequence and saving the list.
#include "app/addlinkdialog.h"
#include "app/linklist.h"
#include "app/listsearch.h"
#include "app/mainwindow.h"
#include "app/searchdialog.h"
#include "builders/importchoicedialog.h"
#include "builders/sequencedialog.h"
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
// Whether the box left room for its caption beside a window manager's icon and buttons.
bool g_captionFits = false;

// Answers "Select Desired Action" the given way.
std::unique_ptr<tvtest::ModalResponder> answerForm10(int answer)
{
    g_waitCursorDuringQuestion = false;
    return std::make_unique<tvtest::ModalResponder>(QStringLiteral("Form10"), [answer](QDialog *d) {
        auto *form = static_cast<tv::Form10 *>(d);
        g_waitCursorDuringQuestion = QApplication::overrideCursor() != nullptr;
        QFont bold = form->font();
        bold.setBold(true);
        g_captionFits = form->width() >= QFontMetrics(bold).horizontalAdvance(form->windowTitle()) + 100;
        if (answer >= 0)
            form->Option1[answer]->setChecked(true);
        answer == CloseBox ? form->reject() : form->Command1->click();
    });
}

QList<int> selectedRows(const tv::LinkList &list)
{
    QList<int> rows;
    for (int i = 0; i < list.ListCount(); ++i)
        if (list.Selected(i))
            rows.append(i);
    return rows;
}

QString found(qsizetype n)
{
    return QStringLiteral("%1 links found").arg(n);
}

const QStringList x{"http://x"};
const QStringList kThree{"http://one.example/x", "http://two.example/B", "http://three.example/b"};

} // namespace

class TestListCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<tvtest::MainWindowFixture> m_fx;
    QTemporaryDir m_dir;

    tv::Form1 &form() { return *m_fx->form; }

    // Runs "Search List" with the answers given; button 1 Find, 2 Find Next, 3 Cancel.
    void searchFor(const QString &text, int button)
    {
        tvtest::ModalResponder responder(QStringLiteral("Form9"), [=](QDialog *d) {
            auto *dialog = static_cast<tv::Form9 *>(d);
            dialog->Text1->setText(text);
            dialog->Check2->setChecked(false);
            (button == 1 ? dialog->Command1 : button == 2 ? dialog->Command2 : dialog->Command3)->click();
        });
        tvtest::trigger(form(), "mnulstsrch");
    }

    // Runs "Build Sequential List" on "http://h/1.jpg" with the digit marked.
    void buildSequence(const QString &start, const QString &end, bool append)
    {
        tvtest::whenModal([=](QWidget *modal) {
            auto *f = qobject_cast<tv::Form2 *>(modal);
            QVERIFY(f);
            f->Text1->setText(QStringLiteral("http://h/1.jpg"));
            f->Text1->setSelection(9, 1);
            f->Check1->setChecked(append);
            f->text3->setEditText(start);
            f->text4->setEditText(end);
            f->Command1_Click();
        });
        tvtest::trigger(form(), "mnufSeq");
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
        // list, append before, clipboard, answer: the list, whether a message
        // came. Which lines are links is the reader table's business.
        const std::tuple<QStringList, bool, const char *, int, QStringList, bool> rows[] = {
            {{}, false, "http://a\r\nnot a link\r\nFTP://b", NotAsked, {"http://a", "FTP://b"}, false},
            {x, false, "", NotAsked, x, true},
            {x, false, "hello", NotAsked, x, true},
            {x, false, "http://a", AppendTo, {"http://x", "http://a"}, false},
            {x, true, "http://a", BuildNew, {"http://a"}, false},
            // Closing the box leaves append as it was.
            {x, true, "http://a", CloseBox, {"http://x", "http://a"}, false},
            {x, false, "http://a", CloseBox, {"http://a"}, false},
        };
        for (const auto &[initial, presetAppend, clip, answer, expected, told] : rows) {
            init();
            // `append` as an earlier import's answer left it.
            tvtest::list1(form()).AppendMany(x);
            QApplication::clipboard()->setText(QStringLiteral("http://p"));
            auto preset = answerForm10(presetAppend ? AppendTo : BuildNew);
            tvtest::trigger(form(), "mnufClip");
            preset.reset();
            QApplication::clipboard()->clear();
            tvtest::list1(form()).Clear();
            tvtest::list1(form()).AppendMany(initial);
            if (*clip)
                QApplication::clipboard()->setText(QLatin1String(clip));
            auto responder = answerForm10(answer);
            tvtest::trigger(form(), "mnufClip");
            QCOMPARE(tvtest::list1(form()).Items(), expected);
            QVERIFY(answer == NotAsked ? responder->count() == 0 : responder->count() == 1 && g_captionFits);
            QCOMPARE(m_fx->boxes.shown().size(), told ? 1 : 0);
            QVERIFY(told || m_fx->countText() == found(expected.size()));
        }
    }

    void file()
    {
        // list, file, answer: the list; all of these end with one message.
        const std::tuple<QStringList, QByteArray, int, QStringList> rows[] = {
            {{}, "http://a\r\nhttp://b,word\r\nhttp://c", NotAsked, {"http://a", "http://b"}},
            {x, "junk\r\nhttp://a", NotAsked, x},
            {x, "http://a\r\nhttp://b\r\nbad", BuildNew, {"http://a", "http://b"}},
        };
        for (const auto &[initial, bytes, answer, expected] : rows) {
            init();
            tvtest::list1(form()).AppendMany(initial);
            m_fx->answerPath = m_dir.filePath(QStringLiteral("import.txt"));
            QVERIFY(tvtest::writeFile(m_fx->answerPath, bytes));
            auto responder = answerForm10(answer);
            tvtest::trigger(form(), "mnufFile");
            QCOMPARE(tvtest::list1(form()).Items(), expected);
            QCOMPARE(responder->count(), answer == NotAsked ? 0 : 1);
            QVERIFY(!g_waitCursorDuringQuestion); // the hourglass is down while the user is asked
            QVERIFY(m_fx->boxes.shown().size() == 1 && m_fx->countText() == found(expected.size()));
            QVERIFY(tvtest::panel(form(), "pnlStatus") == tv::idleBanner() && m_fx->requests.first().owner == m_fx->form.get());
        }
    }

    void fileFolderAndErrors()
    {
        // Never used: the documents folder is where the first dialog starts;
        // Cancel stores nothing.
        tvtest::trigger(form(), "mnufFile");
        QCOMPARE(m_fx->requests.last().directory, tv::defaultDocumentsFolder());
        QCOMPARE(tv::CRegSettings::program().GetSetting("Options", "Last Used Save Folder", "-"), QStringLiteral("-"));
        const QString path = m_fx->answerPath = m_dir.filePath(QStringLiteral("remember.txt"));
        QVERIFY(tvtest::writeFile(path, "http://a\r\n"));
        tvtest::trigger(form(), "mnufFile");
        QCOMPARE(tv::CRegSettings::program().GetSetting("Options", "Last Used Save Folder"), path);
        // A new window reads it back: the next dialogs start there.
        m_fx->reopen();
        tvtest::list1(form()).AppendMany(x);
        tvtest::trigger(form(), "mnufsavlst");
        QVERIFY(m_fx->requests.last().kind == tv::FileDialogKind::Save && m_fx->requests.last().directory == m_dir.path());
        // A file that opens but cannot be read is reported; the list stays.
        m_fx->answerPath = QStringLiteral("/proc/self/mem");
        tvtest::trigger(form(), "mnufFile");
        QVERIFY(m_fx->boxes.shown().size() == 1 && tvtest::list1(form()).Items() == x && tvtest::formEnabled(form()));
    }

    void searchRule()
    {
        // preselected, start, text, match case, add to selection, in link texts: selected, found.
        const QList<int> all{0, 1, 2};
        const std::tuple<QList<int>, int, const char *, bool, bool, bool, QList<int>, int> rows[] = {
            {all, 0, "b", false, false, false, {1}, 1},         // upper-case B matches, the rest deselected
            {all, 0, "b", true, false, false, {2}, 2},
            {all, 2, "b", false, false, false, all, 2},         // items before the start keep their selection
            {{0}, 0, "B", true, true, false, {0, 1}, 1},
            {all, 0, "zzz", false, false, false, {}, -1},       // not found: still deselected
            {all, 0, "zzz", false, false, true, {2}, 2},        // the third link's text holds it
            {all, 0, "ZZZ", true, false, true, {}, -1},
        };
        for (const auto &[preselected, start, text, matchCase, addToSelection, inText, selected, found] : rows) {
            tv::LinkList list;
            list.AppendMany({{kThree.at(0), "a"}, {kThree.at(1), QString()}, {kThree.at(2), "Azzz"}}, "http://p.test/");
            for (int i : preselected)
                list.setSelected(i, true);
            QCOMPARE(tv::SearchList(list, {QLatin1String(text), matchCase, addToSelection, start, inText}), found);
            QCOMPARE(selectedRows(list), selected);
        }
    }

    void searchFromTheMenu()
    {
        // Find, then Find Next from the last found; the search does not go round.
        tvtest::list1(form()).AppendMany(kThree);
        searchFor(QStringLiteral("b"), 1);
        searchFor(QStringLiteral("b"), 2);
        QVERIFY(m_fx->boxes.shown().isEmpty());
        QCOMPARE(selectedRows(tvtest::list1(form())), (QList<int>{1, 2}));
        searchFor(QStringLiteral("b"), 2);
        QCOMPARE(m_fx->boxes.shown().size(), 1);
        // The next Find Next starts after the last item found, not after the failed search.
        tvtest::list1(form()).Append(QStringLiteral("http://four.example/b"));
        searchFor(QStringLiteral("b"), 2);
        QCOMPARE(selectedRows(tvtest::list1(form())), (QList<int>{1, 2, 3}));
    }

    void singleLink()
    {
        // text, append: the list, whether the dialog stayed open after "Add " (then
        // "Cancel"). The list is emptied before the address is looked at.
        const std::tuple<const char *, bool, QStringList, bool> rows[] = {
            {"http://new", true, {"http://old", "http://new"}, false},
            {"", true, {"http://old", ""}, false},
            {"http://new", false, {"http://new"}, false},
            {"www.example.com", false, {}, true},
        };
        for (const auto &[text, append, expected, stayedOpen] : rows) {
            tvtest::list1(form()).Clear();
            tvtest::list1(form()).Append(QStringLiteral("http://old"));
            m_fx->boxes.clear();
            bool open = false;
            tvtest::ModalResponder responder(QStringLiteral("Form11"), [&, text = text, append = append](QDialog *d) {
                auto *dialog = static_cast<tv::Form11 *>(d);
                dialog->Text1->setText(QLatin1String(text));
                dialog->Check1->setChecked(append);
                dialog->Command1->click();
                open = dialog->isVisible();
                dialog->Command2->click();
            });
            tvtest::trigger(form(), "mnulstSingle");
            QCOMPARE(tvtest::list1(form()).Items(), expected);
            QVERIFY(open == stayedOpen && m_fx->boxes.shown().size() == (stayedOpen ? 1 : 0));
            QVERIFY(stayedOpen || m_fx->countText() == found(expected.size()));
        }
    }

    void sequence()
    {
        // Appending from 0 to the largest number stops at the list's limit at once.
        tvtest::list1(form()).Append(QStringLiteral("http://keep/"));
        buildSequence(QStringLiteral("0"), QStringLiteral("2147483647"), true);
        QCOMPARE(tvtest::list1(form()).Items().mid(tv::LinkList::MaxItems - 1), QStringList{"http://h/32765.jpg"});
        QCOMPARE(m_fx->boxes.shown().size(), 1);
        // Without appending the list is replaced, also by a run of no links.
        buildSequence(QStringLiteral("5"), QStringLiteral("3"), false);
        QCOMPARE(m_fx->countText(), found(0));
    }

    void exportList()
    {
        // The lines and a target that cannot be written are the export table's.
        tvtest::list1(form()).AppendMany({"http://a", "ftp://b"});
        const QString path = m_fx->answerPath = m_dir.filePath(QStringLiteral("saved.txt"));
        m_fx->boxes.answer(tv::MsgResult::Yes); // create the new file
        tvtest::trigger(form(), "savelist");
        QCOMPARE(tvtest::readFile(path), QByteArray("http://a\r\nftp://b\r\n"));
        QCOMPARE(tv::CRegSettings::program().GetSetting("Options", "Last Used Save Folder"), path);

        // "Export list...": a page's links keep the page as their referrer.
        tvtest::list1(form()).AppendMany({"http://p.example/1.jpg"}, "http://p.example/g.html");
        const QString exported = m_fx->answerPath = m_dir.filePath(QStringLiteral("aria2.txt"));
        m_fx->boxes.answer(tv::MsgResult::Yes);
        tvtest::whenModal([](QWidget *choice) { static_cast<QDialog *>(choice)->accept(); });
        tvtest::trigger(form(), "mnufexport");
        QCOMPARE(tvtest::readFile(exported), QByteArray("http://a\n  out=index.html\nftp://b\n  out=index.html\n"
                                                        "http://p.example/1.jpg\n  out=1.jpg\n"
                                                        "  referer=http://p.example/g.html\n"));
    }
};

TV_TEST_MAIN(TestListCommands)
#include "tst_listcommands.moc"
