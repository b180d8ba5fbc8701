#include "animate.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {
constexpr int kFrames = 36;
}

TAnimate::TAnimate(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(32, 32);
    m_timer.setInterval(60);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_frame = (m_frame + 1) % kFrames;
        update();
    });
}

void TAnimate::setActive(bool on)
{
    if (on == m_timer.isActive())
        return;
    if (on) {
        m_timer.start();
    } else {
        m_timer.stop();
        m_frame = 0;
        update();
    }
}

void TAnimate::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF globe = QRectF(rect()).adjusted(3, 3, -3, -3);
    const QPointF c = globe.center();
    const double r = globe.width() / 2;

    p.setPen(QPen(QColor(0x1f, 0x4e, 0x8c), 1.2));
    p.setBrush(QColor(0x9c, 0xc9, 0xf0));
    p.drawEllipse(globe);

    QPainterPath clip;
    clip.addEllipse(globe);
    p.setClipPath(clip);
    p.setBrush(Qt::NoBrush);
    // Parallels.
    for (double lat : {-0.5, 0.0, 0.5}) {
        const double y = c.y() + lat * r;
        const double half = std::sqrt(1 - lat * lat) * r;
        p.drawLine(QPointF(c.x() - half, y), QPointF(c.x() + half, y));
    }
    // Meridians turn with the frame.
    const double phase = 2 * M_PI * m_frame / kFrames;
    for (int i = 0; i < 4; ++i) {
        const double w = std::cos(phase + i * M_PI / 4) * r;
        p.drawEllipse(QRectF(c.x() - std::abs(w), c.y() - r, 2 * std::abs(w), 2 * r));
    }
}
