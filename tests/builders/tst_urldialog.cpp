#include "builders/urldialog.h"
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
};

void TestForm5::init()
{
    m_browser = std::make_unique<tvtest::FakeBrowserComponent>();
}

void TestForm5::cleanup()
{
    m_browser.reset();
}

void TestForm5::suggestions_data()
{
    // Windows: "url|html" or "url|not-html" or "url|broken".
    // The list's current entry: a null text for none.
    QTest::addColumn<QStringList>("windows");
    QTest::addColumn<QString>("current");
    QTest::addColumn<bool>("comboShown");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("shownText");

    QTest::newRow("nothing-to-suggest") << QStringList{} << QString() << false << QStringList{} << "";
    QTest::newRow("open-pages-last-first")
        << QStringList{"http://a/|html", "http://b/|not-html", "http://c/|broken", "http://d/|html"} << QString()
        << true << QStringList{"http://d/", "http://a/"} << "http://d/";
    QTest::newRow("only-non-html-windows") << QStringList{"http://b/|not-html"} << QString() << false
                                           << QStringList{} << "";
    QTest::newRow("current-entry-on-top") << QStringList{"http://a/|html", "http://d/|html"} << "http://y/" << true
                                          << QStringList{"http://y/", "http://d/", "http://a/"} << "http://y/";
    QTest::newRow("current-entry-without-windows")
        << QStringList{} << "http://x/" << true << QStringList{"http://x/"} << "http://x/";
}

void TestForm5::suggestions()
{
    QFETCH(QStringList, windows);
    QFETCH(QString, current);
    QFETCH(bool, comboShown);
    QFETCH(QStringList, items);
    QFETCH(QString, shownText);

    for (const QString &w : windows) {
        const QStringList parts = w.split(u'|');
        auto window = m_browser->addWindow(parts.at(0), parts.at(1) != u"not-html");
        window->broken = parts.at(1) == u"broken";
    }
    Form5 dialog(m_browser.get(), current.isNull() ? std::nullopt : std::optional<QString>(current), false);
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
    Form5 dialog(m_browser.get(), {}, false);
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
    Form5 dialog(m_browser.get(), {}, false);
    dialog.Text1->setText(" http://h.test/page ");
    dialog.Check2->setChecked(true);
    QTRY_VERIFY(dialog.Command1->isEnabled());
    dialog.Command1->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    // Taken as typed: not trimmed, not checked.
    QCOMPARE(dialog.strurl, QStringLiteral(" http://h.test/page "));
    QVERIFY(dialog.Append());

    // The address is offered again by the completion of the next dialog.
    Form5 next(m_browser.get(), {}, false);
    auto *used = qobject_cast<QStringListModel *>(next.Text1->completer()->model());
    QVERIFY(used);
    QVERIFY(used->stringList().contains(QStringLiteral(" http://h.test/page ")));
}

void TestForm5::enterBuildsEscCancels()
{
    {
        Form5 dialog(m_browser.get(), {}, false);
        dialog.show();
        dialog.Text1->setText("http://h/");
        dialog.Timer1_Timer();
        QTest::keyClick(dialog.Text1, Qt::Key_Return);
        QCOMPARE(dialog.strurl, QStringLiteral("http://h/"));
    }
    {
        // With pages to offer, the box's typed text is the address.
        m_browser->addWindow("http://open.test/");
        Form5 dialog(m_browser.get(), {}, false);
        dialog.show();
        QVERIFY(dialog.Text1->isHidden());
        dialog.Text1->setText("ignored while hidden");
        dialog.Combo1->setEditText("http://typed/");
        dialog.Timer1_Timer();
        QTest::keyClick(dialog.Combo1->lineEdit(), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.strurl, QStringLiteral("http://typed/"));
        QVERIFY(!dialog.Append());
    }
    {
        Form5 dialog(m_browser.get(), {}, false);
        dialog.show();
        dialog.Text1->setText("http://h/");
        QTest::keyClick(dialog.Text1, Qt::Key_Escape);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.strurl, QString());
    }
}

TV_TEST_MAIN(TestForm5)
#include "tst_urldialog.moc"
