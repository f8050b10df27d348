// Feeds arbitrary bytes to the annotation reader through a file, as a user's
// disk would, then saves whatever loaded and loads that save again: the save
// of the reloaded tracks must be byte for byte the first save, or the reader
// and the writer disagree about some text, time or structure.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FileContents.h"
#include "Timeline.h"

namespace {

// Answers every question and counts nothing: the prompts are not what is
// being fuzzed, only that the reader survives the bytes.
struct SilentPrompt : UserPrompt {
    bool Confirm(const std::string&) override { return true; }
    void Inform(const std::string&) override {}
};

std::string Folder()
{
    static const std::string folder = [] {
        std::string pattern = "/tmp/quill-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        return pattern;
    }();
    return folder;
}

void WriteAll(const std::string& path, const uint8_t* data, size_t size)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size)
        std::abort();
    std::fclose(f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input = Folder() + "/input.xml";
    const std::string first = Folder() + "/first.xml";
    const std::string second = Folder() + "/second.xml";
    WriteAll(input, data, size);

    SilentPrompt prompt;
    CTimeline timeline;
    timeline.SetUserPrompt(&prompt);
    if (!timeline.LoadFile(input))
        return 0;
    if (!timeline.SaveFile(first))
        std::abort();

    CTimeline again;
    again.SetUserPrompt(&prompt);
    if (!again.LoadFile(first)) {
        std::fprintf(stderr, "a saved file does not load again\n");
        std::abort();
    }
    if (!again.SaveFile(second))
        std::abort();
    const std::string a = ReadFileContents(first);
    const std::string b = ReadFileContents(second);
    if (a != b) {
        std::fprintf(stderr, "round trip differs:\n--- first save\n%s\n--- second save\n%s\n", a.c_str(), b.c_str());
        std::abort();
    }
    return 0;
}
