// The folder browser: drive, directory and file panes kept in step with
// Label1, the current directory and the photo list.
#include "app/dirs.h"
#include "app/main1.h"
#include "app/messagebox.h"
#include "app/opener.h"
#include "app/panes.h"
#include "fileops/fsname.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QStorageInfo>
#include <QUrl>

namespace {

bool isUnder(const QString &path, const QString &root)
{
    return root == QLatin1String("/") || path == root || path.startsWith(root + u'/');
}

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

} // namespace

void main1::connectBrowser()
{
    connect(Drive1, &QComboBox::currentIndexChanged, this, &main1::Drive1_Change);
    connect(Dir1, &DirList::pathChanged, this, &main1::Dir1_Change);
    connect(Dir1, &DirList::rightPressed, this, &main1::Dir1_MouseDown);
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

bool main1::setDrive(const QString &path)
{
    // Re-read the volumes: a card may have been inserted or removed.
    const QString shown = drive();
    {
        const QSignalBlocker quiet(Drive1);
        Drive1->clear();
        for (const QStorageInfo &v : readyVolumes()) {
            const QString name = v.displayName();
            Drive1->addItem(name == v.rootPath() ? name : QStringLiteral("%1  [%2]").arg(v.rootPath(), name),
                            v.rootPath());
        }
        Drive1->setCurrentIndex(Drive1->findData(shown));
    }
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < Drive1->count(); ++i) {
        const QString root = Drive1->itemData(i).toString();
        if (isUnder(path, root) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best < 0)
        return false;
    Drive1->setCurrentIndex(best);
    return true;
}

void main1::Drive1_Change()
{
    const QString root = drive();
    if (root.isEmpty())
        return;
    if (Dir1->changeTo(driveDir(root)) || Dir1->changeTo(root))
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
        const QSignalBlocker quiet(List1);
        List1->clear();
        Image1->clear();
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
    Label11->setText(QString::number(List1->count()));
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
    if (!opener::open(QUrl::fromLocalFile(Dir1->path())))
        messagebox::show(this, QStringLiteral("ファイルマネージャを起動できませんでした。"));
}

void main1::kousin_Click()
{
    Dir1->refresh();
}

void main1::file1rmusup_Click()
{
    File1->refresh();
}
