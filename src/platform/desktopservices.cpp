#include "platform/desktopservices.h"

#include "platform/messagebox.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QCompleter>
#include <QDesktopServices>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStringListModel>
#include <QUrl>
#include <QWindow>

namespace tv {

long ShellOpen(QWidget *owner, const QString &target)
{
    Q_UNUSED(owner);
    QUrl url = QUrl::fromUserInput(target, QDir::currentPath(), QUrl::AssumeLocalFile);
    if (target.startsWith(u"mailto:", Qt::CaseInsensitive))
        url = QUrl(target);
    if (!url.isValid() || !QDesktopServices::openUrl(url))
        return ShellOpenNoAssociation;
    return 42;
}

namespace {

ShellOpener &currentOpener()
{
    static ShellOpener opener;
    return opener;
}

long shellOpen(QWidget *owner, const QString &target)
{
    const ShellOpener &opener = currentOpener();
    return opener ? opener(owner, target) : ShellOpen(owner, target);
}

} // namespace

ShellOpener setShellOpener(ShellOpener opener)
{
    return std::exchange(currentOpener(), std::move(opener));
}

long OpenWebPage(QWidget *owner, const QString &url)
{
    const long result = shellOpen(owner, url);
    if (result == ShellOpenNoAssociation)
        MsgBox(owner, QStringLiteral("Could not start your web browser."), MsgButtons::Ok, MsgIcon::Exclamation,
               QStringLiteral("Oops!"));
    return result;
}

long OpenMail(QWidget *owner, const QString &address)
{
    const long result = shellOpen(owner, QStringLiteral("mailto:") + address);
    if (result == ShellOpenNoAssociation)
        MsgBox(owner, QStringLiteral("Could not start your email program."), MsgButtons::Ok, MsgIcon::Exclamation,
               QStringLiteral("Oops!"));
    return result;
}

namespace {

QStringListModel &addressHistory()
{
    static QStringListModel model;
    return model;
}

// Offers used addresses, and file-system paths once the text looks like one.
class AddressCompleter final : public QCompleter
{
public:
    explicit AddressCompleter(QObject *parent) : QCompleter(&addressHistory(), parent)
    {
        setCaseSensitivity(Qt::CaseInsensitive);
        setCompletionMode(QCompleter::PopupCompletion);
    }

    void follow(const QString &text)
    {
        const bool path = text.startsWith(u'/') || text.startsWith(u"~/");
        if (path && !m_files) {
            m_files = new QFileSystemModel(this);
            m_files->setRootPath(QDir::rootPath());
        }
        QAbstractItemModel *wanted = path ? static_cast<QAbstractItemModel *>(m_files) : &addressHistory();
        if (model() != wanted)
            setModel(wanted);
    }

    QStringList splitPath(const QString &path) const override
    {
        if (model() == m_files && m_files) {
            QString p = path;
            if (p.startsWith(u"~/"))
                p = QDir::homePath() + p.mid(1);
            QStringList parts = p.split(u'/');
            if (!parts.isEmpty() && parts.first().isEmpty())
                parts.first() = QStringLiteral("/");
            return parts;
        }
        return QCompleter::splitPath(path);
    }

    QString pathFromIndex(const QModelIndex &index) const override
    {
        if (model() == m_files && m_files)
            return m_files->filePath(index);
        return QCompleter::pathFromIndex(index);
    }

protected:
    // A press outside the list closes it and still acts: a click on a button
    // beside the box must not be spent on closing the list. Qt's own replay
    // of the press comes after the release, too late for a click.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // popup() makes the list when there is none: ask only about presses on a list.
        auto *list = event->type() == QEvent::MouseButtonPress ? qobject_cast<QAbstractItemView *>(watched) : nullptr;
        if (!list || list != popup() || !list->isVisible())
            return QCompleter::eventFilter(watched, event);
        const auto *press = static_cast<QMouseEvent *>(event);
        const QPointF global = press->globalPosition();
        if (popup()->rect().contains(popup()->mapFromGlobal(global.toPoint())))
            return QCompleter::eventFilter(watched, event);
        popup()->setAttribute(Qt::WA_NoMouseReplay);
        popup()->hide();
        QWidget *window = widget() ? widget()->window() : nullptr;
        QWindow *handle = window ? window->windowHandle() : nullptr;
        if (handle && window->frameGeometry().contains(global.toPoint())) {
            QMouseEvent again(QEvent::MouseButtonPress, handle->mapFromGlobal(global), global, press->button(),
                              press->buttons(), press->modifiers(), press->pointingDevice());
            QCoreApplication::sendEvent(handle, &again);
        }
        return true;
    }

private:
    QFileSystemModel *m_files = nullptr;
};

} // namespace

void EnableAutoComplete(QWidget *control)
{
    if (auto *edit = qobject_cast<QLineEdit *>(control)) {
        auto *completer = new AddressCompleter(edit);
        edit->setCompleter(completer);
        QObject::connect(edit, &QLineEdit::textEdited, completer, &AddressCompleter::follow);
    } else if (auto *combo = qobject_cast<QComboBox *>(control); combo && combo->isEditable()) {
        auto *completer = new AddressCompleter(combo);
        combo->setCompleter(completer);
        QObject::connect(combo, &QComboBox::editTextChanged, completer, &AddressCompleter::follow);
    }
}

void RememberAddress(const QString &address)
{
    if (address.isEmpty())
        return;
    QStringList list = addressHistory().stringList();
    list.removeAll(address);
    list.prepend(address);
    while (list.size() > 200)
        list.removeLast();
    addressHistory().setStringList(list);
}

} // namespace tv
