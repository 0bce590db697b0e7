#include "app/main1.h"

#include "app/dirs.h"
#include "app/panes.h"
#include "app/translations.h"
#include "fileops/fsname.h"
#include "screens/appicon.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

main1::main1(QWidget *parent) : QMainWindow(parent)
{
    translations::load();
    setupUi(this);
    setWindowIcon(appicon::icon());
    // The keys these controls take are handled by their KeyDown handlers.
    for (QWidget *w : std::initializer_list<QWidget *>{List1, Text1, Text2, Dir1, File1, Label1})
        w->installEventFilter(this);
    connect(eexit, &QAction::triggered, this, &main1::eexit_Click);
    connectBrowser();
    connectPhotos();
    connectCaptions();
    connectArranging();
    connectGeneration();
    connectProject();
    connectFileTools();
    connectPreview();
    connectHelp();
    connectSettings();
    connectPublishing();
    Form_Load();
    connectSafetyCopy();
    Dir1->setFocus();
}

main1::~main1()
{
    // The controls outlive the handlers' state while the window takes
    // itself apart: the photo list and the caption box must no longer
    // report their changes.
    List1->model()->disconnect(this);
    Text1->disconnect(this);
}

void main1::Form_Load()
{
    Label1->setText(dirs::firstdirio(1, QStringLiteral("kamerio")));
    fsname::setCurrentDir(Label1->text());
    // Even on a first run, with nothing stored, the panes and Label1 start on
    // the same folder, so pages never land anywhere but the folder on screen.
    const QString here = fsname::currentDir();
    // The directory change puts the drive and file panes there too.
    if (!Dir1->changeTo(here)) {
        const QSignalBlocker quiet(Drive1);
        setDrive(here);
    }

    move(px(400), px(400));
    resize(px(10905), px(8250) + menuBar()->sizeHint().height());

    setCheckValue(Check2, dirs::banio(1, 0));
    Command8->setText(QStringLiteral("初心者用\r全自動 html 作成"));
}

void main1::Form_Unload()
{
    fsname::setCurrentDir(Dir1->path());
    dirs::firstdirio(2, QStringLiteral("kamerio"));
    dirs::banio(2, checkValue(Check2));
    safetyCopy_->flush();
    for (QWidget *w : {manual.data(), aboutBox.data()})
        if (w)
            w->close();
}

void main1::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void main1::eexit_Click()
{
    // Ends the process without the close handling: no setting is stored,
    // but the safety copy is brought up to date, as the album is not saved.
    safetyCopy_->flush();
    QCoreApplication::exit(0);
}

bool main1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (watched == List1)
        return List1_KeyDown(key);
    if (watched == Text1)
        return Text1_KeyDown(key);
    if (watched == Text2)
        return Text2_KeyDown(key);
    if (watched == Dir1)
        return Dir1_KeyDown(key);
    if (watched == File1)
        return File1_KeyDown(key);
    if (watched == Label1)
        return Label1_KeyDown(key);
    return QMainWindow::eventFilter(watched, event);
}

bool main1::Text1_KeyDown(QKeyEvent *event)
{
    return undoInCaption(event) || moveOnEnter(event, Command7);
}

bool main1::Text2_KeyDown(QKeyEvent *event)
{
    return moveOnEnter(event, Command9);
}
