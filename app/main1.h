// The main window: its controls come from Ui_main1, the album lives in them,
// and this class is the list of what the window does. Each group of handlers
// is defined in the file named above it.
#pragma once

#include "album/history.h"
#include "album/recovery.h"
#include "app/ui_main1.h"

#include <QMainWindow>
#include <QPersistentModelIndex>
#include <QPointer>

#include <map>
#include <memory>

class QKeyEvent;
class Previewer;

namespace engine {
struct Options;
}
namespace publish {
struct Job;
struct Prepared;
}

class main1 : public QMainWindow, public Ui_main1
{
    Q_OBJECT
public:
    explicit main1(QWidget *parent = nullptr);
    ~main1() override;

    // Start-up and shutdown, and the Enter moves: app/main1.cpp
    void Form_Load();
    void Form_Unload();
    void eexit_Click();
    // A key handler returns true when it took the key.
    bool Text1_KeyDown(QKeyEvent *event);
    bool Text2_KeyDown(QKeyEvent *event);

    // Folder browser: app/browser.cpp
    void Drive1_Change();
    void Dir1_Change();
    void Dir1_MouseDown(const QPoint &globalPos);
    void File1_MouseUp(const QPoint &globalPos);
    void Label1_MouseUp(const QPoint &globalPos);
    bool Dir1_KeyDown(QKeyEvent *event);
    bool File1_KeyDown(QKeyEvent *event);
    bool Label1_KeyDown(QKeyEvent *event);
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
    // Appends the photos among names as 選択ファイル does (any file with
    // Shift alone); returns those appended.
    QStringList addPhotos(const QStringList &names, Qt::KeyboardModifiers modifiers);

    // Caption entry and list editing: album/captions.cpp
    void List1_Click();
    void list1sen();
    void Command7_Click();
    void List1_MouseUp(const QPoint &globalPos);
    bool List1_KeyDown(QKeyEvent *event);
    void list1del_Click();
    void zenclr_Click();
    // Stores the caption typed for an entry in it when it differs from the
    // one registered, before anything takes the entry out of the caption
    // box: a step of the list's history; the selection and the focus stay.
    void keepTyping();

    // Arranging the photo list: album/arrangelist.cpp
    // The entry at from dragged to just before the entry at insertAt.
    void List1_DragDrop(int from, int insertAt);
    // Files dropped from a file manager, by full path.
    void List1_OLEDragDrop(const QStringList &paths, Qt::KeyboardModifiers modifiers);
    void sortdate_Click();
    void sortname_Click();

    // Generation: html/generation.cpp
    void makemoto();
    void Command4_Click();
    void Command8_Click();
    void Command10_Click();
    void Command11_Click();

    // The safety copy of the album: album/safety.cpp
    void frestore_Click();

    // Project files: project/projectio.cpp
    void fsave_Click();
    void fload_Click();
    // The whole of a load but the dialog: the file at path replaces the
    // album, with every message ファイル読込 shows. A file that is no project
    // file leaves the album as it was; returns whether the album was loaded.
    bool loadProject(const QString &path);

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

    // The 設定 menu: web/websettings.cpp
    void webphoto_Click();
    void websize_Click(QAction *chosen);
    void pagestyle_Click(QAction *chosen);
    void linkorig_Click();
    void webremake_Click();

    // The 公開 menu: publish/koukai.cpp
    void pubsite_Click();
    void pubpreview_Click();
    void publish_Click();
    void pubresend_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Each group's handlers are connected to their controls in their own file.
    void connectBrowser();
    void connectPhotos();
    void connectCaptions();
    void connectArranging();
    void connectGeneration();
    void connectProject();
    void connectFileTools();
    void connectPreview();
    void connectHelp();
    void connectSettings();
    void connectPublishing();
    // Writes the pages as 詳細 html 作成 does and plans what to send; false
    // (the user told why) when there is nothing that may go up.
    bool preparePublishing(bool resendAll, publish::Job &job, publish::Prepared &prepared);
    // Sends the plan, asking for the password and about a server met for the
    // first time, and ends with the album's address.
    void sendAlbum(const publish::Job &job, const publish::Prepared &prepared, bool removeStale);
    void connectSafetyCopy();
    // The album as the safety copy keeps it: a caption typed but not yet
    // registered counts, so that it is not lost either.
    recovery::State safetyState() const;
    // Puts album in place of the one shown, as a load does: a history of its
    // own, then the notices, the photos missing from the folder and
    // "読込み完了" told.
    void openAlbum(const album::Album &album, const QStringList &notices);
    // What generation makes besides the pages, as the 設定 menu says.
    engine::Options generationOptions() const;
    // Changes the photo list by edit, the selection staying on its entry,
    // and keeps the step for undo; perform leaves the history alone.
    void arrange(const history::Edit &edit);
    // Alt+Up/Down move the selected entry, Ctrl+Z and Ctrl+Shift+Z undo and
    // redo: List1_KeyDown asks here first. False for any other key.
    bool arrangeByKey(const QKeyEvent *event);
    // Ctrl+Z and Ctrl+Shift+Z in the caption box reach the list's history
    // once the box has nothing of its own left to undo or redo: Text1_KeyDown
    // asks here first.
    bool undoInCaption(const QKeyEvent *event);
    void perform(const history::Edit &edit);
    // Performs an undone or redone step.
    void replay(const std::optional<history::Edit> &edit);
    QString drive() const;
    // The folder the drive pane's volume was last left in.
    QString driveDir(const QString &volumeRoot) const;

    // The secondary windows, while they are open.
    QPointer<QWidget> renameScreen;
    QPointer<QWidget> manual;
    QPointer<QWidget> aboutBox;
    // Each volume's current folder, as a drive letter system keeps one per drive.
    std::map<QString, QString> driveDirs_;
    // The changes of the photo list that can be undone; registering photos
    // or loading an album starts it anew.
    history::History list1history_;
    bool arranging_ = false;
    std::unique_ptr<recovery::Keeper> safetyCopy_;
    // The entry of the photo list the caption box was last filled or typed
    // for, followed through every change of the list.
    QPersistentModelIndex captionEntry_;
    // Decodes the pictures Image1 shows, off the event loop.
    Previewer *previewer_ = nullptr;
};
