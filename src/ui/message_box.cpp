#include "ui/message_box.h"

#include <optional>

namespace quelvo {

namespace {

std::optional<bool> g_nextAnswer;
QString g_lastTitle;
QString g_lastText;
MessageBox::Icon g_lastIcon = MessageBox::Icon::None;
int g_count = 0;
bool g_headless = false;

QMessageBox::Icon toQt(MessageBox::Icon icon)
{
    switch (icon) {
    case MessageBox::Icon::Information:
        return QMessageBox::Information;
    case MessageBox::Icon::Stop:
        return QMessageBox::Critical;
    case MessageBox::Icon::Warning:
        return QMessageBox::Warning;
    case MessageBox::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Records the message; returns the prepared answer when a test set one.
std::optional<bool> record(const QString& title, const QString& text, MessageBox::Icon icon)
{
    g_lastTitle = title;
    g_lastText = text;
    g_lastIcon = icon;
    ++g_count;
    auto answer = g_nextAnswer;
    g_nextAnswer.reset();
    if (!answer && g_headless)
        answer = false;
    return answer;
}

} // namespace

void MessageBox::ok(QWidget* parent, const QString& title, const QString& text, Icon icon)
{
    if (record(title, text, icon))
        return;
    QMessageBox box(toQt(icon), title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool MessageBox::yesNo(QWidget* parent, const QString& title, const QString& text)
{
    if (auto answer = record(title, text, Icon::None))
        return *answer;
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

void MessageBox::notify(QWidget* parent, const QString& title, const QString& text, Icon icon)
{
    if (record(title, text, icon))
        return;
    auto* box = new QMessageBox(toQt(icon), title, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void MessageBox::setHeadless(bool on)
{
    g_headless = on;
}

void MessageBox::setNextAnswer(bool yes)
{
    g_nextAnswer = yes;
}

QString MessageBox::lastTitle()
{
    return g_lastTitle;
}

QString MessageBox::lastText()
{
    return g_lastText;
}

MessageBox::Icon MessageBox::lastIcon()
{
    return g_lastIcon;
}

int MessageBox::count()
{
    return g_count;
}

} // namespace quelvo
