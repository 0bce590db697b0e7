// Feeds arbitrary bytes to the project-file reader. Besides crashes, hangs
// and sanitizer findings it checks what the reader promises, and that what
// it found survives being written and read again.
#include "album/photoentry.h"
#include "project/projectfile.h"
#include "textio/cp932.h"

#include <cstddef>
#include <cstdint>

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool fullyEncodable(const QString &text)
{
    QString missing;
    cp932::encode(text, cp932::Unmappable::Report, &missing);
    return missing.isEmpty();
}

void checkPromises(const projectfile::Loaded &f)
{
    if (!f.magicMatched) {
        require(!f.folder && !f.border && !f.backLink && !f.title && !f.widthFlag && !f.option && !f.background
                && !f.pageName && f.entries.isEmpty() && !f.tooManyEntries);
        return;
    }
    require(f.entries.size() <= photoentry::maxEntries);
    require(!f.tooManyEntries || f.entries.size() == photoentry::maxEntries);
    for (const QString &e : f.entries)
        require(!photoentry::isBlank(e) && !e.contains(u'\r'));
    require(!f.option || (*f.option >= 1 && *f.option <= 9));
    require(!f.border || (*f.border >= 0 && *f.border <= 9));
    require(!f.widthFlag || (*f.widthFlag >= -1 && *f.widthFlag <= 32767));
    // A header field never runs past the "," that ends it.
    for (const auto *field : {&f.folder, &f.backLink, &f.title})
        require(!*field || !(*field)->contains(u','));
    require(!f.backLink || (!f.backLink->startsWith(u' ') && !f.backLink->endsWith(u' ')));
    require(!f.background || !f.background->contains(u'\r'));
    require(!f.pageName || !f.pageName->contains(u'\r'));
}

void checkRoundTrip(const projectfile::Loaded &f)
{
    const QString folder = f.folder.value_or(QString());
    album::Album a;
    a.border = f.border.value_or(0);
    a.backLink = f.backLink.value_or(QString());
    a.title = f.title.value_or(QString());
    // The check box holds 0, 1 or 2; the window never writes anything else.
    a.widthFlag = f.widthFlag && *f.widthFlag >= 0 && *f.widthFlag <= 2 ? *f.widthFlag : 0;
    a.background = f.option.value_or(1);
    a.backgroundImage = f.background.value_or(QString());
    a.pageName = f.pageName.value_or(QString());
    a.entries = f.entries;

    const projectfile::Loaded g = projectfile::read(projectfile::write(folder, a));
    require(g.magicMatched);
    require(g.folder == folder && g.border == a.border && g.backLink == a.backLink);
    require(g.widthFlag == a.widthFlag && g.option == a.background);
    require(g.background == a.backgroundImage && g.pageName == a.pageName);
    if (fullyEncodable(a.title))
        require(g.title == a.title);
    require(g.entries.size() == a.entries.size() && !g.tooManyEntries);
    for (qsizetype i = 0; i < a.entries.size(); ++i) {
        require(photoentry::fileName(g.entries[i]) == photoentry::fileName(a.entries[i]));
        if (fullyEncodable(a.entries[i]))
            require(g.entries[i] == a.entries[i]);
    }
    // And through the bytes of a file, which must at least read as one.
    require(projectfile::parse(cp932::encodeLines(projectfile::write(folder, a), cp932::Unmappable::Report)).magicMatched);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const projectfile::Loaded f = projectfile::parse(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    checkPromises(f);
    if (f.magicMatched)
        checkRoundTrip(f);
    return 0;
}
