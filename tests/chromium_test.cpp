// The pages the program writes, opened in a real browser: what a visitor of
// the album would see.
#include "testkit.h"

#include "album/photoentry.h"
#include "app/main1.h"
#include "app/panes.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <map>

namespace {

const QString chromium = QStringLiteral("/usr/bin/chromium");

// Loads each page in a frame and writes what the browser made of it into
// the wrapper's own document, which --dump-dom then prints.
const char checkPage[] = R"js(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>check</title></head>
<body><pre id="result">pending</pre>
<script>
var pages = [PAGES];
var results = {};
var left = pages.length;
function done() {
  if (--left === 0)
    document.getElementById('result').textContent = JSON.stringify(results);
}
pages.forEach(function (name) {
  var frame = document.createElement('iframe');
  frame.onload = function () {
    try {
      var doc = frame.contentDocument;
      var style = getComputedStyle(doc.body);
      var r = {title: doc.title, color: style.backgroundColor, image: style.backgroundImage, cells: []};
      for (const img of doc.images) {
        const cell = {src: img.getAttribute('src'), width: img.naturalWidth, height: img.naturalHeight,
                      text: img.closest('td').textContent.trim()};
        r.cells.push(cell);
        const link = img.closest('a');
        if (!link)
          continue;
        // What the link opens, loaded as the picture it should be.
        cell.href = link.getAttribute('href');
        const target = new Image();
        ++left;
        target.onload = target.onerror = function () { cell.targetWidth = target.naturalWidth; done(); };
        target.src = link.href;
      }
      results[name] = r;
      var m = /^url\("(.*)"\)$/.exec(style.backgroundImage);
      if (!m) { done(); return; }
      var bg = new Image();
      bg.onload = bg.onerror = function () { r.imageWidth = bg.naturalWidth; done(); };
      bg.src = m[1];
    } catch (e) {
      results[name] = {error: String(e)};
      done();
    }
  };
  frame.src = name;
  document.body.appendChild(frame);
});
</script></body></html>
)js";

// What headless Chromium reports about the pages of folder.
QJsonObject browse(const QString &folder, const QStringList &pages)
{
    QStringList quoted;
    for (const QString &p : pages)
        quoted.append(u'\'' + p + u'\'');
    QFile wrapper(folder + QStringLiteral("/check.html"));
    if (!wrapper.open(QIODevice::WriteOnly))
        return {};
    wrapper.write(QByteArray(checkPage).replace("PAGES", quoted.join(u',').toUtf8()));
    wrapper.close();

    QTemporaryDir profile;
    QProcess browser;
    browser.start(chromium, {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                             QStringLiteral("--disable-gpu"), QStringLiteral("--disable-quic"),
                             QStringLiteral("--no-first-run"), QStringLiteral("--disable-background-networking"),
                             QStringLiteral("--disable-component-update"), QStringLiteral("--disable-sync"),
                             QStringLiteral("--user-data-dir=") + profile.path(),
                             QStringLiteral("--allow-file-access-from-files"),
                             QStringLiteral("--virtual-time-budget=5000"), QStringLiteral("--dump-dom"),
                             QUrl::fromLocalFile(wrapper.fileName()).toString()});
    if (!browser.waitForFinished(90000)) {
        browser.kill();
        browser.waitForFinished();
        ADD_FAILURE() << "the browser did not finish";
        return {};
    }
    const QString dom = QString::fromUtf8(browser.readAllStandardOutput());
    const QString open = QStringLiteral("<pre id=\"result\">");
    const qsizetype from = dom.indexOf(open);
    const qsizetype to = dom.indexOf(QStringLiteral("</pre>"), from);
    if (from < 0 || to < 0) {
        ADD_FAILURE() << "no result in the browser's output:\n" << dom.toStdString()
                      << QString::fromUtf8(browser.readAllStandardError()).toStdString();
        return {};
    }
    QString json = dom.mid(from + open.size(), to - from - open.size());
    json.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&nbsp;"), QString(QChar(0xA0)))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    const QJsonDocument doc = QJsonDocument::fromJson(json.toUtf8());
    EXPECT_TRUE(doc.isObject()) << json.toStdString();
    return doc.object();
}

void savePhoto(const QString &path, int width, int height, const QColor &colour)
{
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(colour);
    ASSERT_TRUE(img.save(path, "JPEG")) << path.toStdString();
}

void generate(main1 &w)
{
    testkit::Modals modals;
    w.Command4->click();
    EXPECT_TRUE(modals.texts().contains(QStringLiteral("作成しました。"))) << modals.texts().join(u'|').toStdString();
}

} // namespace

TEST(Browser, PagesShowTitleCaptionsPhotosAndBackground)
{
    if (!QFileInfo::exists(chromium))
        GTEST_SKIP() << "no /usr/bin/chromium, so the pages cannot be opened in a browser";
    testkit::Sandbox box;
    const QString dir = box.folder(QStringLiteral("album"));
    const std::map<QString, int> widths{{QStringLiteral("p1.jpg"), 64}, {QStringLiteral("p2.jpg"), 36},
                                        {QStringLiteral("写真 3.jpg"), 50}};
    for (const auto &[name, width] : widths)
        savePhoto(dir + u'/' + name, width, 40, QColor(200, 120, 40));
    {
        QImage wall(16, 16, QImage::Format_RGB32);
        wall.fill(QColor(240, 230, 200));
        ASSERT_TRUE(wall.save(dir + QStringLiteral("/kabe.png")));
    }
    // Only the first comma separates; a typed <br> breaks the line; a
    // character Shift_JIS lacks still arrives; no caption shows the name.
    const std::map<QString, QString> captions{{QStringLiteral("p1.jpg"), QStringLiteral("清水寺,朝")},
                                              {QStringLiteral("写真 3.jpg"), QStringLiteral("笑顔😀<br>二行目")}};
    const std::map<QString, QString> shown{{QStringLiteral("p1.jpg"), QStringLiteral("清水寺,朝")},
                                           {QStringLiteral("p2.jpg"), QStringLiteral("p2.jpg")},
                                           {QStringLiteral("写真 3.jpg"), QStringLiteral("笑顔😀二行目")}};

    auto w = testkit::window();
    w->show();
    ASSERT_TRUE(w->Dir1->changeTo(dir));
    QTest::mouseClick(w->Command2, Qt::LeftButton);
    ASSERT_EQ(w->List1->count(), 3);
    {
        const QSignalBlocker quiet(w->List1);
        for (int i = 0; i < w->List1->count(); ++i) {
            QListWidgetItem *item = w->List1->item(i);
            const auto c = captions.find(item->text());
            if (c != captions.end())
                item->setText(photoentry::withCaption(item->text(), c->second));
        }
    }
    // 〜 as Linux types it is written as Windows' wave dash, which browsers
    // show as the full-width tilde.
    w->Text6->setText(QStringLiteral("京都の旅〜①"));
    const QString title = QStringLiteral("京都の旅～①");
    w->Option2->setChecked(true);
    generate(*w);
    w->Text4->setText(QStringLiteral("kabe.html"));
    w->Option9->setChecked(true);
    w->Text5->setText(QStringLiteral("kabe.png"));
    generate(*w);

    const QJsonObject seen = browse(dir, {QStringLiteral("index.html"), QStringLiteral("kabe.html")});
    for (const QString &page : {QStringLiteral("index.html"), QStringLiteral("kabe.html")}) {
        SCOPED_TRACE(page.toStdString());
        const QJsonObject r = seen.value(page).toObject();
        ASSERT_FALSE(r.isEmpty());
        EXPECT_EQ(r.value(QStringLiteral("title")).toString(), title);
        const QJsonArray cells = r.value(QStringLiteral("cells")).toArray();
        ASSERT_EQ(cells.size(), w->List1->count());
        for (int i = 0; i < cells.size(); ++i) {
            const QJsonObject cell = cells[i].toObject();
            const QString name = photoentry::fileName(w->List1->item(i)->text());
            EXPECT_EQ(cell.value(QStringLiteral("src")).toString(), QStringLiteral("./") + name);
            EXPECT_EQ(cell.value(QStringLiteral("width")).toInt(), widths.at(name)) << name.toStdString();
            EXPECT_EQ(cell.value(QStringLiteral("text")).toString(), shown.at(name));
        }
    }
    const QJsonObject coloured = seen.value(QStringLiteral("index.html")).toObject();
    EXPECT_EQ(coloured.value(QStringLiteral("color")).toString(), QStringLiteral("rgb(132, 255, 255)"));
    EXPECT_EQ(coloured.value(QStringLiteral("image")).toString(), QStringLiteral("none"));
    const QJsonObject papered = seen.value(QStringLiteral("kabe.html")).toObject();
    EXPECT_TRUE(papered.value(QStringLiteral("image")).toString().endsWith(QStringLiteral("/kabe.png\")")))
        << papered.value(QStringLiteral("image")).toString().toStdString();
    EXPECT_EQ(papered.value(QStringLiteral("imageWidth")).toInt(), 16);
}

TEST(Browser, AWebAlbumShowsTheCopiesAndLinksEachToItsPhoto)
{
    if (!QFileInfo::exists(chromium))
        GTEST_SKIP() << "no /usr/bin/chromium, so the pages cannot be opened in a browser";
    testkit::Sandbox box;
    const QString dir = box.folder(QStringLiteral("album"));
    struct Sizes
    {
        QSize photo, copy; // the copy's longer side at most 1024
    };
    const std::map<QString, Sizes> photos{{QStringLiteral("wide.jpg"), {{1600, 1200}, {1024, 768}}},
                                          {QStringLiteral("縦 長.jpg"), {{600, 1200}, {512, 1024}}},
                                          {QStringLiteral("small.jpg"), {{300, 200}, {300, 200}}}};
    for (const auto &[name, sizes] : photos)
        savePhoto(dir + u'/' + name, sizes.photo.width(), sizes.photo.height(), QColor(60, 120, 200));

    auto w = testkit::window();
    ASSERT_TRUE(w->Dir1->changeTo(dir));
    QTest::mouseClick(w->Command2, Qt::LeftButton);
    w->webphoto->trigger();
    w->web1024->trigger();
    generate(*w);

    const QJsonObject seen = browse(dir, {QStringLiteral("index.html")}).value(QStringLiteral("index.html")).toObject();
    const QJsonArray cells = seen.value(QStringLiteral("cells")).toArray();
    ASSERT_EQ(cells.size(), qsizetype(photos.size()));
    for (int i = 0; i < cells.size(); ++i) {
        const QJsonObject cell = cells[i].toObject();
        const QString name = photoentry::fileName(w->List1->item(i)->text());
        SCOPED_TRACE(name.toStdString());
        const Sizes &sizes = photos.at(name);
        EXPECT_EQ(cell.value(QStringLiteral("src")).toString(), QStringLiteral("./web/") + name);
        EXPECT_EQ(QSize(cell.value(QStringLiteral("width")).toInt(), cell.value(QStringLiteral("height")).toInt()),
                  sizes.copy);
        EXPECT_EQ(cell.value(QStringLiteral("href")).toString(), QStringLiteral("./") + name);
        EXPECT_EQ(cell.value(QStringLiteral("targetWidth")).toInt(), sizes.photo.width());
    }
}
