#pragma once

#include <QLabel>

namespace quelvo {

/// A picture that acts on a left click, like the pictures used as buttons.
class ClickableImage final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClickableImage)

public:
    explicit ClickableImage(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
};

} // namespace quelvo
