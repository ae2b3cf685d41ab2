#pragma once

#include "app/workingwindow.h"

#include <memory>

namespace Ui {
class frmMain;
}

// Name and birth-date input, and the way to a reading.
class frmMain : public WorkingWindow
{
    Q_OBJECT
public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    void cmdCalculate_Click();
    void mnuMayan_Click();
    void cmdOpen_Click();
    // What the open command does with the file it was given: the reading, or
    // "Please Check The File." for a file that is not a saved reading.
    void OpenSavedReading(const QString &path);

    // True when the reading may go ahead; otherwise the user has been told why.
    bool ValidateBirthDate();

private:
    void Form_Load();

    std::unique_ptr<Ui::frmMain> ui;
};
