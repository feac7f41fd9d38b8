#pragma once

// "Tallyvane Help" (HelpWindow): the help pages, and where they are installed.

#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>

class QPushButton;
class QTextBrowser;

namespace tv {

// Help contexts: 0 is the contents page, every other number is the page
// topic<number>.html of the help folder.
constexpr int HelpContents = 0;
constexpr int HelpPreferences = 6;
constexpr int HelpSequentialList = 17;
constexpr int HelpSlideshowOptions = 19;

// The folder the help pages are installed in.
QString HelpFolder();

// The folder with a separator at its end, added only when missing.
QString AddSlash(const QString &folder);
// The page of a help context inside a help folder.
QString HelpFilePath(const QString &folder, int context);

// The program's help window: HTML pages from the help folder, read from disk
// only. Links to other pages of the folder open inside it, web and e-mail
// addresses go to the desktop.
class HelpWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // The one help window, made on first use; nullptr before that.
    static HelpWindow *instance();

    void showPage(const QString &path);
    QUrl source() const;
    // Keeps the help in front of the owner's window, and in front of the
    // window that one belongs to once it closes.
    void stayInFrontOf(QWidget *owner);
    QString pageTitle() const;

    QTextBrowser *browser = nullptr;
    QPushButton *cmdContents = nullptr;
    QPushButton *cmdBack = nullptr;
    QPushButton *cmdForward = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void linkClicked(const QUrl &url);

    QPointer<QWidget> m_owner;
};

// Opens the help at a context, over the owner. A missing page is reported in a
// message box and gives nullptr.
HelpWindow *ShowHelp(QWidget *owner, int context);

} // namespace tv
