#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QTimer;

namespace quelvo {

/// The hint `frm_message`: a narrow frameless strip above all windows that does not
/// take the focus and closes itself two seconds after it opened. At most one exists.
class HintWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HintWindow)

public:
    /// Shows the hint; an open one is returned as it is, its timer left running.
    static HintWindow* open();
    /// The open hint, or null.
    static HintWindow* current();

    /// Replaces Label1's text, e.g. with a confirmation.
    void setText(const QString& text);
    /// Shows or hides the icon (Image1) standing in the default text's gap.
    void setIconVisible(bool visible);
    /// Aligns Label1's text (left by default).
    void setTextAlignment(Qt::Alignment alignment);
    /// Hides the icon and shows `text` centred: how a scheduled action is confirmed.
    void showConfirmation(const QString& text);

    [[nodiscard]] QLabel* label() const { return m_label; }
    [[nodiscard]] QLabel* image() const { return m_image; }

    /// Label1's text when the hint opens.
    static QString defaultText();

    static constexpr int kLifetimeMs = 2000;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    HintWindow();
    void placeIcon();

    QLabel* m_label = nullptr;
    QLabel* m_image = nullptr;
    QTimer* m_timer = nullptr;

    static QPointer<HintWindow> s_open;
};

} // namespace quelvo
