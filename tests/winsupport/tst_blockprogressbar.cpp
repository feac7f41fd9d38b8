// The segmented progress bar: its blocks, its drawing into the status panel,
// the values it refuses.
#include "platform/commoncontrols.h"
#include "support/testenv.h"
#include "winsupport/blockprogressbar.h"

#include <QLabel>
#include <QMainWindow>

#include <array>

using tv::CProgressBarEx;
using tv::PictureBox;
using tv::StatusBar;

class TestCProgressBarEx : public QObject
{
    Q_OBJECT

private slots:
    void blockMetrics()
    {
        // width, height: block width, count, picture width. Height 20: blocks
        // 16 high, round(2/3 * 16) = 11 wide, slots of 14; the last block is
        // kept only when more than half of its slot fits.
        const std::array<int, 5> rows[] = {{100, 20, 11, 7, 101}, {108, 20, 11, 7, 101}, {109, 20, 11, 8, 115}, {50, 14, 7, 5, 53}};
        for (const auto &[width, height, blockWidth, count, pictureWidth] : rows) {
            PictureBox box;
            box.setPictureSize(width, height);
            CProgressBarEx bar;
            bar.setClient(&box);
            QCOMPARE((std::array{bar.blockHeight(), bar.blockWidth(), bar.blockCount(), box.ScaleWidth()}),
                     (std::array{height - 4, blockWidth, count, pictureWidth}));
        }
        // Blocks filled round half to even: 8 blocks over 0..16, value v fills v / 2.
        for (const auto &[value, filled] : {std::pair{1, 0}, {3, 2}, {5, 2}, {16, 8}}) {
            QCOMPARE(tv::filledBlocks(value, 0, 16, 8), filled);
            QCOMPARE(tv::filledBlocks(value + 10, 10, 26, 8), filled);
        }
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
        QCOMPARE(box.ScaleHeight(), bar->height() - 4);
        // Value = Min right after creation draws nothing.
        progress.setValue(0);
        QVERIFY(!panel->hasPicture());

        progress.setValue(50);
        QVERIFY(panel->hasPicture());
        QCOMPARE(progress.lastFilled(), tv::filledBlocks(50, 0, 100, progress.blockCount()));
        // Filled blocks, empty blocks, and the gap between blocks.
        const QImage image = panel->Picture().toImage();
        const int y = CProgressBarEx::margin + 1, slot = progress.blockWidth() + CProgressBarEx::step;
        QCOMPARE(image.pixelColor(CProgressBarEx::margin + 1, y), progress.ForeColor());
        QCOMPARE(image.pixelColor(CProgressBarEx::margin + (progress.blockCount() - 1) * slot + 1, y), progress.BackColor());
        QCOMPARE(image.pixelColor(CProgressBarEx::margin + progress.blockWidth() + 1, y), box.BackColor());
        // Text only shows the panel's text again.
        panel->setPanelText(QStringLiteral("3 links found"));
        progress.setTextOnly(true);
        QVERIFY(!panel->hasPicture());
        QCOMPARE(panel->text(), QStringLiteral("3 links found"));
    }

    void refusedValuesRaiseAndKeepTheOld()
    {
        CProgressBarEx bar;
        QLabel notAPicture;
        for (const auto &[call, number] : {std::pair<std::function<void()>, long>{[&] { bar.setMax(0); }, -2147221501},
                                           {[&] { bar.setMin(100); }, -2147221502},
                                           {[&] { bar.setClient(&notAPicture); }, 13},
                                           {[&] { bar.setHost(&notAPicture); }, 13}})
            QCOMPARE(tvtest::errorOf(call).number(), number);
        QCOMPARE(bar.Max(), 100);
        QCOMPARE(bar.Min(), 0);
        QVERIFY(!bar.Client());
    }
};

TV_TEST_MAIN(TestCProgressBarEx)
#include "tst_blockprogressbar.moc"
