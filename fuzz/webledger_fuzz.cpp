// Feeds arbitrary bytes to the reader of the list of web copies, which sits
// in the album's folder where anyone may edit it. Besides crashes, hangs and
// sanitizer findings it checks that what was read is written back as a list
// that reads the same.
#include "web/ledger.h"

#include <cstddef>
#include <cstdint>

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    webcopy::Records records;
    if (!webcopy::readLedger(bytes, records)) {
        require(records.isEmpty());
        return 0;
    }
    for (auto it = records.cbegin(); it != records.cend(); ++it)
        require(!it.key().isEmpty());
    // Reading a list twice adds nothing the first reading did not.
    webcopy::Records again = records;
    require(webcopy::readLedger(bytes, again) && again.size() == records.size());
    webcopy::Records written;
    require(webcopy::readLedger(webcopy::ledgerText(records), written));
    require(written.size() == records.size());
    for (auto it = records.cbegin(); it != records.cend(); ++it)
        require(written.contains(it.key(), *it));
    return 0;
}
