#include "platform/runtimeerror.h"
#include "support/testenv.h"
#include "winsupport/mouseover.h"
#include "winsupport/subclass.h"

#include <QCursor>
#include <QKeyEvent>

using namespace tv;

namespace {

QStringList s_log;

// A window that notes when its own key handling runs.
class Probe final : public QWidget
{
protected:
    void keyPressEvent(QKeyEvent *) override { s_log << QStringLiteral("own"); }
};

class Handler final : public ISubclass
{
public:
    explicit Handler(QString name, qint32 response = emrConsume) : m_name(std::move(name)), m_response(response) {}
    qint32 ISubclass_MsgResponse() const override { return m_response; }
    void setISubclass_MsgResponse(qint32 response) override { m_response = response; }
    qintptr ISubclass_WindowProc(WId, qint32 iMsg, qintptr, qintptr lParam) override
    {
        s_log << QStringLiteral("%1:%2").arg(m_name).arg(MSubclass::CurrentMsg());
        if (iMsg == Msg::WM_GETMINMAXINFO)
            reinterpret_cast<MINMAXINFO *>(lParam)->ptMinTrackSize = minTrack;
        return 7;
    }
    QPoint minTrack;

private:
    QString m_name;
    qint32 m_response;
};

long errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const RuntimeError &e) {
        return e.number() - MSubclass::vbObjectError;
    }
    return 0;
}

void pressKey(QWidget *w)
{
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &key);
}

} // namespace

class TestSubclass : public QObject
{
    Q_OBJECT

private slots:
    void init() { s_log.clear(); }

    void attachCountsAndDetachRestores()
    {
        Probe w;
        const WId h = w.winId();
        Handler a(QStringLiteral("a"));
        MSubclass::AttachMsgHandler(&a, h, Msg::WM_KEYDOWN);
        MSubclass::AttachMsgHandler(&a, h, Msg::WM_SIZE);
        QCOMPARE(MSubclass::AttachmentCount(h), 2);
        QCOMPARE(errorOf([&] { MSubclass::AttachMsgHandler(&a, h, Msg::WM_SIZE); }), 13082L);
        QCOMPARE(MSubclass::AttachmentCount(h), 2);

        pressKey(&w);
        w.resize(200, 120);
        w.show();
        QTRY_VERIFY(s_log.contains(QStringLiteral("a:5")));
        QCOMPARE(s_log.first(), QStringLiteral("a:256"));

        MSubclass::DetachMsgHandler(&a, h, Msg::WM_KEYDOWN);
        MSubclass::DetachMsgHandler(&a, h, Msg::WM_SIZE);
        QCOMPARE(MSubclass::AttachmentCount(h), 0);
        QVERIFY(w.dynamicPropertyNames().isEmpty());
        s_log.clear();
        pressKey(&w);
        QCOMPARE(s_log, QStringList{QStringLiteral("own")});
    }

    void responseCodes_data()
    {
        QTest::addColumn<qint32>("response");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("consume") << qint32(ISubclass::emrConsume) << QStringList{"h:256"};
        QTest::newRow("post-process") << qint32(ISubclass::emrPostProcess) << QStringList{"h:256", "own"};
        QTest::newRow("pre-process") << qint32(ISubclass::emrPreProcess) << QStringList{"own", "h:256"};
    }
    void responseCodes()
    {
        QFETCH(qint32, response);
        QFETCH(QStringList, log);
        Probe w;
        Handler h(QStringLiteral("h"), response);
        MSubclass::AttachMsgHandler(&h, w.winId(), Msg::WM_KEYDOWN);
        pressKey(&w);
        QCOMPARE(s_log, log);
        MSubclass::DetachMsgHandler(&h, w.winId(), Msg::WM_KEYDOWN);
    }

    void handlersRunInOrderAndCloseGaps()
    {
        Probe w;
        Handler first(QStringLiteral("1")), second(QStringLiteral("2")), third(QStringLiteral("3"));
        for (Handler *h : {&first, &second, &third})
            MSubclass::AttachMsgHandler(h, w.winId(), Msg::WM_KEYDOWN);
        pressKey(&w);
        QCOMPARE(s_log, (QStringList{"1:256", "2:256", "3:256"}));
        MSubclass::DetachMsgHandler(&second, w.winId(), Msg::WM_KEYDOWN);
        // Detaching what is not attached changes nothing.
        MSubclass::DetachMsgHandler(&second, w.winId(), Msg::WM_KEYDOWN);
        QCOMPARE(MSubclass::AttachmentCount(w.winId()), 2);
        s_log.clear();
        pressKey(&w);
        QCOMPARE(s_log, (QStringList{"1:256", "3:256"}));
        MSubclass::DetachMsgHandler(&first, w.winId(), Msg::WM_KEYDOWN);
        MSubclass::DetachMsgHandler(&third, w.winId(), Msg::WM_KEYDOWN);
    }

    void invalidWindows()
    {
        Handler h(QStringLiteral("h"));
        WId gone = 0;
        {
            QWidget w;
            gone = w.winId();
        }
        QCOMPARE(errorOf([&] { MSubclass::AttachMsgHandler(&h, gone, Msg::WM_SIZE); }), 13083L);
        QCOMPARE(errorOf([&] { MSubclass::AttachMsgHandler(&h, 0, Msg::WM_SIZE); }), 13083L);
        try {
            MSubclass::AttachMsgHandler(&h, gone, Msg::WM_SIZE);
        } catch (const RuntimeError &e) {
            QCOMPARE(e.description(), QStringLiteral("Invalid window"));
            QVERIFY(e.source().endsWith(QStringLiteral(".WindowProc")));
        }
        QVERIFY(!MSubclass::IsLocalWindow(gone));
    }

    void minimumTrackingSize()
    {
        QWidget w;
        w.resize(300, 200);
        Handler h(QStringLiteral("h"));
        h.minTrack = QPoint(240, 150);
        MSubclass::AttachMsgHandler(&h, w.winId(), Msg::WM_GETMINMAXINFO);
        // The answer is the outer size, frame included.
        const QSize frame = w.frameGeometry().size() - w.size();
        QCOMPARE(w.minimumSize() + frame, QSize(240, 150));
        h.minTrack = QPoint(120, 60);
        MSubclass::UpdateMinMaxInfo(w.winId());
        QCOMPARE(w.minimumSize() + frame, QSize(120, 60));
        QCOMPARE(w.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        MSubclass::DetachMsgHandler(&h, w.winId(), Msg::WM_GETMINMAXINFO);
    }

    void mouseOverEdgesIncluded_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("over");
        // The control sits at (10, 20), 30 wide and 15 high in its container.
        QTest::newRow("left-top") << QPoint(10, 20) << true;
        QTest::newRow("right-edge") << QPoint(40, 25) << true;
        QTest::newRow("bottom-edge") << QPoint(15, 35) << true;
        QTest::newRow("past-right") << QPoint(41, 25) << false;
        QTest::newRow("above") << QPoint(15, 19) << false;
    }
    void mouseOverEdgesIncluded()
    {
        QFETCH(QPoint, at);
        QFETCH(bool, over);
        QWidget container;
        auto *ctl = new QWidget(&container);
        ctl->setGeometry(10, 20, 30, 15);
        container.show();
        QCursor::setPos(container.mapToGlobal(at));
        QCOMPARE(IsMouseOver(ctl), over);
        QVERIFY(!IsMouseOver(&container));
    }
};

TV_TEST_MAIN(TestSubclass)
#include "tst_subclass.moc"
