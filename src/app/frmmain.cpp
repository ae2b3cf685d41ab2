#include "frmmain.h"
#include "ui_frmMain.h"

#include "app/appstate.h"
#include "app/banner.h"
#include "app/datecheck.h"
#include "app/navigation.h"
#include "platform/platform.h"
#include "report/savedfile.h"
#include "signs/determination.h"
#include "widgets/colours.h"
#include "widgets/layoutfonts.h"
#include "widgets/placement.h"

#include <QApplication>

namespace {
// A combo box builds its list on a font change; held back: -3.1 M instr., 2.6 % of a start on xcb.
class QuietComboFontChange : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        return event->type() == QEvent::FontChange && qobject_cast<QComboBox *>(watched);
    }
};
} // namespace

using namespace Colours;

frmMain::frmMain(QWidget *parent)
    : WorkingWindow(parent)
    , ui(std::make_unique<Ui::frmMain>())
{
    QuietComboFontChange quiet;
    qApp->installEventFilter(&quiet);
    ui->setupUi(this);
    // Fonts come from the layout; colours and the exact sizes from here.
    setPalette(fixedPalette());
    LayoutFonts::apply(this);
    qApp->removeEventFilter(&quiet);
    Colours::setBackground(ui->centralWidget, Pink);
    Colours::setColors(ui->Label14, DarkPurple);
    for (QLabel *label : {ui->Label1_0, ui->Label1_1}) {
        Colours::setColors(label, Qt::black);
        label->adjustSize();
    }
    Colours::setBackground(ui->Frame1, Pink);
    Colours::setBackground(ui->fraFullBrand, Pink);
    stylePromotions(ui->lblCobrand, ui->lblFullBrand, Pink, ui->lblFullBrand);

    // Names for screen readers: a combo box is announced by its entry alone.
    ui->Label1_0->setBuddy(ui->txtName);
    ui->Label1_1->setBuddy(ui->cboMonth);
    ui->cboMonth->setAccessibleDescription(QStringLiteral("Month"));
    ui->cboDate->setAccessibleDescription(QStringLiteral("Day"));
    ui->cboYear->setAccessibleDescription(QStringLiteral("Year"));

    nameSeparators(ui->mnuFile, {"mnuSep3"});
    nameSeparators(ui->mnuHelp, {"mnuSep1", "mnuSep2"});

    connect(ui->cmdCalculate, &QPushButton::clicked, this, &frmMain::cmdCalculate_Click);
    connect(ui->mnuMayan, &QAction::triggered, this, &frmMain::mnuMayan_Click);
    connect(ui->cmdOpen, &QPushButton::clicked, this, &frmMain::cmdOpen_Click);
    setUpCommon(ui->centralWidget);

    Form_Load();
    Placement::centreOnScreen(this);
    ui->txtName->setFocus();
}

frmMain::~frmMain() = default;

void frmMain::Form_Load()
{
    ui->cboMonth->addItems(monthNames());
    QStringList days;
    for (int day = 1; day <= 31; ++day)
        days.append(QString::number(day));
    ui->cboDate->addItems(days);
    QStringList years;
    for (int year = 1900; year <= 2016; ++year)
        years.append(QString::number(year));
    ui->cboYear->addItems(years);
    ui->cboMonth->setCurrentIndex(0);
    ui->cboDate->setCurrentIndex(0);
    ui->cboYear->setCurrentIndex(0);
}

bool frmMain::ValidateBirthDate()
{
    const DateCheck check
        = checkBirthDate(ui->txtName->text(), ui->cboYear->currentText(),
                         ui->cboMonth->currentIndex(), ui->cboDate->currentIndex());
    if (!check.accepted)
        platform().message(this, check.icon, check.message);
    return check.accepted;
}

void frmMain::cmdCalculate_Click()
{
    if (!ValidateBirthDate())
        return;
    AppState &state = appState();
    bool ok = false;
    const qint16 year = ui->cboYear->currentText().trimmed().toShort(&ok);
    if (ok)
        state.BirthYear = year;
    state.BirthMonth = ui->cboMonth->currentText().trimmed();
    const qint16 day = ui->cboDate->currentText().trimmed().toShort(&ok);
    if (ok)
        state.BirthDay = day;
    Navigation::mainToReading();
}

void frmMain::mnuMayan_Click()
{
    cmdCalculate_Click();
}

void frmMain::cmdOpen_Click()
{
    const QString path
        = platform().openFileName(this, QStringLiteral("Select the source file"),
                                  QStringLiteral("Native American Astrology (*.naa)"));
    OpenSavedReading(path);
}

void frmMain::OpenSavedReading(const QString &path)
{
    if (path.isEmpty())
        return; // a cancelled dialog
    const std::optional<SavedReading> saved = readSavedReadingFile(path);
    if (!saved) {
        platform().message(this, QMessageBox::Critical, QStringLiteral("Please Check The File."));
        return;
    }
    ui->txtName->setText(QStringLiteral("pseudo"));
    ui->cboYear->setCurrentText(saved->year);
    ui->cboMonth->setCurrentText(saved->month);
    ui->cboDate->setCurrentText(saved->day);
    cmdCalculate_Click();
}
