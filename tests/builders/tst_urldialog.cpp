// "Build List from URL": what it suggests and what it hands back.
#include "builders/urldialog.h"
#include "platform/desktopservices.h"
#include "support/fakebrowser.h"
#include "support/testenv.h"

#include <QCheckBox>
#include <QComboBox>
#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QPushButton>
#include <QStringListModel>

#include <tuple>

using namespace tv;

class TestForm5 : public QObject
{
    Q_OBJECT

private slots:
    void suggestions()
    {
        // Open windows ("url|html", "url|not-html", "url|broken") and the list's
        // current entry: the suggestions, "" when the plain text box shows.
        const std::tuple<QStringList, const char *, QStringList> rows[] = {
            {QStringList{}, nullptr, QStringList{}},
            {{"http://a/|html", "http://b/|not-html", "http://c/|broken", "http://d/|html"}, nullptr, {"http://d/", "http://a/"}},
            {QStringList{"http://b/|not-html"}, nullptr, QStringList{}},
            {{"http://a/|html", "http://d/|html"}, "http://y/", {"http://y/", "http://d/", "http://a/"}},
            {QStringList{}, "http://x/", QStringList{"http://x/"}},
        };
        for (const auto &[windows, current, items] : rows) {
            tvtest::FakeBrowserComponent browser;
            for (const QString &w : windows) {
                const QStringList parts = w.split(u'|');
                browser.addWindow(parts.at(0), parts.at(1) != u"not-html")->broken = parts.at(1) == u"broken";
            }
            Form5 dialog(&browser, current ? std::optional<QString>(QLatin1String(current)) : std::nullopt, false);
            QCOMPARE(dialog.Text1->isHidden(), !items.isEmpty());
            QStringList shown;
            for (int i = 0; i < dialog.Combo1->count(); ++i)
                shown.append(dialog.Combo1->itemText(i));
            QCOMPARE(shown, items);
            QCOMPARE(dialog.Combo1->currentText(), items.value(0));
        }
    }

    void buildTakesTheTextAsTyped()
    {
        // Not trimmed, not checked; with pages to offer, the box's typed text
        // is the address and the hidden plain box is ignored.
        for (const bool offered : {false, true}) {
            tvtest::FakeBrowserComponent browser;
            if (offered)
                browser.addWindow("http://open.test/");
            Form5 dialog(&browser, {}, false);
            dialog.show();
            dialog.Text1->setText(" http://h.test/page ");
            if (offered)
                dialog.Combo1->setEditText("http://typed/");
            dialog.Check2->setChecked(!offered);
            dialog.Timer1_Timer();
            QTest::keyClick(offered ? static_cast<QWidget *>(dialog.Combo1->lineEdit()) : dialog.Text1, Qt::Key_Return);
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(dialog.strurl, offered ? QStringLiteral("http://typed/") : QStringLiteral(" http://h.test/page "));
            QCOMPARE(dialog.Append(), !offered);
        }
        // The address is offered again by the completion of the next dialog.
        tvtest::FakeBrowserComponent browser;
        Form5 next(&browser, {}, false);
        auto *used = qobject_cast<QStringListModel *>(next.Text1->completer()->model());
        QVERIFY(used && used->stringList().contains(QStringLiteral(" http://h.test/page ")));
    }

    void oneClickActsWhileCompletionShows()
    {
        RememberAddress(QStringLiteral("http://used.test/before"));
        tvtest::FakeBrowserComponent browser;
        Form5 dialog(&browser, {}, false);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClicks(dialog.Text1, "http://used");
        QWidget *list = dialog.Text1->completer()->popup();
        QTRY_VERIFY(list->isVisible());
        dialog.Timer1_Timer();
        // Through the window, as the system delivers it: to the open list first.
        QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, {},
                          dialog.Command1->mapTo(&dialog, dialog.Command1->rect().center()));
        QVERIFY(!list->isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.strurl, QStringLiteral("http://used"));
    }
};

TV_TEST_MAIN(TestForm5)
#include "tst_urldialog.moc"
