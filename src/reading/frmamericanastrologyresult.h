#pragma once

#include "app/workingwindow.h"

#include <memory>

namespace Ui {
class frmAmericanAstrologyResult;
}

// One reading, on two tabs: details with the sign's picture, and the rest
// with the long interpretation.
class frmAmericanAstrologyResult : public WorkingWindow
{
    Q_OBJECT
public:
    explicit frmAmericanAstrologyResult(QWidget *parent = nullptr);
    ~frmAmericanAstrologyResult() override;

    void TS_Click();
    void cmdBack_Click();
    void mnuBack_Click();
    void cmdSave_Click();

private:
    void Form_Load();

    std::unique_ptr<Ui::frmAmericanAstrologyResult> ui;
};
