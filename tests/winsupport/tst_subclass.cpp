// The program's message hook: handler lists, response codes, errors, the
// minimum tracking size; and the mouse-over test.
#include "support/testenv.h"
#include "winsupport/mouseover.h"
#include "winsupport/subclass.h"

#include <QCursor>
#include <QKeyEvent>

using namespace tv;
using tvtest::errorOf;

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

    void handlerListsAttachDetach()
    {
        Probe w;
        const WId h = w.winId();
        Handler first(QStringLiteral("1")), second(QStringLiteral("2"));
        MSubclass::AttachMsgHandler(&first, h, Msg::WM_KEYDOWN);
        MSubclass::AttachMsgHandler(&first, h, Msg::WM_SIZE);
        MSubclass::AttachMsgHandler(&second, h, Msg::WM_KEYDOWN);
        QCOMPARE(MSubclass::AttachmentCount(h), 3);
        QCOMPARE(errorOf([&] { MSubclass::AttachMsgHandler(&first, h, Msg::WM_SIZE); }).number(),
                 MSubclass::vbObjectError + 13082);
        QCOMPARE(MSubclass::AttachmentCount(h), 3);

        pressKey(&w);
        w.resize(200, 120);
        w.show();
        QTRY_VERIFY(s_log.contains(QStringLiteral("1:5")));
        QCOMPARE(s_log.mid(0, 2), (QStringList{"1:256", "2:256"}));

        // Detaching what is not attached changes nothing.
        MSubclass::DetachMsgHandler(&first, h, Msg::WM_KEYDOWN);
        MSubclass::DetachMsgHandler(&first, h, Msg::WM_KEYDOWN);
        QCOMPARE(MSubclass::AttachmentCount(h), 2);
        s_log.clear();
        pressKey(&w);
        QCOMPARE(s_log, QStringList{"2:256"});
        MSubclass::DetachMsgHandler(&second, h, Msg::WM_KEYDOWN);
        MSubclass::DetachMsgHandler(&first, h, Msg::WM_SIZE);
        QCOMPARE(MSubclass::AttachmentCount(h), 0);
        QVERIFY(w.dynamicPropertyNames().isEmpty());
        s_log.clear();
        pressKey(&w);
        QCOMPARE(s_log, QStringList{"own"});
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

    void destroyedWindowAndMinimumSize()
    {
        Handler h(QStringLiteral("h"));
        WId gone = 0;
        {
            QWidget w;
            gone = w.winId();
        }
        QCOMPARE(errorOf([&] { MSubclass::AttachMsgHandler(&h, gone, Msg::WM_SIZE); }).number(),
                 MSubclass::vbObjectError + 13083);
        QVERIFY(!MSubclass::IsLocalWindow(gone));

        // The answer is the outer size, frame included.
        QWidget w;
        const WId h2 = w.winId();
        const QSize frame = w.frameGeometry().size() - w.size();
        h.minTrack = QPoint(240, 150);
        MSubclass::AttachMsgHandler(&h, h2, Msg::WM_GETMINMAXINFO);
        QCOMPARE(w.minimumSize() + frame, QSize(240, 150));
        h.minTrack = QPoint(120, 60);
        MSubclass::UpdateMinMaxInfo(w.winId());
        QCOMPARE(w.minimumSize() + frame, QSize(120, 60));
        QCOMPARE(w.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        MSubclass::DetachMsgHandler(&h, w.winId(), Msg::WM_GETMINMAXINFO);
    }

    void mouseOverIncludesRightAndBottomEdges()
    {
        QWidget container;
        auto *ctl = new QWidget(&container);
        ctl->setGeometry(10, 20, 30, 15);
        container.show();
        const QList<std::pair<QPoint, bool>> cases = {
            {{10, 20}, true}, {{40, 35}, true}, {{41, 25}, false}, {{15, 19}, false}};
        for (const auto &[at, over] : cases) {
            QCursor::setPos(container.mapToGlobal(at));
            QCOMPARE(IsMouseOver(ctl), over);
        }
        QVERIFY(!IsMouseOver(&container));
    }
};

TV_TEST_MAIN(TestSubclass)
#include "tst_subclass.moc"
