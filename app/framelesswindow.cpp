#include "framelesswindow.h"

#include <QApplication>
#include <QEvent>
#include <QGraphicsDropShadowEffect>
#include <QMouseEvent>
#include <QRect>
#include <QWidget>

namespace {
constexpr qreal kShadowBlurRadius = 5.0;
} // namespace

FramelessWindow::FramelessWindow(QWidget *window, QWidget *content, QWidget *titleBar)
    : QObject(window), window(window), content(content), titleBar(titleBar)
{
    window->setWindowFlag(Qt::FramelessWindowHint, true);
    window->setAttribute(Qt::WA_TranslucentBackground, true);

    auto *shadow = new QGraphicsDropShadowEffect(content);
    shadow->setBlurRadius(kShadowBlurRadius);
    shadow->setOffset(0.0, 0.0);
    shadow->setColor(Qt::gray);
    content->setGraphicsEffect(shadow);
    // At a fractional display scale (150 %) the effect redraws a changed
    // child's rectangle rounded inwards, leaving behind the edge of a focus
    // frame that has moved on; the panel is drawn whole when focus moves.
    connect(qApp, &QApplication::focusChanged, content, [content] { content->update(); });

    // Sees the presses the window's children leave to the window, as the
    // window's own mouse handlers would.
    window->installEventFilter(this);
}

bool FramelessWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != window) {
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const QRect dragArea(content->pos(), titleBar->size());
        if (!dragArea.contains(mouse->pos()) || window->isFullScreen()) {
            return false;
        }
        dragging = true;
        dragStartPos = mouse->pos();
        mouse->accept();
        return true;
    }
    case QEvent::MouseMove: {
        if (!dragging) {
            return false;
        }
        auto *mouse = static_cast<QMouseEvent *>(event);
        window->move(window->pos() + (mouse->pos() - dragStartPos));
        mouse->accept();
        return true;
    }
    case QEvent::MouseButtonRelease:
        dragging = false;
        return false;
    default:
        return false;
    }
}
