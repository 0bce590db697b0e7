// The folder browser: drive, directory and file panes kept in step with
// Label1, the current directory and the photo list.
#include "app/dirs.h"
#include "app/main1.h"
#include "app/messagebox.h"
#include "app/opener.h"
#include "app/panes.h"
#include "fileops/fsname.h"
#include "fileops/safefile.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QStorageInfo>
#include <QUrl>

#include <cerrno>

namespace {

// The mounted volumes that can be read, as the drive pane lists them.
QList<QStorageInfo> readyVolumes()
{
    QList<QStorageInfo> out;
    for (const QStorageInfo &v : QStorageInfo::mountedVolumes())
        if (v.isValid() && v.isReady())
            out.append(v);
    std::sort(out.begin(), out.end(), [](const QStorageInfo &a, const QStorageInfo &b) {
        return a.rootPath() < b.rootPath();
    });
    return out;
}

QString caption(const QStorageInfo &volume)
{
    const QString name = volume.displayName();
    return name == volume.rootPath() ? name : QStringLiteral("%1  [%2]").arg(volume.rootPath(), name);
}

// The volume that holds path; for a path that does not exist, the one that
// holds its nearest existing parent.
QStorageInfo volumeOf(QString path)
{
    QStorageInfo volume(path);
    while (!volume.isValid() && path.size() > 1) {
        path = dirs::parentdir(path);
        volume.setPath(path);
    }
    return volume;
}

// True while root is still the root of a mounted volume that can be read.
bool mounted(const QString &root)
{
    const QStorageInfo volume(root);
    return volume.isValid() && volume.isReady() && volume.rootPath() == root;
}

// Why a folder could not be entered (an errno value), in the program's words.
QString notEntered(const QString &folder, int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: return QStringLiteral("フォルダ %1 はありません。").arg(folder);
    case EACCES:
    case EPERM: return QStringLiteral("フォルダ %1 を開く権限がありません。").arg(folder);
    default: return QStringLiteral("フォルダ %1 を開けません（%2）。").arg(folder, safefile::reason(error));
    }
}

} // namespace

void main1::connectBrowser()
{
    connect(Drive1, &QComboBox::currentIndexChanged, this, &main1::Drive1_Change);
    connect(Drive1, &DriveList::volumesWanted, this, &main1::readDrives);
    connect(Dir1, &DirList::pathChanged, this, &main1::Dir1_Change);
    // The album, with what is typed registered, is kept as it stood in its
    // folder before the panes move on, as 最新状態に更新 moves them, to the
    // nearest folder still there.
    connect(Dir1, &DirList::vanished, this, [this] {
        keepTyping();
        safetyCopy_->flush();
        kousin_Click();
    });
    connect(Dir1, &DirList::rightPressed, this, &main1::Dir1_MouseDown);
    connect(Dir1, &DirList::refused, this,
        [this](const QString &folder, int error) { messagebox::show(this, notEntered(folder, error)); });
    connect(File1, &FileList::rightReleased, this, &main1::File1_MouseUp);
    connect(Label1, &ClickLabel::released, this, [this](Qt::MouseButton, const QPoint &pos) { Label1_MouseUp(pos); });
    connect(Label11, &ClickLabel::released, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            Label11_Click();
    });
    connect(Command12, &QPushButton::clicked, this, &main1::Command12_Click);
    connect(Command13, &QPushButton::clicked, this, &main1::Command13_Click);
    connect(kousin, &QAction::triggered, this, &main1::kousin_Click);
    connect(dirnchg, &QAction::triggered, this, &main1::dirnchg_Click);
    connect(clpchgdir, &QAction::triggered, this, [this] { dirs::clipchdir(*this); });
    connect(rclkdir, &QAction::triggered, this, [this] { dirs::clipchdir(*this); });
    connect(file1rmusup, &QAction::triggered, this, &main1::file1rmusup_Click);
}

QString main1::drive() const
{
    return Drive1->currentData().toString();
}

QString main1::driveDir(const QString &volumeRoot) const
{
    const auto it = driveDirs_.find(volumeRoot);
    return it == driveDirs_.end() ? volumeRoot : it->second;
}

void main1::readDrives()
{
    const QSignalBlocker quiet(Drive1);
    Drive1->clear();
    for (const QStorageInfo &v : readyVolumes())
        Drive1->addItem(caption(v), v.rootPath());
    setDrive(Dir1->path());
}

bool main1::setDrive(const QString &path)
{
    // Only this volume is looked at: the whole list is read when it opens.
    const QStorageInfo volume = volumeOf(path);
    if (!volume.isValid() || !volume.isReady())
        return false;
    const QString root = volume.rootPath();
    if (Drive1->findData(root) < 0) {
        const QSignalBlocker quiet(Drive1);
        int at = 0;
        while (at < Drive1->count() && Drive1->itemData(at).toString() < root)
            ++at;
        Drive1->insertItem(at, caption(volume), root);
    }
    Drive1->setCurrentIndex(Drive1->findData(root));
    return true;
}

void main1::Drive1_Change()
{
    const QString root = drive();
    if (root.isEmpty())
        return;
    // A card taken out since the list was read leaves a bare folder behind.
    if (mounted(root) && (Dir1->changeTo(driveDir(root)) || Dir1->changeTo(root)))
        return;
    // The volume cannot be read: the panes stay on the last good folder.
    {
        const QSignalBlocker quiet(Drive1);
        setDrive(Dir1->path());
    }
    messagebox::show(this, QStringLiteral("ドライブ %1 を読み込めません。").arg(root));
}

void main1::Dir1_Change()
{
    const QString path = Dir1->path();
    File1->setPath(path);
    {
        // A folder reached through the directory pane may lie on another volume.
        const QSignalBlocker quiet(Drive1);
        setDrive(path);
    }
    driveDirs_[drive()] = path;
    fsname::setCurrentDir(path);
    Label1->setText(path);
    if (checkValue(Check3) == 1) {
        keepTyping();
        const QSignalBlocker quiet(List1);
        List1->clear();
    }
    Label11_Click();
}

void main1::Dir1_MouseDown(const QPoint &globalPos)
{
    dir1clk->exec(globalPos);
}

void main1::File1_MouseUp(const QPoint &globalPos)
{
    r1clk->exec(globalPos);
}

void main1::Label1_MouseUp(const QPoint &globalPos)
{
    rclkkijyu->exec(globalPos);
}

bool main1::Dir1_KeyDown(QKeyEvent *event)
{
    if (!isMenuKey(event))
        return false;
    Dir1_MouseDown(menuPoint(Dir1));
    return true;
}

bool main1::File1_KeyDown(QKeyEvent *event)
{
    if (!isMenuKey(event))
        return false;
    File1_MouseUp(menuPoint(File1));
    return true;
}

bool main1::Label1_KeyDown(QKeyEvent *event)
{
    if (!isMenuKey(event))
        return false;
    Label1_MouseUp(menuPoint(Label1));
    return true;
}

void main1::Label11_Click()
{
    const QString count = QString::number(List1->count());
    if (Label11->text() == count)
        return;
    Label11->setText(count);
    // Five digits do not fit the count's place at the window's size of letters.
    fitCaption(Label11, Label11->parentWidget()->font(), true);
}

void main1::Command12_Click()
{
    const QString d = dirs::desktopdir();
    if (d.isEmpty()) {
        messagebox::show(this, QStringLiteral("デスクトップのフォルダが見つかりません。"));
        return;
    }
    fsname::setCurrentDir(d);
    setDrive(d);
    Dir1->changeTo(d);
}

void main1::Command13_Click()
{
    const QPointer<main1> self(this);
    const opener::Failed failed = [self] {
        messagebox::show(self, QStringLiteral("ファイルマネージャを起動できませんでした。"));
    };
    opener::open(QUrl::fromLocalFile(Dir1->path()), failed);
}

void main1::kousin_Click()
{
    const QString shown = Dir1->path();
    int error = 0;
    if (Dir1->changeTo(shown, &error))
        return;
    // The folder went away meanwhile: the nearest parent that is still there.
    QString parent = shown;
    do
        parent = dirs::parentdir(parent);
    while (!Dir1->changeTo(parent) && parent.size() > 1);
    QString text = notEntered(shown, error);
    if (Dir1->path() != shown)
        text += QStringLiteral("\n%1 に移りました。").arg(Dir1->path());
    messagebox::show(this, text);
}

void main1::file1rmusup_Click()
{
    File1->refresh();
}
