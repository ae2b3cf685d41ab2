#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class frmSave;
}

// The reading as one formatted document, with save and print.
class frmSave : public QDialog
{
    Q_OBJECT
public:
    // readingWindow is the window whose labels hold the reading.
    explicit frmSave(QWidget *readingWindow);
    ~frmSave() override;

    void cmdSave_Click();
    void cmdPrint_Click();
    void Label14_Click();
    void Label1_Click();
    void lblCobrand_Click();
    void lblFullBrand_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void Form_Load();
    void RTB_Change();

    std::unique_ptr<Ui::frmSave> ui;
    QWidget *m_reading;
};
