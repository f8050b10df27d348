#include "ExportCommand.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "AtomicFile.h"
#include "CommandLine.h"
#include "Export.h"
#include "Import.h"
#include "Timeline.h"
#include "UserPrompt.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSomeFailedStatus = 1;
const char* const kNotSavedText = "le fichier n'a pas été enregistré";

// What a load would have shown in boxes, kept for the standard error.
class NoticeList : public UserPrompt {
public:
    bool Confirm(const std::string&) override { return false; }
    void Inform(const std::string& text) override { notices.push_back(text); }
    std::vector<std::string> notices;
};

// The tracks of one input, with whatever holds them.
struct Annotations {
    std::unique_ptr<CTimeline> timeline;
    std::unique_ptr<TrackList> imported;
    const TrackList* tracks = nullptr;
    std::vector<std::string> notices;
};

// Any file the window opens as annotations: an export table, an ELAN file,
// or the program's own file. None when it cannot be read: the sample track
// a new timeline starts with is never taken for the file's.
std::optional<Annotations> ReadAnnotations(const std::string& path)
{
    Annotations annotations;
    ImportResult imported = ImportFile(path);
    if (imported.status == ImportResult::Status::Failed)
        return std::nullopt;
    if (imported.status == ImportResult::Status::Read) {
        annotations.imported = std::move(imported.tracks);
        annotations.tracks = annotations.imported.get();
        annotations.notices = std::move(imported.notices);
        return annotations;
    }
    annotations.timeline = std::make_unique<CTimeline>();
    NoticeList prompt;
    annotations.timeline->SetUserPrompt(&prompt);
    // True only when the root is <corps>: a document the window would not
    // open as annotations is no input either.
    const bool replaced = annotations.timeline->LoadFile(path);
    annotations.timeline->SetUserPrompt(nullptr);
    if (!replaced)
        return std::nullopt;
    annotations.tracks = &annotations.timeline->Tracks();
    annotations.notices = std::move(prompt.notices);
    return annotations;
}

// The container's duration, as the player reads it; none for a file
// without one.
std::optional<double> ReadVideoDuration(const std::string& path)
{
    // Named as a file, so that a name like "http:x.mp4" is never taken for a
    // protocol.
    const std::string url = "file:" + path;
    AVFormatContext* input = nullptr;
    if (avformat_open_input(&input, url.c_str(), nullptr, nullptr) < 0)
        return std::nullopt;
    std::optional<double> seconds;
    if (avformat_find_stream_info(input, nullptr) >= 0 && input->duration > 0)
        seconds = static_cast<double>(input->duration) / AV_TIME_BASE;
    avformat_close_input(&input);
    return seconds;
}

bool WriteAll(std::FILE* stream, const std::string& bytes)
{
    return std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size() && std::fflush(stream) == 0;
}

class ExportRun {
public:
    ExportRun(const ExportRequest& request, std::FILE* out, std::FILE* err)
        : m_request(request), m_out(out), m_err(err)
    {
    }

    int Run()
    {
        ExportInputs inputs;
        inputs.videoPath = m_request.video;
        inputs.videoSeconds = m_request.durationSeconds;
        if (!m_request.video.empty()) {
            inputs.videoSeconds = ReadVideoDuration(m_request.video);
            if (!inputs.videoSeconds)
                Tell(m_request.video, "la durée de la vidéo n'a pas pu être lue");
        }
        for (const std::string& input : m_request.inputs)
            Export(input, inputs);
        return m_failed ? kSomeFailedStatus : 0;
    }

private:
    void Tell(const std::string& name, const std::string& text)
    {
        std::fprintf(m_err, "quillmark : %s : %s\n", name.c_str(), text.c_str());
    }

    void Fail(const std::string& name, const std::string& text)
    {
        Tell(name, text);
        m_failed = true;
    }

    std::string OutputPath(const std::string& input) const
    {
        const std::string beside = DefaultOutputPath(*m_request.format, input);
        if (m_request.output.empty() || m_request.output == "-")
            return m_request.output.empty() ? beside : m_request.output;
        std::error_code error;
        if (fs::is_directory(m_request.output, error))
            return (fs::path(m_request.output) / fs::path(beside).filename()).string();
        return m_request.output;
    }

    // Why the output must not be written, or nothing.
    std::optional<std::string> Refusal(const std::string& input, const std::string& output)
    {
        std::error_code error;
        const bool exists = fs::symlink_status(output, error).type() != fs::file_type::not_found;
        if (exists && fs::equivalent(input, output, error))
            return std::string(kNotSavedText) + " (ce serait écrire sur le fichier lu)";
        if (m_written.count(fs::weakly_canonical(output, error).string()) != 0)
            return std::string(kNotSavedText) + " (déjà écrit par cette commande)";
        if (exists && !m_request.force)
            return std::string(kNotSavedText) + " (il existe déjà ; --force pour le remplacer)";
        return std::nullopt;
    }

    void Export(const std::string& input, ExportInputs inputs)
    {
        const std::string output = OutputPath(input);
        const bool toStandardOutput = output == "-";
        if (!toStandardOutput) {
            if (const auto refusal = Refusal(input, output)) {
                Fail(output, *refusal);
                return;
            }
        }
        const std::optional<Annotations> annotations = ReadAnnotations(input);
        if (!annotations) {
            Fail(input, CTimeline::kLoadFailedText);
            return;
        }
        for (const std::string& notice : annotations->notices)
            Tell(input, notice);
        if (!toStandardOutput) {
            std::error_code error;
            inputs.outputFolder = fs::absolute(output, error).parent_path().string();
        }
        const ExportResult result = ::Export(*m_request.format, *annotations->tracks, inputs);
        for (const std::string& warning : result.warnings)
            Tell(input, warning);
        if (toStandardOutput) {
            if (!WriteAll(m_out, result.bytes))
                Fail("sortie standard", kNotSavedText);
            return;
        }
        if (!WriteFileAtomically(output, result.bytes)) {
            Fail(output, kNotSavedText);
            return;
        }
        std::error_code error;
        m_written.insert(fs::weakly_canonical(output, error).string());
    }

    const ExportRequest& m_request;
    std::FILE* m_out;
    std::FILE* m_err;
    std::set<std::string> m_written;
    bool m_failed = false;
};

} // namespace

int RunExport(const ExportRequest& request, std::FILE* out, std::FILE* err)
{
    return ExportRun(request, out, err).Run();
}
