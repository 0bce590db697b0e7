// Feeds arbitrary bytes to the reader of a kept album. Besides crashes,
// hangs and sanitizer findings it checks what the reader promises, and that
// what it found is written and read again exactly.
#include "album/keptalbum.h"
#include "album/photoentry.h"
#include "fileops/fsname.h"
#include "textio/codepoints.h"

#include <cstddef>
#include <cstdint>

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// No stray byte: the file is UTF-8 text, and one line per value.
bool plainText(const QByteArray &bytes)
{
    const QString text = fsname::decode(bytes);
    for (const codepoints::CodePoint c : codepoints::walk(text))
        if (c.value >= 0xDC80 && c.value <= 0xDCFF)
            return false;
    return !text.contains(u'\r') && !text.contains(u'\t');
}

void checkPromises(const keptalbum::Kept &k)
{
    const album::Album &a = k.album;
    require(a.entries.size() <= photoentry::maxEntries);
    require(k.times.size() == a.entries.size());
    require(a.background >= 0 && a.background <= 9);
    for (const int check : {a.border, a.widthFlag, a.split})
        require(check >= 0 && check <= album::maxCheckValue);
}

void checkRoundTrip(const keptalbum::Kept &k)
{
    const QByteArray bytes = keptalbum::write(k);
    require(plainText(bytes));
    require(bytes.count('\n') == 14 + k.album.entries.size());
    const std::optional<keptalbum::Kept> back = keptalbum::read(bytes);
    require(back && back->sameContent(k) && back->changed == k.changed);
    // Every name byte for byte, stray bytes too.
    for (qsizetype i = 0; i < k.album.entries.size(); ++i)
        require(fsname::encode(back->album.entries[i]) == fsname::encode(k.album.entries[i]));
    const std::optional<keptalbum::Head> head = keptalbum::readHead(bytes);
    require(head && head->folder == k.folder && head->changed == k.changed);
    require(head->photos == k.album.entries.size() && head->captions == keptalbum::captionCount(k.album.entries));
    // An album merged with itself, or changed to itself, stays as it is.
    require(keptalbum::merged(k, k).sameContent(k));
    require(keptalbum::timesAfter(k.album.entries, k, -1) == k.times);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<keptalbum::Kept> k = keptalbum::read(bytes);
    require(k.has_value() == keptalbum::readHead(bytes).has_value());
    if (k) {
        checkPromises(*k);
        checkRoundTrip(*k);
    }
    return 0;
}
