#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace tv {

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

struct MessageBoxRequest
{
    QString title;
    QString text;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
};

// Every message box of the program goes through here. Tests install a handler
// that records the request and answers it without a person.
MsgResult MsgBox(QWidget *parent, const QString &text, MsgButtons buttons, MsgIcon icon, const QString &title);

using MessageBoxHandler = std::function<MsgResult(const MessageBoxRequest &)>;
// Returns the handler it replaces; an empty handler restores the real boxes.
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);

} // namespace tv
