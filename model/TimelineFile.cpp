// Reading and writing the annotation file (corps / piste / segment / contenu).

#include <string>

#include "AtomicFile.h"
#include "Timeline.h"
#include "TrackListReader.h"
#include "XmlFileReader.h"
#include "XmlStreamWriter.h"

const char* const CTimeline::kLoadFailedText = "le fichier n'a pas \xC3\xA9t\xC3\xA9 ouvert";
const char* const CTimeline::kLoadDamagedText
    = "Le fichier est endommag\xC3\xA9 : seules les annotations lisibles ont \xC3\xA9t\xC3\xA9 charg\xC3\xA9" "es.";

bool CTimeline::SaveFile(const std::string& path) const
{
    return WriteFileAtomically(path, [this](int fd) {
        XmlStreamWriter out(fd);
        m_tracks.WriteXml(out);
        return out.Finish();
    });
}

bool CTimeline::LoadFile(const std::string& path)
{
    // Read into a list of their own, so that the tracks in place stay as
    // they are when the file turns out to be refused or not ours.
    TrackList read;
    TrackListReader reader(read);
    const XmlFileRead parsed = ReadXmlFile(path, reader);
    if (!parsed.read) {
        if (m_prompt != nullptr)
            m_prompt->Confirm(kLoadFailedText);
        return false;
    }

    const bool replaced = reader.FoundCorps();
    if (replaced)
        ExchangeTracks(read);

    if (m_prompt == nullptr || !parsed.damaged)
        return replaced;
    // The user may otherwise save the part over the whole. A damaged file
    // that yielded nothing was not opened at all.
    if (replaced)
        m_prompt->Inform(kLoadDamagedText);
    else
        m_prompt->Confirm(kLoadFailedText);
    return replaced;
}
