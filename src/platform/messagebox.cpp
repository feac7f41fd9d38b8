#include "platform/messagebox.h"

#include <QApplication>
#include <QMessageBox>

namespace tv {

namespace {
MessageBoxHandler &handlerSlot()
{
    static MessageBoxHandler handler;
    return handler;
}

QMessageBox::Icon toQt(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler)
{
    return std::exchange(handlerSlot(), std::move(handler));
}

MsgResult MsgBox(QWidget *parent, const QString &text, MsgButtons buttons, MsgIcon icon, const QString &title)
{
    if (const auto &handler = handlerSlot())
        return handler(MessageBoxRequest{title, text, icon, buttons});

    QMessageBox box(toQt(icon), title, text, QMessageBox::NoButton, parent);
    switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Cancel: return MsgResult::Cancel;
    default: return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Ok;
    }
}

} // namespace tv
