#pragma once

#include "countdown/countdown_presenter.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

namespace quelvo {

/// The countdown window `frm_shutdown` or `frm_reboot` in Qt: on top of all windows without
/// taking the focus, with a cancel picture. It deletes itself on closing.
class CountdownWindow final : public QWidget, public CountdownView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CountdownWindow)

public:
    CountdownWindow(CountdownKind kind, CountdownControls& presenter);

    // CountdownView
    void showWindow() override { show(); }
    void closeWindow() override;
    void setSecondsText(const std::string& text) override;
    void setActionVisible(bool visible) override { m_action->setVisible(visible); }
    void startTicking(int ms) override { m_timer->start(ms); }
    void stopTicking() override { m_timer->stop(); }
    void showError(const std::string& text) override;
    void showPostpone(const std::string& caption) override;
    void showNote(const std::string& text) override;
    void showCancel(bool shown) override { m_cancel->setVisible(shown); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CountdownControls* m_presenter; // null once the presenter let the window go
    QLabel* m_seconds = nullptr;
    QLabel* m_action = nullptr;
    QLabel* m_note = nullptr;
    QWidget* m_cancel = nullptr;
    QPushButton* m_postpone = nullptr;
    QTimer* m_timer = nullptr;
};

} // namespace quelvo
