#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class frmAbout;
}

// The about box: icon, title, what the program is, and two links.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);
    ~frmAbout() override;

    void cmdOK_Click();
    void lblHomePage_Click();
    void lblCobrand_Click();

private:
    std::unique_ptr<Ui::frmAbout> ui;
};
