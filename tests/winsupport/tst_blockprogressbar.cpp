#include "platform/commoncontrols.h"
#include "platform/runtimeerror.h"
#include "support/testenv.h"
#include "winsupport/blockprogressbar.h"

#include <QLabel>
#include <QMainWindow>

using tv::CProgressBarEx;
using tv::PictureBox;
using tv::RuntimeError;
using tv::StatusBar;

namespace {
template <typename F>
RuntimeError expectError(F &&f)
{
    try {
        f();
    } catch (const RuntimeError &e) {
        return e;
    }
    return RuntimeError(0, QString(), QString());
}
} // namespace

class TestCProgressBarEx : public QObject
{
    Q_OBJECT

private slots:
    void blockMetrics_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("blockWidth");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("pictureWidth");
        // height 20: blocks 16 high, round(2/3 * 16) = 11 wide, slots of 14.
        QTest::newRow("last-block-dropped") << 100 << 20 << 11 << 7 << 101;
        // Exactly half of the last slot fits: still dropped.
        QTest::newRow("half-slot-dropped") << 108 << 20 << 11 << 7 << 101;
        QTest::newRow("more-than-half-kept") << 109 << 20 << 11 << 8 << 115;
        // height 14: blocks 10 high, round(6.67) = 7 wide, slots of 10.
        QTest::newRow("small") << 50 << 14 << 7 << 5 << 53;
    }
    void blockMetrics()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, blockWidth);
        QFETCH(int, count);
        QFETCH(int, pictureWidth);
        PictureBox box;
        box.setPictureSize(width, height);
        CProgressBarEx bar;
        bar.setClient(&box);
        QCOMPARE(bar.blockHeight(), height - 4);
        QCOMPARE(bar.blockWidth(), blockWidth);
        QCOMPARE(bar.blockCount(), count);
        QCOMPARE(box.ScaleWidth(), pictureWidth);
    }

    void roundingHalvesToEven_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("filled");
        // 8 blocks over 0..16: value v fills v / 2 blocks before rounding.
        QTest::newRow("0.5-to-0") << 1 << 0;
        QTest::newRow("1.5-to-2") << 3 << 2;
        QTest::newRow("2.5-to-2") << 5 << 2;
        QTest::newRow("3.5-to-4") << 7 << 4;
        QTest::newRow("full") << 16 << 8;
    }
    void roundingHalvesToEven()
    {
        QFETCH(int, value);
        QFETCH(int, filled);
        QCOMPARE(tv::filledBlocks(value, 0, 16, 8), filled);
        QCOMPARE(tv::filledBlocks(value + 10, 10, 26, 8), filled);
    }

    void drawsIntoThePanel()
    {
        QMainWindow window;
        auto *bar = new StatusBar(&window);
        window.setStatusBar(bar);
        bar->addPanel(QStringLiteral("pnlStatus"), 1, 100);
        tv::StatusPanel *panel = bar->addPanel(QStringLiteral("pnlProgress"), 0, 150);
        window.resize(400, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        PictureBox box(&window);

        CProgressBarEx progress;
        progress.setClient(&box);
        progress.setHost(bar);
        progress.setPanelKey(QStringLiteral("pnlProgress"));
        progress.ResizeEx();
        QVERIFY(progress.blockCount() > 2);
        // The last block is kept when more than half of its slot fits.
        QVERIFY(box.ScaleWidth() <= panel->width() - 4 + (progress.blockWidth() + CProgressBarEx::step) / 2);
        QCOMPARE(box.ScaleHeight(), bar->height() - 4);

        // Value = Min right after creation draws nothing.
        progress.setValue(0);
        QVERIFY(!panel->hasPicture());

        progress.setValue(50);
        QVERIFY(panel->hasPicture());
        const int filled = progress.lastFilled();
        QCOMPARE(filled, tv::filledBlocks(50, 0, 100, progress.blockCount()));
        const QImage image = panel->Picture().toImage();
        const int y = CProgressBarEx::margin + 1;
        QCOMPARE(image.pixelColor(CProgressBarEx::margin + 1, y), progress.ForeColor());
        const int lastX = CProgressBarEx::margin + (progress.blockCount() - 1) * (progress.blockWidth() + CProgressBarEx::step) + 1;
        QCOMPARE(image.pixelColor(lastX, y), progress.BackColor());
        // The two columns between blocks stay background.
        const int gapX = CProgressBarEx::margin + progress.blockWidth() + 1;
        QCOMPARE(image.pixelColor(gapX, y), box.BackColor());

        // Unchanged filled count: the panel keeps its picture even after a clear.
        const QImage before = panel->Picture().toImage();
        progress.Refresh(true);
        QCOMPARE(panel->Picture().toImage(), before);
        QVERIFY(box.Image() != before);

        // Text only shows the panel's text again.
        panel->setPanelText(QStringLiteral("3 links found"));
        progress.setTextOnly(true);
        QVERIFY(!panel->hasPicture());
        QCOMPARE(panel->text(), QStringLiteral("3 links found"));
        // Back to the bar at the same count: it is drawn again.
        progress.setTextOnly(false);
        QVERIFY(panel->hasPicture());
        // An empty text takes the bar's place too.
        panel->setPanelText(QString());
        progress.setTextOnly(true);
        QVERIFY(panel->pixmap().isNull());
    }

    void valueIsClamped()
    {
        PictureBox box;
        box.setPictureSize(100, 20);
        CProgressBarEx bar;
        bar.setClient(&box);
        bar.setValue(150);
        QCOMPARE(bar.Value(), 100);
        bar.setValue(-5);
        QCOMPARE(bar.Value(), 0);
        bar.setMin(10);
        QCOMPARE(bar.Value(), 10);
    }

    void errorsCarryNumberSourceAndDescription()
    {
        CProgressBarEx bar;
        RuntimeError e = expectError([&] { bar.setMax(0); });
        QCOMPARE(e.number(), -2147221501L);
        QCOMPARE(e.source(), QStringLiteral("CProgressBar.Max"));
        QCOMPARE(e.description(), QStringLiteral("Max property must be greater than Min."));
        QCOMPARE(bar.Max(), 100);

        e = expectError([&] { bar.setMin(100); });
        QCOMPARE(e.number(), -2147221502L);
        QCOMPARE(e.source(), QStringLiteral("CProgressBar.Min"));
        QCOMPARE(e.description(), QStringLiteral("Min property must be less than Max."));
        QCOMPARE(bar.Min(), 0);

        QLabel notAPicture;
        e = expectError([&] { bar.setClient(&notAPicture); });
        QCOMPARE(e.number(), 13L);
        QCOMPARE(e.source(), QStringLiteral("CProgressBarEx.Client"));
        QCOMPARE(e.description(), QStringLiteral("Client property must be of type PictureBox."));
        QVERIFY(!bar.Client());

        e = expectError([&] { bar.setHost(&notAPicture); });
        QCOMPARE(e.number(), 13L);
        QCOMPARE(e.source(), QStringLiteral("CProgressBarEx.Host"));
        QCOMPARE(e.description(), QStringLiteral("Host property must be of type StatusBar."));
    }
};

TV_TEST_MAIN(TestCProgressBarEx)
#include "tst_blockprogressbar.moc"
