#pragma once

#include <QLabel>

// A label that acts as a web link: pointing-hand cursor, a click signal, and
// reachable from the keyboard (Tab, then Enter or Space) and by screen readers
// as a link.
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_pressed = false;
};
