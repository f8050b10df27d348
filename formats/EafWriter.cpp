#include "EafWriter.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <memory>
#include <set>

#include <libxml/tree.h>

#include "EafProperties.h"
#include "QuietXmlErrors.h"
#include "TimedSegments.h"
#include "TrackList.h"
#include "XmlText.h"

namespace fs = std::filesystem;

namespace {

const char* const kAlignedType = "default-lt";
const char* const kCommentType = "quillmark-commentaires";
const char* const kVideoType = "quillmark-video";
const char* const kSymbolicAssociation = "Symbolic_Association";

// One tier of a track: the segments that do not overlap one another.
struct Tier {
    std::string id;
    std::vector<const TimedSegment*> segments;
    int64_t endMs = 0;
};

struct DocumentFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

void SetXmlProp(xmlNodePtr node, const char* name, const std::string& value)
{
    xmlSetProp(node, BAD_CAST name, BAD_CAST XmlSafeText(value).c_str());
}

// "file:" addresses: every byte but the unreserved ones and "/" escaped.
std::string UriPath(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
            uri += c;
            continue;
        }
        uri += '%';
        uri += kHex[byte >> 4];
        uri += kHex[byte & 0xF];
    }
    return uri;
}

std::string MimeType(const fs::path& video)
{
    static const std::pair<const char*, const char*> kTypes[] = {
        {".mp4", "video/mp4"},       {".m4v", "video/mp4"},        {".mov", "video/quicktime"},
        {".mpg", "video/mpeg"},      {".mpeg", "video/mpeg"},      {".avi", "video/x-msvideo"},
        {".mkv", "video/x-matroska"}, {".webm", "video/webm"},     {".ogv", "video/ogg"},
        {".wav", "audio/x-wav"},     {".mp3", "audio/mpeg"},
    };
    std::string suffix = video.extension().string();
    std::transform(suffix.begin(), suffix.end(), suffix.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const auto& [known, type] : kTypes)
        if (suffix == known)
            return type;
    return "unknown";
}

// A name not yet taken in the document: "name", else "name (2)", "name (3)"...
std::string Unique(const std::string& base, std::set<std::string>& taken)
{
    std::string name = base;
    for (int n = 2; !taken.insert(name).second; ++n)
        name = base + " (" + std::to_string(n) + ")";
    return name;
}

xmlNodePtr Child(xmlNodePtr parent, const char* name)
{
    return xmlNewChild(parent, nullptr, BAD_CAST name, nullptr);
}

void TextChild(xmlNodePtr parent, const char* name, const std::string& text)
{
    xmlNewTextChild(parent, nullptr, BAD_CAST name, BAD_CAST XmlSafeText(text).c_str());
}

void Property(xmlNodePtr header, const std::string& name, const std::string& value)
{
    xmlNodePtr property = xmlNewTextChild(header, nullptr, BAD_CAST "PROPERTY", BAD_CAST XmlSafeText(value).c_str());
    SetXmlProp(property, "NAME", name);
}

void MediaDescriptor(xmlNodePtr header, const EafDocumentFacts& facts)
{
    const fs::path video = fs::path(facts.videoPath).lexically_normal();
    const fs::path folder = facts.outputFolder.empty() ? video.parent_path() : fs::path(facts.outputFolder);
    fs::path relative = video.lexically_relative(folder.lexically_normal());
    if (relative.empty())
        relative = video.filename();
    std::string relativeText = relative.string();
    if (relativeText.rfind("../", 0) != 0)
        relativeText = "./" + relativeText;
    xmlNodePtr descriptor = Child(header, "MEDIA_DESCRIPTOR");
    SetXmlProp(descriptor, "MEDIA_URL", "file://" + UriPath(video.string()));
    SetXmlProp(descriptor, "MIME_TYPE", MimeType(video));
    SetXmlProp(descriptor, "RELATIVE_MEDIA_URL", UriPath(relativeText));
}

void LinguisticType(xmlNodePtr root, const char* id, bool symbolic)
{
    xmlNodePtr type = Child(root, "LINGUISTIC_TYPE");
    SetXmlProp(type, "LINGUISTIC_TYPE_ID", id);
    SetXmlProp(type, "TIME_ALIGNABLE", symbolic ? "false" : "true");
    SetXmlProp(type, "GRAPHIC_REFERENCES", "false");
    if (symbolic)
        SetXmlProp(type, "CONSTRAINTS", kSymbolicAssociation);
}

// Places the segments in start order, each on the first tier where it
// overlaps nothing (touching is no overlap).
std::vector<Tier> SpreadOverTiers(const std::vector<TimedSegment>& timed)
{
    std::vector<const TimedSegment*> order;
    for (const TimedSegment& segment : timed)
        order.push_back(&segment);
    std::stable_sort(order.begin(), order.end(),
                     [](const TimedSegment* a, const TimedSegment* b) { return a->startMs < b->startMs; });
    std::vector<Tier> tiers(1);
    for (const TimedSegment* segment : order) {
        auto fits = std::find_if(tiers.begin(), tiers.end(), [&](const Tier& tier) {
            return tier.segments.empty() || tier.endMs <= segment->startMs;
        });
        if (fits == tiers.end())
            fits = tiers.insert(tiers.end(), Tier{});
        fits->segments.push_back(segment);
        fits->endMs = std::max(fits->endMs, segment->endMs);
    }
    return tiers;
}

class EafDocument {
public:
    explicit EafDocument(const EafDocumentFacts& facts) : m_doc(xmlNewDoc(BAD_CAST "1.0"))
    {
        m_root = xmlNewNode(nullptr, BAD_CAST "ANNOTATION_DOCUMENT");
        xmlDocSetRootElement(m_doc.get(), m_root);
        SetXmlProp(m_root, "AUTHOR", "");
        SetXmlProp(m_root, "DATE", facts.date.empty() ? CurrentXsdDateTime() : facts.date);
        SetXmlProp(m_root, "FORMAT", "3.0");
        SetXmlProp(m_root, "VERSION", "3.0");
        xmlNsPtr xsi = xmlNewNs(m_root, BAD_CAST "http://www.w3.org/2001/XMLSchema-instance", BAD_CAST "xsi");
        xmlNewNsProp(m_root, xsi, BAD_CAST "noNamespaceSchemaLocation",
                     BAD_CAST "http://www.mpi.nl/tools/elan/EAFv3.0.xsd");
        m_header = Child(m_root, "HEADER");
        SetXmlProp(m_header, "MEDIA_FILE", "");
        SetXmlProp(m_header, "TIME_UNITS", "milliseconds");
        if (!facts.videoPath.empty())
            MediaDescriptor(m_header, facts);
        m_timeOrder = Child(m_root, "TIME_ORDER");
    }

    void AddTrack(const Track& track, int trackIndex, std::vector<std::string>& warnings)
    {
        const std::vector<TimedSegment> timed = TimeTrack(track, trackIndex, warnings);
        std::vector<Tier> tiers = SpreadOverTiers(timed);
        const int trackNumber = trackIndex + 1;
        const std::string label = IsBlank(track.GetLabel()) ? "piste " + std::to_string(trackNumber) : track.GetLabel();
        Property(m_header, EafPropertyName({EafTrackProperty::Kind::Label, trackNumber, 0}), track.GetLabel());
        for (size_t t = 0; t < tiers.size(); ++t) {
            const int tierNumber = static_cast<int>(t) + 1;
            const std::string base = t == 0 ? label : label + " (chevauchements " + std::to_string(tierNumber) + ")";
            AddTier(tiers[t], base, {EafTrackProperty::Kind::Tier, trackNumber, tierNumber});
        }
    }

    std::string Finish()
    {
        Property(m_header, "lastUsedAnnotationId", std::to_string(m_lastAnnotation));
        WriteTimeSlots();
        LinguisticType(m_root, kAlignedType, false);
        LinguisticType(m_root, kCommentType, true);
        LinguisticType(m_root, kVideoType, true);
        xmlNodePtr constraint = Child(m_root, "CONSTRAINT");
        SetXmlProp(constraint, "STEREOTYPE", kSymbolicAssociation);
        SetXmlProp(constraint, "DESCRIPTION",
                   "1-1 association with a parent annotation");
        QuietXmlErrors quiet;
        xmlChar* bytes = nullptr;
        int size = 0;
        xmlDocDumpFormatMemoryEnc(m_doc.get(), &bytes, &size, "UTF-8", 1);
        std::string text(reinterpret_cast<const char*>(bytes), static_cast<size_t>(std::max(size, 0)));
        xmlFree(bytes);
        return text;
    }

private:
    struct Slot {
        int64_t ms;
        xmlNodePtr annotation;
        const char* attribute;
    };

    void AddTier(const Tier& tier, const std::string& base, EafTrackProperty property)
    {
        const std::string id = Unique(base, m_tierIds);
        Property(m_header, EafPropertyName(property), id);
        xmlNodePtr element = TierElement(id, kAlignedType, nullptr);
        std::vector<std::string> annotationIds;
        bool anyVideo = false;
        for (const TimedSegment* timed : tier.segments) {
            xmlNodePtr aligned = Child(Child(element, "ANNOTATION"), "ALIGNABLE_ANNOTATION");
            annotationIds.push_back(NextAnnotationId());
            SetXmlProp(aligned, "ANNOTATION_ID", annotationIds.back());
            m_slots.push_back({timed->startMs, aligned, "TIME_SLOT_REF1"});
            m_slots.push_back({timed->endMs, aligned, "TIME_SLOT_REF2"});
            TextChild(aligned, "ANNOTATION_VALUE", timed->segment->m_title);
            anyVideo = anyVideo || timed->segment->m_videoNumber != 0;
        }
        // A comment tier for every tier, even an empty one, so that ELAN
        // offers it for typing; the video tier only where it holds something.
        xmlNodePtr comments = DependentTier(id, " - commentaires", kCommentType, property, EafTrackProperty::Kind::Comments);
        xmlNodePtr videos = anyVideo ? DependentTier(id, " - vidéo", kVideoType, property, EafTrackProperty::Kind::Video)
                                     : nullptr;
        for (size_t i = 0; i < tier.segments.size(); ++i) {
            const Segment& segment = *tier.segments[i]->segment;
            // An empty comment is no annotation; one of white space is kept
            // as it is, as the annotation file keeps it.
            if (!segment.m_comment.empty())
                Reference(comments, annotationIds[i], segment.m_comment);
            if (videos != nullptr && segment.m_videoNumber != 0)
                Reference(videos, annotationIds[i], std::to_string(segment.m_videoNumber));
        }
    }

    xmlNodePtr DependentTier(const std::string& parent, const char* suffix, const char* type,
                             EafTrackProperty property, EafTrackProperty::Kind kind)
    {
        const std::string id = Unique(parent + suffix, m_tierIds);
        property.kind = kind;
        Property(m_header, EafPropertyName(property), id);
        return TierElement(id, type, &parent);
    }

    xmlNodePtr TierElement(const std::string& id, const char* type, const std::string* parent)
    {
        xmlNodePtr tier = Child(m_root, "TIER");
        SetXmlProp(tier, "TIER_ID", id);
        SetXmlProp(tier, "LINGUISTIC_TYPE_REF", type);
        if (parent != nullptr)
            SetXmlProp(tier, "PARENT_REF", *parent);
        return tier;
    }

    void Reference(xmlNodePtr tier, const std::string& parentId, const std::string& value)
    {
        xmlNodePtr reference = Child(Child(tier, "ANNOTATION"), "REF_ANNOTATION");
        SetXmlProp(reference, "ANNOTATION_ID", NextAnnotationId());
        SetXmlProp(reference, "ANNOTATION_REF", parentId);
        TextChild(reference, "ANNOTATION_VALUE", value);
    }

    std::string NextAnnotationId() { return "a" + std::to_string(++m_lastAnnotation); }

    // One slot per bound, in time order: ELAN reads TIME_ORDER as the order
    // of the slots along the time line.
    void WriteTimeSlots()
    {
        std::stable_sort(m_slots.begin(), m_slots.end(), [](const Slot& a, const Slot& b) { return a.ms < b.ms; });
        long long number = 0;
        for (const Slot& slot : m_slots) {
            const std::string id = "ts" + std::to_string(++number);
            xmlNodePtr element = Child(m_timeOrder, "TIME_SLOT");
            SetXmlProp(element, "TIME_SLOT_ID", id);
            SetXmlProp(element, "TIME_VALUE", std::to_string(slot.ms));
            SetXmlProp(slot.annotation, slot.attribute, id);
        }
    }

    std::unique_ptr<xmlDoc, DocumentFree> m_doc;
    xmlNodePtr m_root = nullptr;
    xmlNodePtr m_header = nullptr;
    xmlNodePtr m_timeOrder = nullptr;
    std::set<std::string> m_tierIds;
    std::vector<Slot> m_slots;
    long long m_lastAnnotation = 0;
};

} // namespace

std::string WriteEaf(const TrackList& tracks, const EafDocumentFacts& facts, std::vector<std::string>& warnings)
{
    EafDocument document(facts);
    int trackIndex = 0;
    for (const auto& track : tracks)
        document.AddTrack(*track, trackIndex++, warnings);
    return document.Finish();
}

std::string CurrentXsdDateTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
    // xsd:dateTime wants the offset as +hh:mm.
    std::string date(text);
    if (date.size() >= 5)
        date.insert(date.size() - 2, ":");
    return date;
}
