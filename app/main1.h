// The main window: the album lives in its controls.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QSet>

#include <map>

class CaptionButton;
class ClickLabel;
class DirList;
class FileList;
class ReleaseButton;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class main1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit main1(QWidget *parent = nullptr);
    ~main1() override;

    // Start-up and shutdown.
    void Form_Load();
    void Form_Unload();
    void eexit_Click();

    // Folder browser.
    void Drive1_Change();
    void Dir1_Change();
    void Dir1_MouseDown(const QPoint &globalPos);
    void File1_MouseUp(const QPoint &globalPos);
    void Label1_MouseUp(const QPoint &globalPos);
    void Label11_Click();
    void Command12_Click();
    void Command13_Click();
    void kousin_Click();
    void dirnchg_Click();
    void file1rmusup_Click();
    // Puts the drive pane on the volume that holds path; false when none does.
    bool setDrive(const QString &path);
    QString drive() const;
    // The folder the drive pane's volume was last left in.
    QString driveDir(const QString &volumeRoot) const;

    // Adding photos.
    void allselec();
    void Command2_MouseUp(Qt::KeyboardModifiers modifiers);
    void Command3_MouseUp(Qt::KeyboardModifiers modifiers);

    // Caption entry and list editing.
    void List1_Click();
    void list1sen();
    void Command7_Click();
    void List1_MouseUp(const QPoint &globalPos);
    void list1del_Click();
    void zenclr_Click();

    // Generation. makehtml returns why the page could not be written, or
    // nothing when it was written or refused.
    QString makehtml(const QString &aaa, int bbb);
    void makemoto();
    void Command4_Click();
    void Command8_Click();
    void Command10_Click();
    void Command11_Click();

    // Project files.
    void fsave_Click();
    void fload_Click();

    // File tools.
    void Command9_Click();
    void Command6_Click();
    void Command5_Click();

    // Browser preview.
    void File1_DblClick();
    void Image1_DblClick();
    void Label16_DblClick();
    void Label25_DblClick();

    // Help and about.
    void easykotu_Click();
    void syoukotu_Click();
    void jyouhou_Click();

    // Controls, under the names the rest of the program knows them by.
    QLabel *Label3, *Label19, *Label2, *Label8, *Label10, *Label7, *Label6, *Label4, *Label5, *Label9, *Label22,
        *Label14;
    ClickLabel *Label1, *Label11, *Label16, *Label25, *Image1;
    QLineEdit *Text6, *Text5, *Text2, *Text3, *Text9, *Text4;
    QPlainTextEdit *Text1;
    QGroupBox *Frame1, *Frame3, *Frame4;
    QRadioButton *Option1, *Option2, *Option3, *Option4, *Option5, *Option6, *Option7, *Option8, *Option9;
    QComboBox *Drive1, *Combo1;
    DirList *Dir1;
    FileList *File1;
    QPushButton *Command12, *Command13, *Command7, *Command5, *Command6, *Command9, *Command10, *Command11,
        *Command4;
    CaptionButton *Command8;
    ReleaseButton *Command2, *Command3;
    QCheckBox *Check3, *Check2, *Check1, *Check4;
    QListWidget *List1, *List2, *List3;
    QMenu *file, *about, *listrclk, *r1clk, *dir1clk, *rclkkijyu;
    QAction *fsave, *fload, *eexit, *easykotu, *syoukotu, *jyouhou, *list1del, *zenclr, *list1can, *file1rmusup,
        *kousin, *dirnchg, *clpchgdir, *dir1clkn, *rclkdir;

    // The secondary windows, while they are open.
    QPointer<QWidget> renameScreen;
    QPointer<QWidget> manual;
    QPointer<QWidget> aboutBox;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    void buildMenus();
    void connectBrowser();
    void connectPhotos();
    void connectCaptions();
    void connectGeneration();
    // makehtml without the refresh of the file pane, which a run of many
    // pages does once at its end; photoNames are the album's file names.
    QString writePage(const QString &aaa, int bbb, const QSet<QString> &photoNames);
    void connectProject();
    void connectFileTools();
    void connectPreview();
    void connectHelp();

    // Each volume's current folder, as a drive letter system keeps one per drive.
    std::map<QString, QString> driveDirs_;
};
