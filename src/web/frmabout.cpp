#include "frmabout.h"
#include "ui_frmAbout.h"

#include "platform/appinfo.h"
#include "web/links.h"
#include "widgets/colours.h"
#include "widgets/layoutfonts.h"
#include "widgets/placement.h"

using namespace Colours;

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::frmAbout>())
{
    ui->setupUi(this);
    setWindowTitle(AppInfo::Caption);
    ui->Label2->setText(AppInfo::Caption);
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    setPalette(fixedPalette());
    LayoutFonts::apply(this);
    Colours::setBackground(this, Pink);
    ui->picIcon->setPicture(QStringLiteral(":/icon/orra-32.svg")); // the drawing made for 32 px
    Colours::setColors(ui->Label2, DarkPurple);
    // The title is wider in 12 pt bold than its place: let it run on to the right.
    ui->Label2->resize(ui->Label2->size().expandedTo(ui->Label2->sizeHint()));
    for (QLabel *link :
         {static_cast<QLabel *>(ui->lblHomePage), static_cast<QLabel *>(ui->lblCobrand)})
        Colours::setColors(link, LinkPurple);
    ui->cmdOK->setDefault(true);
    ui->cmdOK->setFocus();

    connect(ui->cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(ui->lblHomePage, &LinkLabel::clicked, this, &frmAbout::lblHomePage_Click);
    connect(ui->lblCobrand, &LinkLabel::clicked, this, &frmAbout::lblCobrand_Click);

    setFixedSize(size());
    Placement::centreOnScreen(this);
}

frmAbout::~frmAbout() = default;

// Esc closes the dialog too (QDialog's reject), as does the close box.
void frmAbout::cmdOK_Click()
{
    accept();
}

void frmAbout::lblHomePage_Click()
{
    OpenHomePage();
}
// Completes the offer of a fully branded copy above it.
void frmAbout::lblCobrand_Click()
{
    OpenFullyBrandedPage();
}
