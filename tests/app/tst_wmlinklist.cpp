// The link list's horizontal extent on a real X server with a window manager:
// whatever the window size, font, first entry's width and number of entries
// (a full list with "List Full" showing included), the list settles and the
// program goes idle, with the scroll range the extent rule gives.
#include "app/linklist.h"
#include "app/mainwindow.h"
#include "settings/settingsstore.h"
#include "support/fakebrowser.h"
#include "support/mainwindowfixture.h"
#include "support/modalhelper.h"
#include "support/wmsession.h"

#include <QMessageBox>
#include <QScrollBar>
#include <QStyle>

class TestWmLinkList : public QObject
{
    Q_OBJECT

    tvtest::FakeBrowserComponent m_browser;
    std::unique_ptr<tv::Form1> m_form;

    // The extent rule: widest entry + scroll-bar width + 10 over the visible width.
    static int expectedRange(const tv::LinkList &list)
    {
        int widest = 0;
        for (const QString &entry : list.Items())
            widest = std::max(widest, list.fontMetrics().horizontalAdvance(entry));
        const int extent = list.Items().isEmpty()
                               ? 0
                               : widest + list.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &list) + 10;
        return std::max(0, extent - list.viewport()->width());
    }

private slots:
    void initTestCase()
    {
        m_form = std::make_unique<tv::Form1>(&m_browser);
        m_form->Form_Load();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    void settles_data()
    {
        QTest::addColumn<QSize>("window"); // empty: the size at load
        QTest::addColumn<int>("pointSize");
        QTest::addColumn<int>("firstWidth"); // the first entry's width beside the viewport's, in pixels
        QTest::addColumn<int>("entries");    // 0: a full list, "List Full" showing
        const int sb = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        // Around the width where the bar comes (scroll bar and margin
        // included), and far over it.
        const int widths[] = {-400, -sb - 11, -sb - 10, -sb - 9, 0, 1600, 3200};
        for (const QSize window : {QSize(), QSize(900, 700)})
            for (const int pointSize : {0, 15})
                for (const int width : widths)
                    for (const int entries : {1, 5, 40, 0}) {
                        if (entries == 0 && width != -sb - 10 && width != 3200)
                            continue; // a full list only at the telling widths
                        QTest::addRow("%dx%d-pt%d-w%d-n%d", window.width(), window.height(), pointSize, width, entries)
                            << window << pointSize << width << entries;
                    }
    }
    void settles()
    {
        QFETCH(QSize, window);
        QFETCH(int, pointSize);
        QFETCH(int, firstWidth);
        QFETCH(int, entries);
        tv::Form1 &form = *m_form;
        tv::LinkList &list = tvtest::list1(form);
        form.resize(window.isEmpty() ? form.minimumSize() : window);
        QFont font = QApplication::font();
        if (pointSize > 0)
            font.setPointSize(pointSize);
        list.setFont(font);
        list.Clear();
        list.RefreshExtent();

        // A first entry of about the width asked for against the viewport
        // without a vertical bar, then short ones.
        const QFontMetrics fm(font);
        QString first = QStringLiteral("http://h.test/");
        while (fm.horizontalAdvance(first + u'x') <= list.viewport()->width() + firstWidth)
            first += u'x';
        QStringList rest;
        for (int i = 1; i < (entries ? entries : tv::LinkList::MaxItems + 1); ++i)
            rest.append(QStringLiteral("http://h.test/%1").arg(i));
        list.Append(first);
        if (entries) {
            list.AppendMany(rest);
            list.RefreshExtent();
        } else {
            bool checked = false;
            tvtest::whenModal([&](QWidget *box) {
                QCOMPARE(box->windowTitle(), QStringLiteral("List Full"));
                list.RefreshExtent();
                checked = tvtest::staysIdle(list);
            });
            tv::reportListFull(&form, tv::appendWhatFits(list, rest, rest.size()));
            QVERIFY(checked);
            QCOMPARE(list.ListCount(), tv::LinkList::MaxItems);
        }
        QVERIFY(tvtest::staysIdle(list));
        QCOMPARE(list.horizontalScrollBar()->maximum(), expectedRange(list));
        QCOMPARE(list.horizontalScrollBar()->isVisible(), expectedRange(list) > 0);
    }

    void cleanupTestCase()
    {
        tvtest::list1(*m_form).Clear();
        m_form.reset();
    }
};

TV_WM_TEST_MAIN(TestWmLinkList, "1024x768x24", {})
#include "tst_wmlinklist.moc"
