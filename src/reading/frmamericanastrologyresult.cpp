#include "frmamericanastrologyresult.h"
#include "ui_frmAmericanAstrologyResult.h"

#include "app/banner.h"
#include "app/navigation.h"
#include "report/frmsave.h"
#include "signs/fillreading.h"
#include "signs/signtable.h"
#include "widgets/colours.h"
#include "widgets/layoutfonts.h"
#include "widgets/placement.h"

#include <QShortcut>

using namespace Colours;

frmAmericanAstrologyResult::frmAmericanAstrologyResult(QWidget *parent)
    : WorkingWindow(parent)
    , ui(std::make_unique<Ui::frmAmericanAstrologyResult>())
{
    ui->setupUi(this);

    setPalette(fixedPalette());
    LayoutFonts::apply(this);
    Colours::setBackground(ui->centralWidget, DeepPink);
    Colours::setColors(ui->Label14, DarkPurple);
    ui->TS->addTab(QStringLiteral("Native American Astrology Details"));
    ui->TS->addTab(QStringLiteral("Other Information"));
    ui->TS->setDrawBase(false);
    ui->TS->setExpanding(false);
    for (QWidget *panel : {ui->picDetails, ui->picOthers})
        Colours::setBackground(panel, Pink);
    Colours::setBackground(ui->Frame5, DeepPink);
    stylePromotions(ui->lblCobrand, ui->lblFullBrand, DeepPink, ui->lblCobrand);
    // Let the outline show around the picture, and give the long text some air.
    ui->imgSign->setContentsMargins(3, 3, 3, 3);
    ui->lblNativeAmericanSignDesc->setContentsMargins(0, 3, 4, 0);

    // Headings (bold in the layout) are as wide as their text.
    for (QWidget *panel : {ui->picDetails, ui->picOthers}) {
        for (QLabel *label : panel->findChildren<QLabel *>()) {
            if (label->objectName().startsWith(QLatin1String("Label1_"))) {
                Colours::setColors(label, Qt::black);
                label->adjustSize();
            }
        }
    }
    for (const Field &field : fields()) {
        auto *value = findChild<QLabel *>(QLatin1String(field.label));
        if (!value)
            continue;
        Colours::setColors(value, ValuePurple);
        // Each heading names its value for screen readers.
        for (QLabel *heading : value->parentWidget()->findChildren<QLabel *>()) {
            if (heading->objectName().startsWith(QLatin1String("Label1_"))
                && heading->text() == QLatin1String(field.readingHeading)) {
                heading->setBuddy(value);
                // Without the trailing blank, which a braille display would show.
                heading->setAccessibleName(heading->text().trimmed());
            }
        }
    }
    // Ctrl+Tab and Ctrl+PgDn to the next tab, with Shift or PgUp back, as in
    // any tabbed window; two tabs, so each goes round.
    const auto switchTab = [this](int step) {
        const int count = ui->TS->count();
        if (count > 0)
            ui->TS->setCurrentIndex((ui->TS->currentIndex() + step + count) % count);
    };
    for (const QKeySequence &key :
         {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)}) {
        connect(new QShortcut(key, this), &QShortcut::activated, this,
                [switchTab] { switchTab(1); });
    }
    for (const QKeySequence &key : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                                    QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                                    QKeySequence(Qt::CTRL | Qt::Key_PageUp)}) {
        connect(new QShortcut(key, this), &QShortcut::activated, this,
                [switchTab] { switchTab(-1); });
    }
    setTabOrder(ui->TS, ui->cmdBack);
    setTabOrder(ui->cmdBack, ui->cmdSave);

    nameSeparators(ui->mnuFile, {"mnuSep1"});
    nameSeparators(ui->mnuHelp, {"mnuSep3", "mnuSep2"});

    connect(ui->TS, &QTabBar::currentChanged, this, &frmAmericanAstrologyResult::TS_Click);
    connect(ui->cmdBack, &QPushButton::clicked, this, &frmAmericanAstrologyResult::cmdBack_Click);
    connect(ui->mnuBack, &QAction::triggered, this, &frmAmericanAstrologyResult::mnuBack_Click);
    connect(ui->cmdSave, &QPushButton::clicked, this, &frmAmericanAstrologyResult::cmdSave_Click);
    setUpCommon(ui->centralWidget);

    Form_Load();
    Placement::centreOnScreen(this);
    // The tabs first: the arrow keys then turn the pages at once.
    ui->TS->setFocus();
}

frmAmericanAstrologyResult::~frmAmericanAstrologyResult() = default;

void frmAmericanAstrologyResult::Form_Load()
{
    FillReading(this);
    ui->TS->setCurrentIndex(0);
    TS_Click(); // a tab that was already selected emits no change
}

void frmAmericanAstrologyResult::TS_Click()
{
    // Only the first tab's state decides which panel is in front.
    Placement::bringToFront(ui->TS->currentIndex() == 0 ? ui->picDetails : ui->picOthers);
}

void frmAmericanAstrologyResult::cmdBack_Click()
{
    mnuBack_Click();
}

void frmAmericanAstrologyResult::mnuBack_Click()
{
    Navigation::readingToMain();
}

void frmAmericanAstrologyResult::cmdSave_Click()
{
    frmSave report(this);
    report.exec();
}
