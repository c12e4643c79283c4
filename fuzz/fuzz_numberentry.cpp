#include "commands/entryreference.h"
#include "commands/numberentry.h"

#include <cstdint>
#include <cstdlib>

// The entry reader against the slow exact reference, which judges short texts only. Blanks
// count for nothing, so every text is also read without them: the readings must agree, and the
// shorter text is often short enough to judge. libFuzzer keeps the input that aborts.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    std::string squeezed;
    for (const char c : text)
        if (c != ' ' && c != '\t' && c != '\n')
            squeezed += c;
    const auto verdict = entryreference::judge(squeezed);
    if (readEntryNumber(squeezed) != readEntryNumber(text) ||
        (verdict.kind != entryreference::Verdict::CannotJudge &&
         verdict.reading() != readEntryNumber(text)))
        std::abort();
    return 0;
}
