#include "frmsave.h"
#include "ui_frmSave.h"

#include "app/appstate.h"
#include "app/banner.h"
#include "platform/appinfo.h"
#include "platform/platform.h"
#include "report/printing.h"
#include "report/report.h"
#include "report/savedfile.h"
#include "signs/signtable.h"
#include "web/links.h"
#include "widgets/colours.h"
#include "widgets/enterkey.h"
#include "widgets/layoutfonts.h"
#include "widgets/placement.h"

#include <QFocusFrame>
#include <QMouseEvent>
#include <QPrinter>
#include <QScrollBar>

using namespace Colours;

frmSave::frmSave(QWidget *readingWindow)
    : QDialog(readingWindow)
    , ui(std::make_unique<Ui::frmSave>())
    , m_reading(readingWindow)
{
    ui->setupUi(this);
    setWindowTitle(AppInfo::Caption);
    setModal(true);

    setPalette(fixedPalette());
    LayoutFonts::apply(this);
    Colours::setBackground(this, Pink);
    for (QLabel *link : {static_cast<QLabel *>(ui->Label14), static_cast<QLabel *>(ui->Label1)})
        Colours::setColors(link, LinkBlue);
    Colours::setBackground(ui->fraFullBrand, Pink);
    stylePromotions(ui->lblCobrand, ui->lblFullBrand, Pink, ui->lblFullBrand);
    // Neither button is pressed by Enter while reading the report, only the
    // one that has the focus.
    ui->cmdSave->setAutoDefault(false);
    ui->cmdPrint->setAutoDefault(false);
    pressButtonsWithEnter(this);

    // The reader starts in the report: arrows and PgDn scroll it at once, and
    // a ring around it shows where the keys go. No keyboard caret: it would
    // start at the end, where the composition leaves the insertion point, and
    // the first key would jump there.
    ui->RTB->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ui->RTB->setFocusPolicy(Qt::StrongFocus);
    (new QFocusFrame(this))->setWidget(ui->RTB);
    ui->RTB->installEventFilter(this);
    ui->RTB->setFocus();

    connect(ui->cmdSave, &QPushButton::clicked, this, &frmSave::cmdSave_Click);
    connect(ui->cmdPrint, &QPushButton::clicked, this, &frmSave::cmdPrint_Click);
    connect(ui->Label14, &LinkLabel::clicked, this, &frmSave::Label14_Click);
    connect(ui->Label1, &LinkLabel::clicked, this, &frmSave::Label1_Click);
    connect(ui->lblCobrand, &LinkLabel::clicked, this, &frmSave::lblCobrand_Click);
    connect(ui->lblFullBrand, &LinkLabel::clicked, this, &frmSave::lblFullBrand_Click);
    connect(ui->RTB, &QTextEdit::textChanged, this, &frmSave::RTB_Change);
    ui->RTB->viewport()->setMouseTracking(true);
    ui->RTB->viewport()->installEventFilter(this);

    Form_Load();
    setFixedSize(size());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Placement::centreOnScreen(this);
}

frmSave::~frmSave() = default;

void frmSave::Form_Load()
{
    QStringList values;
    for (const Field &field : fields()) {
        const auto *label
            = m_reading ? m_reading->findChild<QLabel *>(QLatin1String(field.label)) : nullptr;
        values << (label ? label->text() : QString());
    }
    ComposeReport(ui->RTB->document(), values);
    QTextCursor end(ui->RTB->document());
    end.movePosition(QTextCursor::End);
    ui->RTB->setTextCursor(end);
}

void frmSave::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The insertion point stays at the end, but the reader starts at the top.
    ui->RTB->verticalScrollBar()->setValue(0);
}

void frmSave::RTB_Change()
{
    platform().clearOwnedClipboard();
}

bool frmSave::eventFilter(QObject *watched, QEvent *event)
{
    // RTB_Click, RTB_MouseDown, RTB_MouseMove, RTB_MouseUp: the report's text is
    // not to be copied out, so whatever this program put on the clipboard goes.
    if (watched == ui->RTB
        && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        if (auto *ring = findChild<QFocusFrame *>())
            ring->setVisible(event->type() == QEvent::FocusIn);
    }
    if (watched == ui->RTB->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            platform().clearOwnedClipboard();
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmSave::cmdSave_Click()
{
    const QString path = platform().saveFileName(
        this, AppInfo::Title, QStringLiteral("Rich Text Format (*.naa)"), QStringLiteral("naa"));
    if (path.isEmpty())
        return; // cancelled: nothing written, nothing said
    const AppState &state = appState();
    QString error;
    if (!writeSavedReadingFile(path, state.BirthYear, state.BirthMonth, state.BirthDay, &error)) {
        platform().message(this, QMessageBox::Warning,
                           QStringLiteral("The reading was not saved.\n%1").arg(error));
    }
}

void frmSave::cmdPrint_Click()
{
    QTextCursor cursor = ui->RTB->textCursor();
    cursor.clearSelection();
    ui->RTB->setTextCursor(cursor);
    std::unique_ptr<QPrinter> printer = platform().defaultPrinter();
    if (printer)
        printReport(ui->RTB->document(), printer.get());
}

void frmSave::Label14_Click()
{
    OpenHomePage();
}
void frmSave::Label1_Click()
{
    OpenHomePage();
}
void frmSave::lblCobrand_Click()
{
    OpenCoBrandPage();
}
void frmSave::lblFullBrand_Click()
{
    OpenFullyBrandedPage();
}
