// "Slide Show Options" and "Slideshow Paused": what they show of the stored
// options, and the answer every way of leaving them gives.
#include "settings/settingsstore.h"
#include "support/testenv.h"
#include "viewer/slideshowoptionsdialog.h"
#include "viewer/slideshowpauseddialog.h"
#include "winsupport/helpwindow.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>

using namespace tv;

namespace {

enum class Leave { Start, Cancel, Esc, CloseButton };

void leave(QDialog &dialog, Leave how, QPushButton *start, QPushButton *cancel)
{
    dialog.show();
    switch (how) {
    case Leave::Start: start->click(); break;
    case Leave::Cancel: cancel->click(); break;
    case Leave::Esc: QTest::keyClick(&dialog, Qt::Key_Escape); break;
    case Leave::CloseButton: dialog.close(); break;
    }
    QVERIFY(!dialog.isVisible());
}

} // namespace

class TestSlideshowDialogs : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { delete HelpWindow::instance(); }

    void optionsShowTheStoredValues_data()
    {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("include");
        QTest::addColumn<QString>("wait");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("justSelected");
        QTest::addColumn<bool>("fromLoadComplete");
        QTest::newRow("nothing-stored") << QString() << QString() << QString() << "4" << true << true;
        QTest::newRow("all-from-load-start") << "120" << "0" << "0" << "120" << false << false;
        QTest::newRow("hand-edited-out-of-range") << "500" << "True" << "1" << "120" << true << true;
        QTest::newRow("not-a-number") << "soon" << "1" << "0" << "1" << true << false;
    }
    void optionsShowTheStoredValues()
    {
        QFETCH(QString, interval);
        QFETCH(QString, include);
        QFETCH(QString, wait);
        QFETCH(QString, shown);
        QFETCH(bool, justSelected);
        QFETCH(bool, fromLoadComplete);
        CRegSettings settings = CRegSettings::program();
        settings.DeleteSetting(QStringLiteral("slideshow"));
        const QStringList keys{QStringLiteral("Interval"), QStringLiteral("Include Files"), QStringLiteral("Wait")};
        const QStringList values{interval, include, wait};
        for (int i = 0; i < 3; ++i)
            if (!values[i].isNull())
                settings.SaveSetting(QStringLiteral("slideshow"), keys[i], values[i]);

        Form6 dialog(SlideshowOptions::load(settings));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Slide Show Options"));
        QCOMPARE(dialog.Combo1->count(), 120);
        QCOMPARE(dialog.Combo1->itemText(0), QStringLiteral("1"));
        QCOMPARE(dialog.Combo1->currentText(), shown);
        QCOMPARE(dialog.Option1[1]->isChecked(), justSelected);
        QCOMPARE(dialog.Option1[0]->isChecked(), !justSelected);
        QCOMPARE(dialog.Option2[0]->isChecked(), fromLoadComplete);
        QCOMPARE(dialog.Option2[0]->text(), QStringLiteral("From load comlpete"));
        QCOMPARE(dialog.Option2[1]->isChecked(), !fromLoadComplete);
    }

    void optionsAnswer_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("start") << int(Leave::Start);
        QTest::newRow("cancel") << int(Leave::Cancel);
        QTest::newRow("esc-is-cancel") << int(Leave::Esc);
        QTest::newRow("close-button-is-cancel") << int(Leave::CloseButton);
    }
    void optionsAnswer()
    {
        QFETCH(int, how);
        Form6 dialog(SlideshowOptions{});
        dialog.Combo1->setCurrentIndex(119);
        dialog.Option1[0]->setChecked(true);
        dialog.Option2[1]->setChecked(true);
        leave(dialog, Leave(how), dialog.Command3, dialog.Command1);
        const bool started = Leave(how) == Leave::Start;
        QCOMPARE(dialog.canceled, !started);
        QCOMPARE(dialog.result().has_value(), started);
        if (started) {
            QCOMPARE(*dialog.result(), (SlideshowOptions{120, false, false}));
            QCOMPARE(dialog.incl, qint16(0));
            QCOMPARE(dialog.whentochange, qint16(0));
        }
    }

    void optionsHelp()
    {
        Form6 dialog(SlideshowOptions{});
        dialog.Command2->click();
        QVERIFY(HelpWindow::instance());
        QVERIFY(HelpWindow::instance()->source().path().endsWith(QStringLiteral("topic19.html")));
        QVERIFY(!dialog.result());
    }

    void pausedAnswer_data() { optionsAnswer_data(); }
    void pausedAnswer()
    {
        QFETCH(int, how);
        Form7 dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Slideshow Paused"));
        QVERIFY(dialog.Command1->isDefault());
        leave(dialog, Leave(how), dialog.Command1, dialog.Command2);
        QCOMPARE(dialog.ss_resume, Leave(how) == Leave::Start);
    }
};

TV_TEST_MAIN(TestSlideshowDialogs)
#include "tst_slideshowdialogs.moc"
