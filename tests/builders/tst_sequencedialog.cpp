// "Build Sequential List": the prefill, the number lists and the marked part,
// the key filter, what it hands back, and a refusal keeping it open.
#include "builders/sequencedialog.h"
#include "support/testenv.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>

#include <memory>

using tv::Form2;

class TestForm2 : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form2> m_form;

    // Opens the dialog (not modally) with the URL box focused.
    Form2 *open(const QString &clipboard = QString())
    {
        QGuiApplication::clipboard()->setText(clipboard);
        m_form = std::make_unique<Form2>();
        m_form->show();
        if (!QTest::qWaitForWindowActive(m_form.get()))
            qWarning("dialog not active");
        m_form->Text1->setFocus(Qt::OtherFocusReason);
        return m_form.get();
    }

    // Marks part of the URL and moves on to Start #, as a user does.
    static void markAndLeave(Form2 *f, const QString &url, int start, int length)
    {
        f->Text1->setText(url);
        f->Text1->setFocus(Qt::MouseFocusReason);
        f->Text1->setSelection(start, length);
        f->text3->setFocus(Qt::MouseFocusReason);
    }

    static void typeInto(QComboBox *box, const QString &text)
    {
        box->setFocus(Qt::MouseFocusReason);
        box->lineEdit()->selectAll();
        QTest::keyClicks(box, text);
    }

private slots:
    void cleanup() { m_form.reset(); }

    void leavingTheUrlFillsBothLists()
    {
        QCOMPARE(open(QStringLiteral("host/a1.gif"))->Text1->text(), QString());
        Form2 *f = open(QStringLiteral("HTTP://host/a1.gif\r\nsecond line"));
        QCOMPARE(f->Text1->text(), QStringLiteral("HTTP://host/a1.gif\r\nsecond line"));
        // Nothing marked: nothing to fill.
        f->Text1->setText(QStringLiteral("http://server/photos/pic007.jpg"));
        f->text3->setFocus(Qt::MouseFocusReason);
        QCOMPARE(f->text3->count(), 0);
        markAndLeave(f, QStringLiteral("http://h/pic1234.jpg"), 12, 4);
        QCOMPARE(f->text4->count(), 500);
        QCOMPARE(f->text3->itemText(499), QStringLiteral("0500"));
        QCOMPARE(f->text4->currentText(), QStringLiteral("0001"));
        // The marked part survives the focus change and stays visible.
        QCOMPARE(f->Text1->keptText(), QStringLiteral("1234"));
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(f->Text1->selectedText(), QStringLiteral("1234"));
        // A new Start # refills End # in its own width.
        f->text3->setEditText(QStringLiteral("8"));
        QCOMPARE(f->text4->currentText(), QStringLiteral("1"));
    }

    void keyFilter()
    {
        Form2 *f = open();
        // The box holds "12" with the cursor at its end.
        const std::pair<Qt::Key, QString> keys[] = {
            {Qt::Key_5, "125"}, {Qt::Key_A, "12"}, {Qt::Key_Space, "12"}, {Qt::Key_Backspace, "1"}};
        for (QComboBox *box : {f->text3, f->text4}) {
            for (const auto &[key, expected] : keys) {
                box->setEditText(QStringLiteral("12"));
                box->setFocus(Qt::MouseFocusReason);
                box->lineEdit()->end(false);
                QTest::keyClick(box, key);
                QCOMPARE(box->currentText(), expected);
            }
        }
    }

    void workedExample()
    {
        // The marked "007" of .../pic007.jpg; Start # typed 8, End # 12, Enter
        // in End # presses the default button.
        Form2 *f = open();
        markAndLeave(f, QStringLiteral("http://server/photos/pic007.jpg"), 24, 3);
        typeInto(f->text3, QStringLiteral("8"));
        typeInto(f->text4, QStringLiteral("12"));
        f->Check1->setChecked(true);
        f->Timer1_Timer();
        tvtest::MessageBoxScript boxes;
        QTest::keyClick(f->text4, Qt::Key_Return);
        QVERIFY(boxes.shown().isEmpty());
        QCOMPARE(f->result(), int(QDialog::Accepted));
        QVERIFY(f->Append());
        const QStringList links = f->sequence().links(100);
        QCOMPARE(links.size(), 5);
        QCOMPARE(links.first(), QStringLiteral("http://server/photos/pic8.jpg"));
        QCOMPARE(links.last(), QStringLiteral("http://server/photos/pic12.jpg"));
    }

    void refusalKeepsTheDialog()
    {
        tvtest::MessageBoxScript boxes;
        Form2 *f = open();
        f->Text1->setText(QStringLiteral("http://h/1"));
        f->text3->setEditText(QStringLiteral("1"));
        f->text4->setEditText(QStringLiteral("2"));
        f->Command1_Click(); // nothing marked
        QCOMPARE(boxes.shown().size(), 1);
        QVERIFY(f->isVisible());
        QCOMPARE(f->result(), int(QDialog::Rejected));
    }
};

TV_TEST_MAIN(TestForm2)
#include "tst_sequencedialog.moc"
