#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace quelvo {

/// Every message the program shows goes through here.
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
};

} // namespace quelvo
