// Feeds arbitrary bytes to the publishing ledger's reader. Besides crashes,
// hangs and sanitizer findings it checks what the reader promises, and that
// what it found survives being written and read again.
#include "publish/ledger.h"

#include <cstddef>
#include <cstdint>

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

const QString key = QStringLiteral("sftp://user@host:22/albums/trip");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<publish::Records> records = publish::parse(bytes, key);
    if (!records)
        return 0;
    for (auto it = records->cbegin(); it != records->cend(); ++it) {
        require(!it.key().isEmpty() && !it.key().contains(u'\n'));
        require(it->size >= 0 && it->sha256.size() == 64);
    }
    require(publish::parse(publish::format(key, *records), key) == records);
    return 0;
}
