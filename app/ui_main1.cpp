#include "app/ui_main1.h"

#include "app/panes.h"
#include "html/about.h"
#include "web/edges.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

namespace {

QFont face(const char *family, bool bold = false, int pixels = 11)
{
    QFont f{QString::fromLatin1(family)};
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QFont gothic(bool bold = false, int pixels = 11)
{
    return face("Noto Sans CJK JP", bold, pixels);
}

QFont mincho()
{
    return face("Noto Serif CJK JP");
}

void paint(QWidget *w, QPalette::ColorRole role, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(role, colour);
    w->setPalette(p);
}

void paintBackground(QWidget *w, const QColor &colour)
{
    w->setAutoFillBackground(true);
    paint(w, QPalette::Window, colour);
    paint(w, QPalette::Base, colour);
}

void heading(QWidget *w)
{
    w->setFont(gothic(true));
    paint(w, QPalette::WindowText, Qt::red);
}

const QColor lightYellow(255, 255, 192);

} // namespace

void Ui_main1::setupUi(QMainWindow *main1)
{
    main1->setObjectName(QStringLiteral("main1"));
    main1->setWindowTitle(QStringLiteral("Ｋａｍｅｒｉｏ"));
    main1->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    main1->setFont(gothic());
    setupLayout(main1);
    setupMenus(main1);
}

void Ui_main1::setupLayout(QMainWindow *main1)
{
    auto *client = new QWidget(main1);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(px(10905), px(8250));
    main1->setCentralWidget(client);
    QWidget *c = client;

    Dir1 = placed<DirList>(c, "Dir1", 120, 2640, 2295, 3870);
    paintBackground(Dir1, lightYellow);

    // Top band.
    Label3 = placed<QLabel>(c, "Label3", 120, 60, 3255, 375, QStringLiteral("簡単・写真ＨＰ作成"));
    Label3->setFont(face("Noto Serif CJK JP", true));
    paint(Label3, QPalette::WindowText, Qt::red);
    {
        QFont f = Label3->font();
        f.setPixelSize(18);
        Label3->setFont(f);
    }
    Label19 = placed<QLabel>(c, "Label19", 5520, 165, 1575, 255, QStringLiteral("トップのタイトル名"));
    Text6 = placed<QLineEdit>(c, "Text6", 7080, 120, 3735, 270, QStringLiteral("ここにタイトル！"));
    auto *line2 = placed<QFrame>(c, "Line2", 120, 472, 10680, 30);
    line2->setFrameShape(QFrame::HLine);
    Label2 = placed<QLabel>(c, "Label2", 120, 645, 2055, 255, QStringLiteral("基準パソコンディレクトリ"));
    Label1 = placed<ClickLabel>(c, "Label1", 2160, 600, 8655, 255);
    // A folder is shown by its name, even one that looks like markup.
    Label1->setTextFormat(Qt::PlainText);
    Label1->setFrameStyle(QFrame::Box | QFrame::Plain);
    // Reached by Tab, so that its pop-up menu opens from the keyboard too.
    Label1->setFocusPolicy(Qt::TabFocus);
    paintBackground(Label1, lightYellow);
    auto *line1 = placed<QFrame>(c, "Line1", 120, 952, 10680, 30);
    line1->setFrameShape(QFrame::HLine);

    // Background choice.
    Frame3 = placed<QGroupBox>(c, "Frame3", 120, 1080, 10695, 1095, QStringLiteral("ＨＰ色（背景）指定"));
    struct Choice
    {
        QRadioButton **button;
        const char *name;
        const char *caption;
        int left, top;
        QColor colour;
    };
    const Choice choices[] = {
        {&Option1, "Option1", "背景色なし", 120, 240, QColor()},
        {&Option2, "Option2", "そらいろ", 1440, 240, QColor(128, 255, 255)},
        {&Option3, "Option3", "きいろ", 2760, 240, QColor(255, 255, 128)},
        {&Option4, "Option4", "オレンジ", 4080, 240, QColor(255, 192, 128)},
        {&Option5, "Option5", "みどり", 5400, 240, QColor(128, 255, 128)},
        {&Option6, "Option6", "あいいろ", 6720, 240, QColor(192, 192, 255)},
        {&Option7, "Option7", "ピンク", 8040, 240, QColor(255, 192, 192)},
        {&Option8, "Option8", "むらさき", 9360, 240, QColor(255, 192, 255)},
        {&Option9, "Option9", "ﾌｧｲﾙ指定", 120, 540, QColor()},
    };
    for (const Choice &ch : choices) {
        *ch.button = placed<QRadioButton>(Frame3, ch.name, ch.left, ch.top, 1215, 255, QString::fromUtf8(ch.caption));
        // A button fills its background in the Button role; the round mark stays white.
        if (ch.colour.isValid()) {
            (*ch.button)->setAutoFillBackground(true);
            paint(*ch.button, QPalette::Button, ch.colour);
        }
    }
    Option1->setChecked(true);
    Text5 = placed<QLineEdit>(Frame3, "Text5", 1440, 520, 9135, 270, QStringLiteral("http://"));
    Label16 = placed<ClickLabel>(
        Frame3, "Label16", 1440, 840, 5895, 255, QStringLiteral("例　：　") + about::exampleBackground);

    // Folder browser.
    Drive1 = placed<DriveList>(c, "Drive1", 120, 2280, 3975, 300);
    File1 = placed<FileList>(c, "File1", 2520, 2640, 1575, 3345);
    File1->setFont(mincho());
    paintBackground(File1, lightYellow);
    Command12 = placed<QPushButton>(c, "Command12", 120, 6600, 1095, 255, QStringLiteral("ﾃﾞｽｸﾄｯﾌﾟ"));
    Command13 = placed<QPushButton>(c, "Command13", 1320, 6600, 1095, 255, QStringLiteral("ｴｸｽﾌﾟﾛｰﾗ"));
    Check3 = placed<QCheckBox>(c, "Check3", 120, 6960, 2535, 375, QStringLiteral("ﾃﾞｨﾚｸﾄﾘ移動時に写真ﾘｽﾄ削除"));
    Check3->setChecked(true);

    // Photo list.
    Frame1 = placed<QGroupBox>(c, "Frame1", 4200, 2280, 2055, 1335, QStringLiteral("リスト登録"));
    heading(Frame1);
    Command2 = placed<ReleaseButton>(Frame1, "Command2", 120, 240, 1815, 255, QStringLiteral("全ﾌｧｲﾙ選択"));
    Command3 = placed<ReleaseButton>(Frame1, "Command3", 120, 600, 1815, 255, QStringLiteral("選択ファイル"));
    Command7 = placed<QPushButton>(Frame1, "Command7", 120, 960, 1815, 255, QStringLiteral("説明文登録"));
    for (QWidget *w :
        {static_cast<QWidget *>(Command2), static_cast<QWidget *>(Command3), static_cast<QWidget *>(Command7)})
        w->setFont(gothic());
    Command5 = placed<QPushButton>(c, "Command5", 4320, 3720, 1815, 255, QStringLiteral("写真ﾘｽﾄﾌｧｲﾙｺﾋﾟｰ"));
    Label8 = placed<QLabel>(c, "Label8", 4200, 4080, 1095, 255, QStringLiteral("写真リスト："));
    heading(Label8);
    Label11 = placed<ClickLabel>(c, "Label11", 5600, 4080, 375, 200);
    Label11->setFrameStyle(QFrame::Box | QFrame::Plain);
    Label11->setAlignment(Qt::AlignCenter);
    Label10 = placed<QLabel>(c, "Label10", 6000, 4080, 255, 255, QStringLiteral("枚"));
    Label7 = placed<QLabel>(
        c, "Label7", 4200, 4320, 1935, 495, QStringLiteral("左ファイルを選択して､上記ボタンで下記に登録"));
    Label7->setWordWrap(true);
    // List1 covers the lower part of this place: the two lines must fit above it.
    Label7->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label7->setFont(gothic(false, 9));
    List1 = placed<QListWidget>(c, "List1", 4200, 4740, 2055, 1470);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setItemDelegate(new MeasuredOnce(List1));
    paintBackground(List1, lightYellow);
    Label6 = placed<QLabel>(c, "Label6", 4320, 6360, 1935, 255, QStringLiteral("右ｸﾘｯｸにて選択削除可"));
    Label6->setFrameStyle(QFrame::Box | QFrame::Plain);
    Label6->setAlignment(Qt::AlignCenter);
    paint(Label6, QPalette::WindowText, QColor(0, 0, 128));
    List2 = placed<QListWidget>(c, "List2", 6720, 4800, 975, 570);
    List2->hide();
    List3 = placed<QListWidget>(c, "List3", 6720, 5520, 975, 570);
    List3->hide();

    // Caption and preview.
    Label4 = placed<QLabel>(c, "Label4", 6360, 2280, 1335, 255, QStringLiteral("画像説明文："));
    heading(Label4);
    Label5 = placed<QLabel>(c, "Label5", 6360, 2520, 4455, 615,
        QStringLiteral("写真リストで選択して､１枚ずつ説明を入れて下さい。改行したい時、半角<br>"
                       "を入れて下さい。入力しないときは、ﾌｧｲﾙ名が自動的に入ります。"));
    Label5->setTextFormat(Qt::PlainText);
    Label5->setWordWrap(true);
    Text1 = placed<CaptionEdit>(c, "Text1", 6360, 3120, 4455, 615);
    Image1 = placed<ClickLabel>(c, "Image1", 6360, 3840, 4395, 3300);
    Image1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Image1->setScaledContents(true);

    // File tools.
    Command6 = placed<QPushButton>(c, "Command6", 2520, 6060, 1575, 255, QStringLiteral("ﾌｧｲﾙ名小文字化"));
    Command9 = placed<QPushButton>(c, "Command9", 2520, 6360, 1575, 255, QStringLiteral("ﾌｧｲﾙ名連番改名"));
    Text2 = placed<QLineEdit>(c, "Text2", 2520, 6660, 975, 270);
    Combo1 = placed<QComboBox>(c, "Combo1", 3600, 6640, 495, 300);
    Combo1->setEditable(true);
    Combo1->addItems({QStringLiteral("2"), QStringLiteral("3")});
    Combo1->setEditText(QStringLiteral("2"));
    Label9 = placed<QLabel>(c, "Label9", 2760, 6960, 1335, 255, QStringLiteral("6字入力可　番号"));

    // Page options and generation.
    Check2 = placed<QCheckBox>(c, "Check2", 4200, 6720, 1215, 255, QStringLiteral("横幅指定=>"));
    Text3 = placed<QLineEdit>(c, "Text3", 5520, 6720, 735, 270, QStringLiteral("480"));
    Check1 = placed<QCheckBox>(c, "Check1", 4200, 7080, 855, 255, QStringLiteral("枠有"));
    Command10 = placed<QPushButton>(c, "Command10", 4880, 7080, 635, 255, QStringLiteral("画面用"));
    Command11 = placed<QPushButton>(c, "Command11", 5620, 7080, 635, 255, QStringLiteral("印刷用"));
    Frame4 = placed<QGroupBox>(c, "Frame4", 120, 7320, 6735, 855, QStringLiteral("自分のＨＰ情報"));
    Label22 = placed<QLabel>(Frame4, "Label22", 120, 255, 735, 255, QStringLiteral("戻るＵＲＬ"));
    Text9 = placed<QLineEdit>(Frame4, "Text9", 960, 240, 5655, 270, QStringLiteral("http://"));
    Label25 = placed<ClickLabel>(Frame4, "Label25", 960, 555, 3015, 255, QStringLiteral("例　：　") + about::homePage);
    Label14 = placed<QLabel>(c, "Label14", 6960, 7320, 1815, 255, QStringLiteral("作成ﾌｧｲﾙ名を入れる"));
    Text4 = placed<QLineEdit>(c, "Text4", 6960, 7560, 1815, 270, QStringLiteral("index.html"));
    Text4->setFont(mincho());
    Check4 = placed<QCheckBox>(c, "Check4", 6960, 7920, 1815, 255, QStringLiteral("20個ずつ分割作成"));
    Command8 = placed<CaptionButton>(c, "Command8", 8880, 7200, 1935, 495);
    Command4 = placed<QPushButton>(c, "Command4", 8880, 7800, 1935, 375, QStringLiteral("詳細 html 作成"));
    Command4->setFont(mincho());

    // Enter on a focused button presses it, as the caption workflow and the
    // presets expect.
    for (QPushButton *b : std::initializer_list<QPushButton *>{
             Command12, Command13, Command7, Command5, Command6, Command9, Command10, Command11, Command8, Command4})
        b->setAutoDefault(true);
    // A grey box (set from a stored value) turns into an ordinary one at the
    // user's first click.
    for (QCheckBox *box : {Check1, Check2, Check3, Check4})
        QObject::connect(box, &QCheckBox::clicked, box, [box] {
            if (box->checkState() != Qt::PartiallyChecked)
                box->setTristate(false);
        });

    // The tab order follows the window. The directory pane leads, as the
    // window opens with the focus on it; then the window is read from the
    // top down: the top band, the background, the drive list, and across
    // the middle the panes, the photo list and the caption box side by side,
    // each read from the top down; then the tools and options under them,
    // and the bottom row, round to the directory pane. The nine colour
    // buttons are one stop: Tab reaches the one that is on, the arrow keys
    // move among them.
    QWidget *const tabOrder[] = {
        Dir1, // where the window opens
        Text6, Label1, // the top band
        Option1, Option2, Option3, Option4, Option5, Option6, Option7, Option8, Option9, Text5, // the background
        Drive1, File1, Command2, Command3, Command7, Command5, List1, Text1, // the middle
        Command6, Command9, Command12, Command13, Text2, Combo1, Check3, // under the panes
        Check2, Text3, Check1, Command10, Command11, // under the photo list
        Text9, Text4, Check4, Command8, Command4, // the bottom row
    };
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    fitCaptions(client);
}

void Ui_main1::setupMenus(QMainWindow *main1)
{
    auto item = [main1](QMenu *menu, const char *name, const QString &caption) {
        auto *a = new QAction(caption, main1);
        a->setObjectName(QLatin1String(name));
        menu->addAction(a);
        return a;
    };
    auto popup = [main1](const char *name, const QString &caption) {
        auto *m = new QMenu(caption, main1);
        m->setObjectName(QLatin1String(name));
        return m;
    };

    file = main1->menuBar()->addMenu(QStringLiteral("ファイル"));
    file->setObjectName(QStringLiteral("file"));
    fsave = item(file, "fsave", QStringLiteral("ファイル保存"));
    fload = item(file, "fload", QStringLiteral("ファイル読込"));
    eexit = item(file, "eexit", QStringLiteral("終了"));
    file->addSeparator();
    frestore = item(file, "frestore", QStringLiteral("前回の作業を復元"));
    about = main1->menuBar()->addMenu(QStringLiteral("ソフト情報"));
    about->setObjectName(QStringLiteral("about"));
    easykotu = item(about, "easykotu", QStringLiteral("簡単入力のこつ"));
    syoukotu = item(about, "syoukotu", QStringLiteral("詳細入力のこつ"));
    jyouhou = item(about, "jyouhou", QStringLiteral("ソフト情報"));
    settei = main1->menuBar()->addMenu(QStringLiteral("設定"));
    settei->setObjectName(QStringLiteral("settei"));
    webphoto = item(settei, "webphoto", QStringLiteral("Web用に縮小した写真でページを作る"));
    webphoto->setCheckable(true);
    websize = settei->addMenu(QStringLiteral("縮小写真の長辺"));
    websize->setObjectName(QStringLiteral("websize"));
    auto *edges = new QActionGroup(websize);
    QAction **const sizes[] = {&web1024, &web1600, &web2048, &web2560};
    static_assert(std::size(sizes) == std::size(webcopy::edges));
    for (size_t i = 0; i < std::size(sizes); ++i) {
        const int edge = webcopy::edges[i];
        QAction *size = item(
            websize, QStringLiteral("web%1").arg(edge).toLatin1().constData(), QStringLiteral("%1 ピクセル").arg(edge));
        size->setCheckable(true);
        size->setData(edge);
        size->setChecked(edge == webcopy::defaultEdge);
        edges->addAction(size);
        *sizes[i] = size;
    }
    koukai = main1->menuBar()->addMenu(QStringLiteral("公開"));
    koukai->setObjectName(QStringLiteral("koukai"));
    pubsite = item(koukai, "pubsite", QStringLiteral("公開先の設定…"));
    pubpreview = item(koukai, "pubpreview", QStringLiteral("送るファイルを確認…"));
    koukai->addSeparator();
    publish = item(koukai, "publish", QStringLiteral("公開する"));
    pubresend = item(koukai, "pubresend", QStringLiteral("すべて送り直す"));

    listrclk = popup("listrclk", QStringLiteral("listrclk"));
    list1del = item(listrclk, "list1del", QStringLiteral("リストから削除"));
    zenclr = item(listrclk, "zenclr", QStringLiteral("全リスト削除"));
    listrclk->addSeparator();
    sortdate = item(listrclk, "sortdate", QStringLiteral("撮影日時順に並べ替え"));
    sortname = item(listrclk, "sortname", QStringLiteral("ファイル名順に並べ替え"));
    listrclk->addSeparator();
    list1can = item(listrclk, "list1can", QStringLiteral("キャンセル"));
    r1clk = popup("r1clk", QStringLiteral("r1clk"));
    file1rmusup = item(r1clk, "file1rmusup", QStringLiteral("ファイルリスト更新"));
    dir1clk = popup("dir1clk", QStringLiteral("dir1clk"));
    kousin = item(dir1clk, "kousin", QStringLiteral("最新状態に更新"));
    dirnchg = item(dir1clk, "dirnchg", QStringLiteral("ディレクトリ名変更"));
    clpchgdir = item(dir1clk, "clpchgdir", QStringLiteral("クリップボードのディレクトリに移動"));
    dir1clkn = item(dir1clk, "dir1clkn", QStringLiteral("キャンセル"));
    rclkkijyu = popup("rclkkijyu", QStringLiteral("rclkkijyu"));
    rclkdir = item(rclkkijyu, "rclkdir", QStringLiteral("ﾃﾞｨﾚｸﾄﾘ名を右ｸﾘｯｸにて貼り付け"));

    fsave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    fload->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    // Alt and its letter open a menu of the menu bar as a mnemonic would,
    // while the captions stay as they are, without a "&". A new menu adds
    // its row.
    const std::pair<Qt::Key, QMenu *> menuLetters[] = {
        {Qt::Key_F, file},
        {Qt::Key_H, about},
        {Qt::Key_S, settei},
        {Qt::Key_P, koukai},
    };
    for (const auto &[letter, menu] : menuLetters) {
        auto *key = new QShortcut(QKeySequence(Qt::ALT | letter), main1);
        QObject::connect(key, &QShortcut::activated, main1,
            [main1, menu] { main1->menuBar()->setActiveAction(menu->menuAction()); });
    }
}

std::array<QRadioButton *, 9> Ui_main1::options() const
{
    return {Option1, Option2, Option3, Option4, Option5, Option6, Option7, Option8, Option9};
}

album::Album Ui_main1::album() const
{
    album::Album a;
    a.entries = itemTexts(List1);
    a.title = Text6->text();
    a.pageName = Text4->text();
    a.backLink = Text9->text();
    a.background = 0;
    const auto buttons = options();
    for (int i = 0; i < int(buttons.size()); ++i)
        if (buttons[i]->isChecked()) {
            a.background = i + 1;
            break;
        }
    a.backgroundImage = Text5->text();
    a.border = checkValue(Check1);
    a.widthFlag = checkValue(Check2);
    a.width = Text3->text();
    a.split = checkValue(Check4);
    return a;
}

void Ui_main1::setAlbum(const album::Album &a)
{
    if (itemTexts(List1) != a.entries) {
        const QSignalBlocker quiet(List1);
        List1->clear();
        List1->addItems(a.entries);
    }
    for (auto [box, text] : {std::pair{Text6, &a.title}, {Text4, &a.pageName}, {Text9, &a.backLink},
             {Text5, &a.backgroundImage}, {Text3, &a.width}})
        if (box->text() != *text)
            box->setText(*text);
    if (a.background >= 1 && a.background <= 9)
        options()[a.background - 1]->setChecked(true);
    for (auto [box, value] : {std::pair{Check1, a.border}, {Check2, a.widthFlag}, {Check4, a.split}})
        if (checkValue(box) != value)
            setCheckValue(box, value);
}
