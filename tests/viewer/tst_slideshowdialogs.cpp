// "Slide Show Options" and "Slideshow Paused": what they show of the stored
// options, and the answer every way of leaving them gives.
#include "settings/settingsstore.h"
#include "support/testenv.h"
#include "viewer/slideshowoptionsdialog.h"
#include "viewer/slideshowpauseddialog.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

using namespace tv;

class TestSlideshowDialogs : public QObject
{
    Q_OBJECT

private slots:
    void optionsShowTheStoredValues_data()
    {
        QTest::addColumn<QStringList>("stored"); // Interval, Include Files, Wait; empty: none stored
        QTest::addColumn<SlideshowOptions>("shown");
        QTest::newRow("nothing-stored") << QStringList{} << SlideshowOptions{4, true, true};
        QTest::newRow("all-from-load-start") << QStringList{"120", "0", "0"} << SlideshowOptions{120, false, false};
        QTest::newRow("hand-edited") << QStringList{"60s", "True", "1"} << SlideshowOptions{60, true, true};
        // Out of range, however wide: the defaults.
        QTest::newRow("out-of-range") << QStringList{"500", "2", "-1"} << SlideshowOptions{4, true, true};
        QTest::newRow("300-digits") << QStringList{"1" + QString(300, u'0'), "0", "0"} << SlideshowOptions{4, false, false};
    }
    void optionsShowTheStoredValues()
    {
        QFETCH(QStringList, stored);
        QFETCH(SlideshowOptions, shown);
        CRegSettings settings = CRegSettings::program();
        settings.DeleteSetting(QStringLiteral("slideshow"));
        const QStringList keys{QStringLiteral("Interval"), QStringLiteral("Include Files"), QStringLiteral("Wait")};
        for (int i = 0; i < stored.size(); ++i)
            settings.SaveSetting(QStringLiteral("slideshow"), keys[i], stored[i]);
        Form6 dialog(SlideshowOptions::load(settings));
        QCOMPARE(dialog.Combo1->currentText(), QString::number(shown.interval));
        QVERIFY(dialog.Option1[shown.justSelected ? 1 : 0]->isChecked());
        QVERIFY(dialog.Option2[shown.fromLoadComplete ? 0 : 1]->isChecked());
    }

    void leaving_data()
    {
        QTest::addColumn<bool>("paused"); // Form7, else Form6
        QTest::addColumn<int>("how");     // 0 the first button, 1 the other, 2 Esc, 3 the close button
        const char *ways[] = {"go-on", "other", "esc", "close"};
        for (bool paused : {false, true})
            for (int how = 0; how < 4; ++how)
                QTest::addRow("%s-%s", paused ? "paused" : "options", ways[how]) << paused << how;
    }
    void leaving()
    {
        QFETCH(bool, paused);
        QFETCH(int, how);
        Form6 options(SlideshowOptions{});
        options.Combo1->setCurrentIndex(119);
        options.Option1[0]->setChecked(true);
        options.Option2[1]->setChecked(true);
        Form7 pausedDialog;
        QDialog &dialog = paused ? static_cast<QDialog &>(pausedDialog) : options;
        QPushButton *buttons[] = {paused ? pausedDialog.Command1 : options.Command3,
                                  paused ? pausedDialog.Command2 : options.Command1};
        dialog.show();
        if (how < 2)
            buttons[how]->click();
        else if (how == 2)
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.close();
        QVERIFY(!dialog.isVisible());
        if (paused)
            QCOMPARE(pausedDialog.ss_resume, how == 0);
        else
            QCOMPARE(options.result(), how == 0 ? std::optional(SlideshowOptions{120, false, false}) : std::nullopt);
    }
};

TV_TEST_MAIN(TestSlideshowDialogs)
#include "tst_slideshowdialogs.moc"
