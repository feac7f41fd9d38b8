#include "app/module1.h"

#include "platform/runtimeerror.h"

#include <QComboBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QStringListModel>
#include <QUrl>

#include <cstring>

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

qint16 PeekWord(const void *address)
{
    qint16 word;
    std::memcpy(&word, address, sizeof word);
    return word;
}

qint32 MakeLong(qint16 low, qint16 high)
{
    // A negative low word fills the high word with ones, as its sign extension does.
    return qint32(quint32(qint32(high)) * 65536u | quint32(qint32(low)));
}

QString PathPart(const QString &path, int part)
{
    if (part < 0 || part > 3)
        throw RuntimeError(1, QStringLiteral("Module1.PathPart"), QStringLiteral("Invalid procedure call or argument"));

    QString drive, folder, name, extension;
    QString p = path;
    if (p.size() >= 2 && p.at(1) == u':') {
        drive = p.left(2);
        p = p.mid(2);
    }
    bool folderFound = false;
    for (qsizetype i = p.size(); i >= 1; --i) {
        const QChar c = p.at(i - 1);
        if (c == u'.' && extension.isEmpty()) {
            if (i < p.size())
                extension = p.mid(i - 1);
            p = p.left(i - 1);
        } else if (c == u'\\' && i < p.size()) {
            name = p.mid(i);
            p = p.left(i);
            folderFound = true;
            break;
        }
    }
    if (folderFound)
        folder = p;
    else
        name = p;

    switch (part) {
    case 0: return drive;
    case 1: return folder;
    case 2: return name;
    default: return extension;
    }
}

QString HelpFolder()
{
    // Installed beside the program's data; a build tree uses the sources.
    const QString appDir = QCoreApplication::applicationDirPath();
    for (const QString &candidate : {appDir + QStringLiteral("/../share/tallyvane/help"),
                                     QStringLiteral(TALLYVANE_DATADIR "/help"),
                                     QStringLiteral(TALLYVANE_BUILD_HELPDIR)}) {
        if (QFileInfo::exists(candidate + QStringLiteral("/index.html")))
            return QDir(candidate).canonicalPath();
    }
    return QStringLiteral(TALLYVANE_BUILD_HELPDIR);
}

} // namespace tv
