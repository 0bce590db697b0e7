#include "screens/browse.h"

#include "app/dirs.h"
#include "app/main1.h"
#include "app/messagebox.h"
#include "app/opener.h"
#include "app/panes.h"
#include "fileops/fsname.h"
#include "html/about.h"
#include "screens/browselogic.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRadioButton>

namespace browse {

bool open(QWidget *parent, const QUrl &url)
{
    // The browser may give up after the window that asked has closed.
    const QPointer<QWidget> owner(parent);
    const QString where = url.isLocalFile() ? url.toLocalFile() : url.toString();
    const opener::Failed failed = [owner, where] {
        messagebox::show(owner, QStringLiteral("ブラウザを起動できませんでした。\n") + where);
    };
    return opener::open(url, failed);
}

} // namespace browse

void main1::File1_DblClick()
{
    const QListWidgetItem *current = File1->currentItem();
    const QString p = fsname::join(Dir1->path(), current ? current->text() : QString());
    if (!browselogic::isPage(p))
        return;
    browse::open(this, browselogic::fileUrl(p));
}

void main1::Image1_DblClick()
{
    if (dirs::imgpath.isEmpty())
        return;
    browse::open(this, browselogic::fileUrl(dirs::imgpath));
}

void main1::Label16_DblClick()
{
    Text5->setText(about::exampleBackground);
    Option9->setChecked(true);
}

void main1::Label25_DblClick()
{
    Text9->setText(about::homePage);
}

void main1::connectPreview()
{
    connect(File1, &QListWidget::itemDoubleClicked, this, &main1::File1_DblClick);
    connect(Image1, &ClickLabel::doubleClicked, this, &main1::Image1_DblClick);
    connect(Label16, &ClickLabel::doubleClicked, this, &main1::Label16_DblClick);
    connect(Label25, &ClickLabel::doubleClicked, this, &main1::Label25_DblClick);
}
