// The look both of Trova's windows share: no system frame, a translucent
// window around a content panel that casts a soft grey shadow into the
// window's inset, and a title bar that drags the window.
#ifndef FRAMELESSWINDOW_H
#define FRAMELESSWINDOW_H

#include <QObject>
#include <QPoint>

class QWidget;

class FramelessWindow : public QObject
{
    Q_OBJECT

public:
    // Makes window frameless around content; a press on titleBar's area at
    // the top of content starts a drag. Owned by window. The other window
    // flags are the caller's, set before.
    FramelessWindow(QWidget *window, QWidget *content, QWidget *titleBar);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *window;
    QWidget *content;
    QWidget *titleBar;
    bool dragging = false;
    QPoint dragStartPos;
};

#endif
