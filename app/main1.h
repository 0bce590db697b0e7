// The main window: its controls come from Ui_main1, the album lives in them,
// and this class is the list of what the window does. Each group of handlers
// is defined in the file named above it.
#pragma once

#include "app/ui_main1.h"

#include <QMainWindow>
#include <QPointer>

#include <map>

class main1 : public QMainWindow, public Ui_main1
{
    Q_OBJECT
public:
    explicit main1(QWidget *parent = nullptr);
    ~main1() override;

    // Start-up and shutdown: app/main1.cpp
    void Form_Load();
    void Form_Unload();
    void eexit_Click();

    // Folder browser: app/browser.cpp
    void Drive1_Change();
    void Dir1_Change();
    void Dir1_MouseDown(const QPoint &globalPos);
    void File1_MouseUp(const QPoint &globalPos);
    void Label1_MouseUp(const QPoint &globalPos);
    void Label11_Click();
    void Command12_Click();
    void Command13_Click();
    void kousin_Click();
    void file1rmusup_Click();
    // Puts the drive pane on the volume that holds path; false when none does.
    bool setDrive(const QString &path);
    // Fills the drive pane with the volumes mounted now.
    void readDrives();

    // Adding photos: album/adding.cpp
    void allselec();
    void Command2_MouseUp(Qt::KeyboardModifiers modifiers);
    void Command3_MouseUp(Qt::KeyboardModifiers modifiers);

    // Caption entry and list editing: album/captions.cpp
    void List1_Click();
    void list1sen();
    void Command7_Click();
    void List1_MouseUp(const QPoint &globalPos);
    void list1del_Click();
    void zenclr_Click();

    // Generation: html/generation.cpp
    void makemoto();
    void Command4_Click();
    void Command8_Click();
    void Command10_Click();
    void Command11_Click();

    // Project files: project/projectio.cpp
    void fsave_Click();
    void fload_Click();

    // File tools: fileops/filetools.cpp
    void Command9_Click();
    void Command6_Click();
    void Command5_Click();

    // Directory rename screen: screens/rclk.cpp
    void dirnchg_Click();

    // Browser preview: screens/browse.cpp
    void File1_DblClick();
    void Image1_DblClick();
    void Label16_DblClick();
    void Label25_DblClick();

    // Help and about: screens/helpmenu.cpp
    void easykotu_Click();
    void syoukotu_Click();
    void jyouhou_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Each group's handlers are connected to their controls in their own file.
    void connectBrowser();
    void connectPhotos();
    void connectCaptions();
    void connectGeneration();
    void connectProject();
    void connectFileTools();
    void connectPreview();
    void connectHelp();
    QString drive() const;
    // The folder the drive pane's volume was last left in.
    QString driveDir(const QString &volumeRoot) const;

    // The secondary windows, while they are open.
    QPointer<QWidget> renameScreen;
    QPointer<QWidget> manual;
    QPointer<QWidget> aboutBox;
    // Each volume's current folder, as a drive letter system keeps one per drive.
    std::map<QString, QString> driveDirs_;
};
