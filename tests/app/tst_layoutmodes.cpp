#include "app/linklist.h"
#include "app/mainwindow.h"
#include "app/windowlayout.h"
#include "platform/commoncontrols.h"
#include "support/mainwindowfixture.h"
#include "support/testenv.h"

#include <QMenuBar>
#include <QToolBar>

using namespace tv;

namespace {

QStringList visibleToolbarKeys(const Form1 &f)
{
    QStringList keys;
    for (QAction *action : f.Toolbar1->actions()) {
        if (action->isVisible())
            keys << f.Toolbar1->widgetForAction(action)->objectName();
    }
    return keys;
}

} // namespace

class TestLayoutModes : public QObject
{
    Q_OBJECT

private slots:
    void listSizeRule_data()
    {
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<QSize>("list");
        // Toolbar 30 and status bar 20 pixels; 800 twips are 53 1/3 pixels.
        QTest::newRow("roomy") << QSize(400, 300) << QSize((6000 - 235) / 15, (250 * 15 - 800) / 15);
        QTest::newRow("at-the-800-twip-edge") << QSize(400, 50 + 54) << QSize(384, 0);
        QTest::newRow("below-it-keeps-the-list") << QSize(400, 50 + 53) << QSize(7, 9);
        QTest::newRow("too-narrow-keeps-the-list") << QSize(15, 300) << QSize(7, 9);
    }
    void listSizeRule()
    {
        QFETCH(QSize, outer);
        QFETCH(QSize, list);
        QCOMPARE(listSize(outer, 30, 20, TwipsPerPixel{15, 15}, QSize(7, 9)), list);
    }

    void maximisedToCompactAndBack()
    {
        tvtest::MainWindowFixture fx;
        Form1 &f = *fx.form;
        const QSize normal = f.size();
        f.showMaximized();
        QTRY_VERIFY(f.isMaximized());

        f.Toolbar1_ButtonClick(QStringLiteral("resize"));
        QVERIFY(f.compactMode());
        QVERIFY(!f.isMaximized());
        QCOMPARE(f.frameGeometry().size(), compactOuterSize(twipsPerPixel(&f)));
        QVERIFY(!f.menuBar()->isVisible() && !f.sbStatusBar->isVisible());
        QCOMPARE(visibleToolbarKeys(f).size(), 5);
        QVERIFY(!f.formBorder().MaxButton() && !f.formBorder().Sizeable());
        QCOMPARE(f.minimumSize(), f.maximumSize());

        f.Toolbar1_ButtonClick(QStringLiteral("resize"));
        QVERIFY(!f.compactMode() && !f.isMaximized());
        QCOMPARE(f.size(), normal);
        QCOMPARE(visibleToolbarKeys(f).size(), f.Toolbar1->actions().size());
        QVERIFY(f.menuBar()->isVisible() && f.sbStatusBar->isVisible());
        // The restored size is the new smallest; larger is allowed.
        QCOMPARE(f.minimumSize(), normal);
        QCOMPARE(f.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    }

    void minimiseThenRestoreLaysOutAgain()
    {
        tvtest::MainWindowFixture fx;
        Form1 &f = *fx.form;
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QSize laidOut = f.List1->size();
        f.List1->resize(10, 10);
        f.showMinimized();
        QTRY_VERIFY(f.isMinimized());
        QCOMPARE(f.List1->size(), QSize(10, 10));
        f.showNormal();
        QTRY_COMPARE(f.List1->size(), laidOut);
    }
};

TV_TEST_MAIN(TestLayoutModes)
#include "tst_layoutmodes.moc"
