#pragma once

#include <QPushButton>

// A push button whose caption wraps over several lines inside its fixed size.
class WrapButton : public QPushButton
{
    Q_OBJECT
public:
    explicit WrapButton(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
