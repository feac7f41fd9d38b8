#pragma once

// "About..." (FrmAbt): the About dialog.

#include <QDialog>
#include <QLabel>

class QPushButton;

namespace tv {

// The maker's home page and support address.
QString MakerName();
QString MakerHomePage();
QString SupportAddress();

// A label that reads as a link: blue, a pointing hand, and a click signal.
class LinkLabel final : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(const QString &text, QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

// "About...": logo, version, maker and the two addresses.
class FrmAbt final : public QDialog
{
    Q_OBJECT
public:
    explicit FrmAbt(QWidget *parent = nullptr);

    QLabel *Picture1 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    LinkLabel *Label6 = nullptr;
    LinkLabel *Label5 = nullptr;
    QPushButton *Command3 = nullptr;

    void Form_Load();
    void Label6_Click();
    void Label5_Click();
    void Command3_Click();
};

} // namespace tv
