// "Search List", "Add Single Link", "Build Sequential List" and "Save list to
// text file" on the main window.
#include "app/mainwindow.h"
#include "app/addlinkdialog.h"
#include "app/searchdialog.h"
#include "app/linklist.h"
#include "builders/sequencedialog.h"
#include "platform/commoncontrols.h"
#include "support/fakebrowser.h"
#include "support/mainwindowfixture.h"
#include "support/modalhelper.h"
#include "support/testenv.h"
#include "winsupport/filedialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

namespace {

enum Button { Find = 1, FindNext = 2, Cancel = 3, CloseBox = 0 };

// Fills in "Search List" and presses one of its buttons.
std::unique_ptr<tvtest::ModalResponder> answerSearch(const QString &text, bool matchCase, bool addToSelection,
                                                     int button)
{
    return std::make_unique<tvtest::ModalResponder>(QStringLiteral("Form9"), [=](QDialog *d) {
        auto *form = static_cast<tv::Form9 *>(d);
        form->Text1->setText(text);
        form->Check1->setChecked(matchCase);
        form->Check2->setChecked(addToSelection);
        switch (button) {
        case Find: form->Command1->click(); break;
        case FindNext: form->Command2->click(); break;
        case Cancel: form->Command3->click(); break;
        default: form->reject(); break;
        }
    });
}

QList<int> selectedRows(const tv::LinkList &list)
{
    QList<int> rows;
    for (int i = 0; i < list.ListCount(); ++i) {
        if (list.Selected(i))
            rows.append(i);
    }
    return rows;
}

const QStringList kThree{"http://one.example/x", "http://two.example/B", "http://three.example/b"};

} // namespace

class TestListDialogs : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void searchDialogLooks();
    void search_data();
    void search();
    void findNextWithoutWrap();
    void searchScrollsMatchToTop();
    void singleLinkDialogLooks();
    void singleLink_data();
    void singleLink();
    void singleLinkBadFormatKeepsDialog();
    void singleLinkIntoFullList();
    void exportList_data();
    void exportList();
    void exportUnwritable();
    void exportCancel();
    void sequenceStopsAtTheListLimit();
    void sequenceWithoutAppendReplacesTheList();
    void sequenceCancelStillShowsCount();

private:

    std::unique_ptr<tvtest::MainWindowFixture> m_fx;
    QTemporaryDir m_dir;
};

void TestListDialogs::init()
{
    m_fx = std::make_unique<tvtest::MainWindowFixture>();
}

void TestListDialogs::cleanup()
{
    m_fx.reset();
    QVERIFY(!QApplication::overrideCursor());
}

void TestListDialogs::searchDialogLooks()
{
    tv::Form9 dialog(m_fx->form.get());
    QVERIFY(!dialog.Check1->isChecked());
    QVERIFY(dialog.Check2->isChecked());
    QVERIFY(dialog.Command1->isDefault());
}

void TestListDialogs::search_data()
{
    QTest::addColumn<QList<int>>("preselected");
    QTest::addColumn<int>("lastFound");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("addToSelection");
    QTest::addColumn<int>("button");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<int>("found");   // the last found index afterwards
    QTest::addColumn<bool>("notFound");

    const QList<int> all{0, 1, 2};
    QTest::newRow("ignore-case-finds-upper-B-deselects-rest")
        << all << 0 << "b" << false << false << int(Find) << QList<int>{1} << 1 << false;
    QTest::newRow("match-case-finds-lower-b")
        << all << 0 << "b" << true << false << int(Find) << QList<int>{2} << 2 << false;
    QTest::newRow("find-next-leaves-earlier-items")
        << all << 1 << "b" << false << false << int(FindNext) << QList<int>{0, 1, 2} << 2 << false;
    QTest::newRow("find-next-from-first-match")
        << QList<int>{1} << 1 << "b" << false << false << int(FindNext) << QList<int>{1, 2} << 2 << false;
    QTest::newRow("add-to-selection-keeps-others")
        << QList<int>{0} << 0 << "B" << true << true << int(Find) << QList<int>{0, 1} << 1 << false;
    QTest::newRow("not-found-still-deselects")
        << all << 0 << "zzz" << false << false << int(Find) << QList<int>{} << 0 << true;
    QTest::newRow("empty-text-does-nothing")
        << all << 0 << "" << false << false << int(Find) << all << 0 << false;
    QTest::newRow("close-box-does-nothing")
        << all << 0 << "b" << false << false << int(CloseBox) << all << 0 << false;
    QTest::newRow("cancel-closes-and-does-nothing")
        << all << 0 << "b" << false << false << int(Cancel) << all << 0 << false;
}

void TestListDialogs::search()
{
    QFETCH(QList<int>, preselected);
    QFETCH(int, lastFound);
    QFETCH(QString, text);
    QFETCH(bool, matchCase);
    QFETCH(bool, addToSelection);
    QFETCH(int, button);
    QFETCH(QList<int>, selected);
    QFETCH(int, found);
    QFETCH(bool, notFound);

    m_fx->form->List1->AppendMany(kThree);
    for (int i : preselected)
        m_fx->form->List1->setSelected(i, true);
    m_fx->form->lastFound = lastFound;
    auto responder = answerSearch(text, matchCase, addToSelection, button);

    m_fx->form->mnulstsrch->trigger();

    QCOMPARE(responder->count(), 1);
    QCOMPARE(selectedRows(*m_fx->form->List1), selected);
    QCOMPARE(m_fx->form->lastFound, found);
    QCOMPARE(m_fx->boxes.shown().size(), notFound ? 1 : 0);
    if (notFound) {
        QCOMPARE(m_fx->boxes.shown().first().title, QStringLiteral("Not Found"));
        QCOMPARE(m_fx->boxes.shown().first().text, QStringLiteral("Search text not found"));
        QCOMPARE(m_fx->boxes.shown().first().icon, tv::MsgIcon::Information);
    }
    // The answers are left on the window.
    if (button == Find || button == FindNext) {
        QCOMPARE(m_fx->form->srchtxt, text);
        QCOMPARE(m_fx->form->mcase, matchCase);
        QCOMPARE(m_fx->form->add2sel, addToSelection);
        QCOMPARE(m_fx->form->fnext, button == FindNext);
    } else {
        QVERIFY(m_fx->form->srchtxt.isEmpty());
        QVERIFY(!m_fx->form->fnext);
    }
}

void TestListDialogs::findNextWithoutWrap()
{
    m_fx->form->List1->AppendMany(kThree);
    {
        auto responder = answerSearch(QStringLiteral("b"), false, false, Find);
        m_fx->form->mnulstsrch_Click();
    }
    QCOMPARE(m_fx->form->lastFound, 1);
    {
        auto responder = answerSearch(QStringLiteral("b"), false, false, FindNext);
        m_fx->form->mnulstsrch_Click();
    }
    QCOMPARE(m_fx->form->lastFound, 2);
    QCOMPARE(selectedRows(*m_fx->form->List1), (QList<int>{1, 2}));
    QVERIFY(m_fx->boxes.shown().isEmpty());
    // Item 1 matches too, but the search does not go round.
    {
        auto responder = answerSearch(QStringLiteral("b"), false, false, FindNext);
        m_fx->form->mnulstsrch_Click();
    }
    QCOMPARE(m_fx->boxes.shown().size(), 1);
    QCOMPARE(m_fx->boxes.shown().first().title, QStringLiteral("Not Found"));
    QCOMPARE(m_fx->form->lastFound, 2);
}

void TestListDialogs::searchScrollsMatchToTop()
{
    QStringList many;
    for (int i = 0; i < 400; ++i)
        many.append(QStringLiteral("http://host.example/page%1").arg(i, 3, 10, QLatin1Char('0')));
    m_fx->form->List1->AppendMany(many);
    m_fx->form->resize(500, 300);
    m_fx->form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_fx->form.get()));
    QCOMPARE(m_fx->form->List1->TopIndex(), 0);
    auto responder = answerSearch(QStringLiteral("PAGE250"), false, true, Find);
    m_fx->form->mnulstsrch_Click();
    QCOMPARE(m_fx->form->lastFound, 250);
    QTRY_COMPARE(m_fx->form->List1->TopIndex(), 250);
}

void TestListDialogs::singleLinkDialogLooks()
{
    tv::Form11 dialog(m_fx->form->List1, m_fx->form.get());
    QVERIFY(dialog.Check1->isChecked());
    QVERIFY(dialog.Command1->isDefault());
}

void TestListDialogs::singleLink_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("appendChecked");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("appends-link") << "http://new" << true << false << QStringList{"http://old", "http://new"};
    QTest::newRow("no-scheme-separator-needed") << "httpx" << true << false << QStringList{"http://old", "httpx"};
    QTest::newRow("upper-case-ftp") << "FTP://f" << true << false << QStringList{"http://old", "FTP://f"};
    QTest::newRow("empty-text-appended-as-empty-item") << "" << true << false << QStringList{"http://old", ""};
    QTest::newRow("unchecked-replaces-list") << "http://new" << false << false << QStringList{"http://new"};
    QTest::newRow("duplicate-added") << "http://old" << true << false << QStringList{"http://old", "http://old"};
    QTest::newRow("cancel-changes-nothing") << "http://new" << false << true << QStringList{"http://old"};
}

void TestListDialogs::singleLink()
{
    QFETCH(QString, text);
    QFETCH(bool, appendChecked);
    QFETCH(bool, cancel);
    QFETCH(QStringList, expected);

    m_fx->form->List1->AppendMany({"http://old"});
    m_fx->form->ShowCount();
    tvtest::ModalResponder responder(QStringLiteral("Form11"), [=](QDialog *d) {
        auto *form = static_cast<tv::Form11 *>(d);
        form->Text1->setText(text);
        form->Check1->setChecked(appendChecked);
        (cancel ? form->Command2 : form->Command1)->click();
    });
    m_fx->form->mnulstSingle->trigger();
    QCOMPARE(responder.count(), 1);
    QCOMPARE(m_fx->form->List1->Items(), expected);
    QVERIFY(m_fx->boxes.shown().isEmpty());
    QCOMPARE(m_fx->countText(), QStringLiteral("%1 links found").arg(expected.size()));
}

void TestListDialogs::singleLinkBadFormatKeepsDialog()
{
    m_fx->form->List1->AppendMany({"http://old", "http://older"});
    bool openAfterAdd = false;
    tvtest::ModalResponder responder(QStringLiteral("Form11"), [&](QDialog *d) {
        auto *form = static_cast<tv::Form11 *>(d);
        form->Text1->setText(QStringLiteral("www.example.com"));
        form->Check1->setChecked(false);
        form->Command1->click();
        openAfterAdd = form->isVisible();
        form->Command2->click();
    });
    m_fx->form->mnulstSingle_Click();
    QVERIFY(openAfterAdd);
    // The list was emptied before the address was looked at.
    QCOMPARE(m_fx->form->List1->ListCount(), 0);
    QCOMPARE(m_fx->boxes.shown().size(), 1);
    QCOMPARE(m_fx->boxes.shown().first().title, QStringLiteral("Bad Format"));
    QCOMPARE(m_fx->boxes.shown().first().text,
             QStringLiteral("Please enter a valid URL in the format of \"ftp:// or http://...\". Operation aborted."));
    QCOMPARE(m_fx->boxes.shown().first().icon, tv::MsgIcon::Critical);
}

void TestListDialogs::singleLinkIntoFullList()
{
    QStringList full;
    for (int i = 0; i < tv::LinkList::MaxItems; ++i)
        full.append(QStringLiteral("http://a/%1").arg(i));
    m_fx->form->List1->AppendMany(full);
    bool openAfterAdd = false;
    tvtest::ModalResponder responder(QStringLiteral("Form11"), [&](QDialog *d) {
        auto *form = static_cast<tv::Form11 *>(d);
        form->Text1->setText(QStringLiteral("http://one-more"));
        form->Command1->click();
        openAfterAdd = form->isVisible();
        form->Command2->click();
    });
    m_fx->form->mnulstSingle_Click();
    QVERIFY(openAfterAdd);
    QCOMPARE(m_fx->form->List1->ListCount(), tv::LinkList::MaxItems);
    QCOMPARE(m_fx->boxes.shown().size(), 1);
    QCOMPARE(m_fx->boxes.shown().first().title, QStringLiteral("List Full"));
}

void TestListDialogs::exportList_data()
{
    QTest::addColumn<bool>("toolbar");
    QTest::newRow("file-menu") << false;
    QTest::newRow("toolbar-save-menu") << true;
}

void TestListDialogs::exportList()
{
    QFETCH(bool, toolbar);
    m_fx->form->List1->AppendMany({"http://a", "ftp://b"});
    m_fx->form->List1->setSelected(0, true);
    const QString path = m_dir.filePath(QStringLiteral("saved.txt"));
    m_fx->answerPath = path;
    m_fx->boxes.answer(tv::MsgResult::Yes);   // create the new file
    (toolbar ? m_fx->form->savelist : m_fx->form->mnufsavlst)->trigger();

    QCOMPARE(m_fx->requests.size(), 1);
    QCOMPARE(m_fx->requests.first().kind, tv::FileDialogKind::Save);
    QCOMPARE(m_fx->requests.first().title, QStringLiteral("Save file as..."));
    QCOMPARE(m_fx->requests.first().nameFilters, (QStringList{"Text Files (*.txt)", "All Files (*)"}));
    QCOMPARE(m_fx->boxes.shown().size(), 1);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("http://a\r\nftp://b\r\n"));
    QCOMPARE(m_fx->form->settings().GetSetting(QStringLiteral("Options"), QStringLiteral("Last Used Save Folder")), path);
    QCOMPARE(m_fx->form->List1->Items(), (QStringList{"http://a", "ftp://b"}));
}

void TestListDialogs::exportUnwritable()
{
    m_fx->form->List1->AppendMany({"http://a"});
    QFile blocker(m_dir.filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString path = m_dir.filePath(QStringLiteral("blocker/list.txt"));
    m_fx->answerPath = path;
    m_fx->boxes.answer(tv::MsgResult::Yes);
    m_fx->form->mnufsavlst_Click();
    QCOMPARE(m_fx->boxes.shown().size(), 2);
    const tv::MessageBoxRequest &box = m_fx->boxes.shown().at(1);
    QCOMPARE(box.title, QStringLiteral("Save Error"));
    QCOMPARE(box.icon, tv::MsgIcon::Critical);
    QVERIFY2(box.text.contains(path), qPrintable(box.text));
    QCOMPARE(m_fx->form->List1->Items(), QStringList{"http://a"});
}

void TestListDialogs::exportCancel()
{
    m_fx->form->List1->AppendMany({"http://a"});
    m_fx->form->mnufsavlst_Click();
    QCOMPARE(m_fx->requests.size(), 1);
    QVERIFY(m_fx->boxes.shown().isEmpty());
    QCOMPARE(m_fx->form->settings().GetSetting(QStringLiteral("Options"), QStringLiteral("Last Used Save Folder"),
                                           QStringLiteral("<none>")),
             QStringLiteral("<none>"));
}

void TestListDialogs::sequenceStopsAtTheListLimit()
{
    // From 0 to the largest number: the run stops at the list's limit.
    tv::Form1 &form = *m_fx->form;
    form.ontop = true;
    form.List1->Append(QStringLiteral("http://keep/"));
    bool wasTopmost = true;
    tvtest::whenModal([&](QWidget *modal) {
        wasTopmost = form.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        auto *f = qobject_cast<tv::Form2 *>(modal);
        QVERIFY(f);
        f->Text1->setText(QStringLiteral("http://h/1.jpg"));
        f->Text1->setSelection(9, 1);
        f->Check1->setChecked(true);
        f->text3->setEditText(QStringLiteral("0"));
        f->text4->setEditText(QStringLiteral("2147483647"));
        f->Command1_Click();
    });
    QGuiApplication::clipboard()->clear();
    form.mnufSeq_Click();
    QVERIFY(!wasTopmost);
    QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(form.List1->ListCount(), tv::LinkList::MaxItems);
    QCOMPARE(form.List1->List(0), QStringLiteral("http://keep/"));
    QCOMPARE(form.List1->List(1), QStringLiteral("http://h/0.jpg"));
    QCOMPARE(form.List1->List(tv::LinkList::MaxItems - 1), QStringLiteral("http://h/32765.jpg"));
    QVERIFY(form.List1->HorizontalExtent() > 0);
    const auto &boxes = m_fx->boxes.shown();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, QStringLiteral("List Full"));
    // 2147483648 numbers, 32766 of them fitted.
    QVERIFY(boxes.first().text.contains(QStringLiteral("2147450882")));
}

void TestListDialogs::sequenceWithoutAppendReplacesTheList()
{
    // A start above the end makes no links, and the list is still cleared.
    tv::Form1 &form = *m_fx->form;
    form.List1->Append(QStringLiteral("http://a/"));
    tvtest::whenModal([&](QWidget *modal) {
        auto *f = qobject_cast<tv::Form2 *>(modal);
        QVERIFY(f);
        f->Text1->setText(QStringLiteral("http://h/1"));
        f->Text1->setSelection(9, 1);
        f->text3->setEditText(QStringLiteral("5"));
        f->text4->setEditText(QStringLiteral("3"));
        f->Command1_Click();
    });
    form.mnufSeq_Click();
    QCOMPARE(form.List1->ListCount(), 0);
    QCOMPARE(m_fx->countText(), QStringLiteral("0 links found"));
}

void TestListDialogs::sequenceCancelStillShowsCount()
{
    tv::Form1 &form = *m_fx->form;
    form.List1->Append(QStringLiteral("http://a/"));
    tvtest::whenModal([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    form.mnufSeq_Click();
    QCOMPARE(form.List1->ListCount(), 1);
    QCOMPARE(m_fx->countText(), QStringLiteral("1 links found"));
    QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TV_TEST_MAIN(TestListDialogs)
#include "tst_listdialogs.moc"
