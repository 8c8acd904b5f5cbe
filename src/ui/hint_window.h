#pragma once

#include "shell/hint_presenter.h"

#include <QWidget>

class QLabel;

namespace quelvo {

/// The hint `frm_message` in Qt: a narrow frameless strip above all windows that does not
/// take the focus. It deletes itself on closing.
class HintWindow final : public QWidget, public HintView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HintWindow)

public:
    explicit HintWindow(HintPresenter& presenter);

    // HintView
    void showConfirmation(const std::string& text) override;
    void showChoices(const std::string& text, const std::vector<HintChoice>& choices) override;
    void closeAfter(int ms) override;
    void closeWindow() override;

    [[nodiscard]] QLabel* label() const { return m_label; }
    [[nodiscard]] QLabel* image() const { return m_image; }

    /// Label1's text when the hint opens.
    static QString defaultText();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    HintPresenter* m_presenter; // null once the presenter let the window go
    QLabel* m_label = nullptr;
    QLabel* m_image = nullptr;
};

} // namespace quelvo
