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

QStringList visibleToolbarKeys(Form1 &f)
{
    QStringList keys;
    QToolBar &bar = tvtest::toolbar1(f);
    for (QAction *action : bar.actions()) {
        if (action->isVisible())
            keys << bar.widgetForAction(action)->objectName();
    }
    return keys;
}

} // namespace

class TestLayoutModes : public QObject
{
    Q_OBJECT

private slots:
    void compactSize_data()
    {
        QTest::addColumn<QSize>("toolbar");
        QTest::addColumn<int>("caption");
        QTest::addColumn<QSize>("outer");
        // A frame of 4 by 24 pixels; 2430 twips are 162 pixels.
        QTest::newRow("narrow-keeps-2430-twips") << QSize(120, 30) << 100 << QSize(162, 54);
        QTest::newRow("wide-toolbar") << QSize(170, 30) << 100 << QSize(174, 54);
        QTest::newRow("long-caption") << QSize(120, 40) << 190 << QSize(194, 64);
    }
    void compactSize()
    {
        QFETCH(QSize, toolbar);
        QFETCH(int, caption);
        QFETCH(QSize, outer);
        QCOMPARE(compactOuterSize(TwipsPerPixel{15, 15}, QSize(4, 24), toolbar, caption), outer);
    }

    void maximisedToCompactAndBack()
    {
        tvtest::MainWindowFixture fx;
        Form1 &f = *fx.form;
        const QSize normal = f.size();
        f.showMaximized();
        QTRY_VERIFY(f.isMaximized());

        tvtest::press(f, "resize");
        QVERIFY(!f.isMaximized());
        QTRY_COMPARE(tvtest::toolbar1(f).geometry(), f.rect());
        QVERIFY(f.width() >= CaptionWidth(&f));
        QVERIFY(!f.menuBar()->isVisible() && !f.statusBar()->isVisible());
        QCOMPARE(visibleToolbarKeys(f).size(), 5);
        CFormBorder border;
        border.setClient(&f);
        QVERIFY(!border.MaxButton() && !border.Sizeable());
        QCOMPARE(f.minimumSize(), f.maximumSize());

        tvtest::press(f, "resize");
        QVERIFY(!f.isMaximized());
        QCOMPARE(f.size(), normal);
        QCOMPARE(visibleToolbarKeys(f).size(), tvtest::toolbar1(f).actions().size());
        QVERIFY(f.menuBar()->isVisible() && f.statusBar()->isVisible());
        // The restored size is the new smallest; larger is allowed.
        QCOMPARE(f.minimumSize(), normal);
        QCOMPARE(f.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    }

    void minimiseThenRestoreLaysOutAgain()
    {
        tvtest::MainWindowFixture fx;
        Form1 &f = *fx.form;
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        LinkList &list = tvtest::list1(f);
        const QSize laidOut = list.size();
        list.resize(10, 10);
        f.showMinimized();
        QTRY_VERIFY(f.isMinimized());
        QCOMPARE(list.size(), QSize(10, 10));
        f.showNormal();
        QTRY_COMPARE(list.size(), laidOut);
    }
};

TV_TEST_MAIN(TestLayoutModes)
#include "tst_layoutmodes.moc"
