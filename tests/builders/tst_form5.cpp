#include "app/form1.h"
#include "app/linklist.h"
#include "builders/form5.h"
#include "platform/commoncontrols.h"
#include "support/fakebrowser.h"
#include "support/testenv.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QCompleter>
#include <QStringListModel>

using namespace tv;

class TestForm5 : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void suggestions_data();
    void suggestions();
    void buildEnabling();
    void buildFromText1();
    void enterBuildsEscCancels();

private:
    std::unique_ptr<tvtest::FakeBrowserComponent> m_browser;
    std::unique_ptr<Form1> m_form;
};

void TestForm5::init()
{
    m_browser = std::make_unique<tvtest::FakeBrowserComponent>();
    m_form = std::make_unique<Form1>(m_browser.get());
}

void TestForm5::cleanup()
{
    m_form.reset();
    m_browser.reset();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void TestForm5::suggestions_data()
{
    // Windows: "url|html" or "url|not-html" or "url|broken".
    QTest::addColumn<QStringList>("windows");
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<int>("listIndex");
    QTest::addColumn<bool>("comboShown");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("shownText");

    QTest::newRow("nothing-to-suggest") << QStringList{} << QStringList{} << -1 << false << QStringList{} << "";
    QTest::newRow("open-pages-last-first")
        << QStringList{"http://a/|html", "http://b/|not-html", "http://c/|broken", "http://d/|html"} << QStringList{}
        << -1 << true << QStringList{"http://d/", "http://a/"} << "http://d/";
    QTest::newRow("only-non-html-windows") << QStringList{"http://b/|not-html"} << QStringList{} << -1 << false
                                           << QStringList{} << "";
    QTest::newRow("current-entry-on-top")
        << QStringList{"http://a/|html", "http://d/|html"} << QStringList{"http://x/", "http://y/"} << 1 << true
        << QStringList{"http://y/", "http://d/", "http://a/"} << "http://y/";
    QTest::newRow("current-entry-without-windows")
        << QStringList{} << QStringList{"http://x/"} << 0 << true << QStringList{"http://x/"} << "http://x/";
    QTest::newRow("list-without-current-entry")
        << QStringList{} << QStringList{"http://x/"} << -1 << false << QStringList{} << "";
}

void TestForm5::suggestions()
{
    QFETCH(QStringList, windows);
    QFETCH(QStringList, list);
    QFETCH(int, listIndex);
    QFETCH(bool, comboShown);
    QFETCH(QStringList, items);
    QFETCH(QString, shownText);

    for (const QString &w : windows) {
        const QStringList parts = w.split(u'|');
        auto window = m_browser->addWindow(parts.at(0), parts.at(1) != u"not-html");
        window->broken = parts.at(1) == u"broken";
    }
    for (const QString &entry : list)
        m_form->List1->Append(entry);
    m_form->List1->setListIndex(listIndex);
    QCOMPARE(m_form->List1->ListIndex(), listIndex);

    Form5 dialog(m_form.get());
    QCOMPARE(dialog.Combo1->isHidden(), !comboShown);
    QCOMPARE(dialog.Text1->isHidden(), comboShown);
    QStringList shownItems;
    for (int i = 0; i < dialog.Combo1->count(); ++i)
        shownItems.append(dialog.Combo1->itemText(i));
    QCOMPARE(shownItems, items);
    QCOMPARE(comboShown ? dialog.Combo1->currentText() : dialog.Text1->text(), shownText);
}

void TestForm5::buildEnabling()
{
    Form5 dialog(m_form.get());
    dialog.Timer1_Timer();
    QVERIFY(!dialog.Command1->isEnabled());
    dialog.Text1->setText("h");
    QTRY_VERIFY(dialog.Command1->isEnabled());
    dialog.Text1->clear();
    QTRY_VERIFY(!dialog.Command1->isEnabled());
    dialog.Combo1->setEditText("x");
    QTRY_VERIFY(dialog.Command1->isEnabled());
}

void TestForm5::buildFromText1()
{
    m_form->append = false;
    Form5 dialog(m_form.get());
    dialog.Text1->setText(" http://h.test/page ");
    dialog.Check2->setChecked(true);
    QTRY_VERIFY(dialog.Command1->isEnabled());
    dialog.Command1->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    // Taken as typed: not trimmed, not checked.
    QCOMPARE(dialog.strurl, QStringLiteral(" http://h.test/page "));
    QVERIFY(m_form->append);
    QCOMPARE(m_form->Status(), QStringLiteral("Bulding list (press \"Esc\" to cancel)."));
    QCOMPARE(m_form->sbStatusBar->Panels("pnlProgress")->Text(), QString());
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

    // The address is offered again by the completion of the next dialog.
    Form5 next(m_form.get());
    auto *used = qobject_cast<QStringListModel *>(next.Text1->completer()->model());
    QVERIFY(used);
    QVERIFY(used->stringList().contains(QStringLiteral(" http://h.test/page ")));
}

void TestForm5::enterBuildsEscCancels()
{
    {
        Form5 dialog(m_form.get());
        dialog.show();
        dialog.Text1->setText("http://h/");
        dialog.Timer1_Timer();
        QTest::keyClick(dialog.Text1, Qt::Key_Return);
        QCOMPARE(dialog.strurl, QStringLiteral("http://h/"));
    }
    {
        // With pages to offer, the box's typed text is the address.
        m_browser->addWindow("http://open.test/");
        m_form->append = true;
        Form5 dialog(m_form.get());
        dialog.show();
        QVERIFY(dialog.Text1->isHidden());
        dialog.Text1->setText("ignored while hidden");
        dialog.Combo1->setEditText("http://typed/");
        dialog.Timer1_Timer();
        QTest::keyClick(dialog.Combo1->lineEdit(), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.strurl, QStringLiteral("http://typed/"));
        QVERIFY(!m_form->append);
    }
    {
        Form5 dialog(m_form.get());
        dialog.show();
        dialog.Text1->setText("http://h/");
        QTest::keyClick(dialog.Text1, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.strurl, QString());
    }
}

TV_TEST_MAIN(TestForm5)
#include "tst_form5.moc"
