#include "commands/entryreference.h"
#include "commands/numberentry.h"

#include <cstdint>
#include <cstdlib>
#include <string>

// The entry reader against the slow exact reference. The reference judges short texts only;
// longer ones are still read, for crashes and undefined behaviour, and read again without their
// blanks, which count for nothing, so that the two readings must agree and the shorter text is
// often short enough to judge. libFuzzer keeps the input that aborts.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const std::optional<int> actual = readEntryNumber(text);
    std::string squeezed;
    for (const char c : text)
        if (c != ' ' && c != '\t' && c != '\n')
            squeezed += c;
    if (readEntryNumber(squeezed) != actual)
        std::abort();
    const entryreference::Verdict verdict = entryreference::judge(squeezed);
    if (verdict.kind != entryreference::Verdict::CannotJudge && verdict.reading() != actual)
        std::abort();
    return 0;
}
