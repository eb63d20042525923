// Feeds whole registry files ("registry.reg", REGEDIT4 text) to the platform's reader. A file
// that parses must format to a text that parses again into the same tree (the formatted
// text is a fixed point), and a refused file must name a line inside it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "registry_file.h"

namespace {

void Require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz_registry: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    wce::detail::RegTree tree;
    wce::detail::RegParseError error;
    if (!wce::detail::ParseRegFile(text, tree, error)) {
        size_t lines = 1;
        for (char c : text) lines += c == '\n';
        Require(error.line >= 1 && error.line <= lines, "a refusal names a line outside the file");
        Require(!error.message.empty(), "a refusal without a reason");
        return 0;
    }
    const std::string formatted = wce::detail::FormatRegFile(tree);
    wce::detail::RegTree again;
    Require(wce::detail::ParseRegFile(formatted, again, error), "the formatted registry does not parse");
    Require(wce::detail::FormatRegFile(again) == formatted, "formatting is not stable");
    return 0;
}
