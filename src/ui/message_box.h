#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace quelvo {

/// Every message the program shows goes through here, so tests can answer in advance.
class MessageBox final
{
public:
    enum class Icon { None, Information, Stop, Warning };

    /// A modal message with OK; returns when the user closed it.
    static void ok(QWidget* parent, const QString& title, const QString& text, Icon icon);
    /// A modal Yes/No question without an icon; true for Yes.
    static bool yesNo(QWidget* parent, const QString& title, const QString& text);
    /// A message that does not block the caller (it stays until the user closes it).
    static void notify(QWidget* parent, const QString& title, const QString& text, Icon icon);

    /// Tests: the next message is not shown but answered at once with `yes`.
    static void setNextAnswer(bool yes);
    /// Tests: no message is shown at all; each is answered OK / No unless a next answer is set.
    static void setHeadless(bool on);
    /// Tests: the title and text of the last message, shown or answered.
    static QString lastTitle();
    static QString lastText();
    static Icon lastIcon();
    static int count();
};

} // namespace quelvo
