#include "commands/entryreference.h"
#include "commands/numberentry.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

// readEntryNumber against the slow reference reading. The reference only judges short texts;
// longer ones are still read, for crashes and undefined behaviour, and read again with their
// blanks taken out: blanks count for nothing, so both must agree, and the shorter text is often
// short enough to judge.

namespace {

void printText(const char *label, std::string_view text) {
    std::fprintf(stderr, "%s \"", label);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && c != '"' && c != '\\')
            std::fputc(c, stderr);
        else
            std::fprintf(stderr, "\\x%02x", byte);
    }
    std::fprintf(stderr, "\"\n");
}

void printResult(const char *label, std::optional<int> result) {
    if (result)
        std::fprintf(stderr, "%s %d\n", label, *result);
    else
        std::fprintf(stderr, "%s out of range\n", label);
}

[[noreturn]] void mismatch(std::string_view text, const char *what, std::optional<int> actual,
                           std::optional<int> expected) {
    std::fprintf(stderr, "numberentry: %s\n", what);
    printText("text", text);
    printResult("readEntryNumber:", actual);
    printResult("expected:", expected);
    std::abort();
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const std::optional<int> actual = readEntryNumber(text);
    if (actual && (*actual < -32768 || *actual > 32767))
        mismatch(text, "a reading outside 16 bits", actual, std::nullopt);

    std::string squeezed;
    for (const char c : text)
        if (!isBlank(c))
            squeezed += c;
    if (squeezed.size() != text.size()) {
        const std::optional<int> again = readEntryNumber(squeezed);
        if (again != actual)
            mismatch(text, "the text reads differently without its blanks", actual, again);
    }

    const entryreference::Verdict verdict = entryreference::judge(squeezed);
    if (verdict.kind == entryreference::Verdict::CannotJudge)
        return 0;
    const std::optional<int> expected = verdict.kind == entryreference::Verdict::Value
                                            ? std::optional<int>(verdict.value)
                                            : std::nullopt;
    if (actual != expected)
        mismatch(text, "differs from the reference", actual, expected);
    return 0;
}
