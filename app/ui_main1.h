// The main window's controls, built in one place as a form class generated
// by Qt Designer keeps them: main1 inherits them and adds the handlers.
#pragma once

#include "album/album.h"

#include <array>

class CaptionButton;
class ClickLabel;
class DirList;
class DriveList;
class FileList;
class ReleaseButton;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMainWindow;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class Ui_main1
{
public:
    QLabel *Label3, *Label19, *Label2, *Label8, *Label10, *Label7, *Label6, *Label4, *Label5, *Label9, *Label22,
        *Label14;
    ClickLabel *Label1, *Label11, *Label16, *Label25, *Image1;
    QLineEdit *Text6, *Text5, *Text2, *Text3, *Text9, *Text4;
    QPlainTextEdit *Text1;
    QGroupBox *Frame1, *Frame3, *Frame4;
    QRadioButton *Option1, *Option2, *Option3, *Option4, *Option5, *Option6, *Option7, *Option8, *Option9;
    DriveList *Drive1;
    QComboBox *Combo1;
    DirList *Dir1;
    FileList *File1;
    QPushButton *Command12, *Command13, *Command7, *Command5, *Command6, *Command9, *Command10, *Command11, *Command4;
    CaptionButton *Command8;
    ReleaseButton *Command2, *Command3;
    QCheckBox *Check3, *Check2, *Check1, *Check4;
    QListWidget *List1, *List2, *List3;
    QMenu *file, *about, *listrclk, *r1clk, *dir1clk, *rclkkijyu;
    QAction *fsave, *fload, *eexit, *frestore, *easykotu, *syoukotu, *jyouhou, *list1del, *zenclr, *list1can, *file1rmusup,
        *kousin, *dirnchg, *clpchgdir, *dir1clkn, *rclkdir;
    QAction *sortdate, *sortname;
    QMenu *settei, *websize;
    QAction *webphoto, *web1024, *web1600, *web2048, *web2560;
    QMenu *koukai;
    QAction *pubsite, *pubpreview, *publish, *pubresend;

    // Creates every control at its place with its caption, and the menus.
    void setupUi(QMainWindow *main1);

    // The background choice in order, Option1 first.
    std::array<QRadioButton *, 9> options() const;

    // The album as the controls hold it, and the controls set to an album;
    // only a control whose value differs is touched, and the photo list is
    // refilled without raising its selection handling.
    album::Album album() const;
    void setAlbum(const album::Album &a);

private:
    void setupLayout(QMainWindow *main1);
    void setupMenus(QMainWindow *main1);
};
