#pragma once

#include <QTimer>
#include <QWidget>

// The throbber beside the tool bar: a small globe that turns while a page
// loads. Painted, so it needs no file beside the program.
class TAnimate final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive)

public:
    explicit TAnimate(QWidget *parent = nullptr);

    bool Active() const { return m_timer.isActive(); }
    void setActive(bool on);
    QSize sizeHint() const override { return {32, 32}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTimer m_timer;
    int m_frame = 0;
};
