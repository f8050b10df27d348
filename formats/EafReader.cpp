#include "EafReader.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <vector>

#include <libxml/tree.h>

#include "EafProperties.h"
#include "EafTimeSlots.h"
#include "StoredTime.h"
#include "TimeValue.h"
#include "Timeline.h"
#include "XmlFileReader.h"
#include "XmlText.h"

namespace {

// Symbolic annotations may refer to symbolic ones; past this depth the
// chain is taken for a loop.
constexpr int kMaxReferenceDepth = 64;

struct Annotation {
    std::string id;
    bool aligned = false;
    std::string slot1, slot2; // aligned
    std::string reference;    // symbolic
    std::string value;
};

struct Tier {
    std::string id;
    std::string type;
    std::vector<Annotation> annotations;
};

// Where each tier's annotations go.
struct TierRole {
    enum class Use { Segments, Comments, VideoNumbers, CommentLines };
    Use use = Use::Segments;
    int track = 0; // position in the imported list, from 0
};

TierRole::Use UseOf(EafTrackProperty::Kind kind)
{
    switch (kind) {
    case EafTrackProperty::Kind::Comments:
        return TierRole::Use::Comments;
    case EafTrackProperty::Kind::Video:
        return TierRole::Use::VideoNumbers;
    default:
        return TierRole::Use::Segments;
    }
}

std::string TextOf(xmlNodePtr element)
{
    xmlChar* content = xmlNodeGetContent(element);
    std::string text = content != nullptr ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return text;
}

xmlNodePtr FirstChildNamed(xmlNodePtr parent, const char* name)
{
    for (xmlNodePtr child = parent->children; child != nullptr; child = child->next)
        if (IsElementNamed(child, name))
            return child;
    return nullptr;
}

Tier ReadTier(xmlNodePtr element)
{
    Tier tier;
    tier.id = XmlProp(element, "TIER_ID").value_or("");
    tier.type = XmlProp(element, "LINGUISTIC_TYPE_REF").value_or("");
    for (xmlNodePtr wrapper = element->children; wrapper != nullptr; wrapper = wrapper->next) {
        if (!IsElementNamed(wrapper, "ANNOTATION"))
            continue;
        for (xmlNodePtr node = wrapper->children; node != nullptr; node = node->next) {
            const bool aligned = IsElementNamed(node, "ALIGNABLE_ANNOTATION");
            if (!aligned && !IsElementNamed(node, "REF_ANNOTATION"))
                continue;
            Annotation annotation;
            annotation.aligned = aligned;
            annotation.id = XmlProp(node, "ANNOTATION_ID").value_or("");
            annotation.slot1 = XmlProp(node, "TIME_SLOT_REF1").value_or("");
            annotation.slot2 = XmlProp(node, "TIME_SLOT_REF2").value_or("");
            annotation.reference = XmlProp(node, "ANNOTATION_REF").value_or("");
            if (xmlNodePtr value = FirstChildNamed(node, "ANNOTATION_VALUE"))
                annotation.value = TextOf(value);
            tier.annotations.push_back(std::move(annotation));
        }
    }
    return tier;
}

class EafImport {
public:
    // False when the root is no ELAN document.
    bool Read(xmlNodePtr root)
    {
        if (root == nullptr || !IsElementNamed(root, "ANNOTATION_DOCUMENT"))
            return false;
        for (xmlNodePtr node = root->children; node != nullptr; node = node->next) {
            if (IsElementNamed(node, "HEADER"))
                ReadHeader(node);
            else if (IsElementNamed(node, "TIME_ORDER"))
                m_slots.Read(node);
            else if (IsElementNamed(node, "TIER"))
                m_tiers.push_back(ReadTier(node));
            else if (IsElementNamed(node, "LINGUISTIC_TYPE"))
                m_symbolicTypes[XmlProp(node, "LINGUISTIC_TYPE_ID").value_or("")]
                    = XmlProp(node, "TIME_ALIGNABLE").value_or("true") == "false";
        }
        return true;
    }

    ImportedTracks Build()
    {
        m_slots.Resolve();
        AssignTracks();
        for (size_t t = 0; t < m_tiers.size(); ++t)
            if (m_roles[t].use == TierRole::Use::Segments)
                AddSegments(m_tiers[t], m_roles[t].track);
        // Every link first: a chain may run through a tier further down.
        for (const Tier& tier : m_tiers)
            for (const Annotation& annotation : tier.annotations)
                if (!annotation.aligned)
                    m_referenceOf[annotation.id] = annotation.reference;
        for (size_t t = 0; t < m_tiers.size(); ++t)
            if (m_roles[t].use != TierRole::Use::Segments)
                AddReferences(m_tiers[t], m_roles[t]);
        return Finish();
    }

private:
    struct PendingSegment {
        std::unique_ptr<Segment> segment;
        std::string ownComment;
        std::vector<std::string> lines;
        bool hasOwnComment = false;
    };

    void ReadHeader(xmlNodePtr header)
    {
        for (xmlNodePtr node = header->children; node != nullptr; node = node->next) {
            if (!IsElementNamed(node, "PROPERTY"))
                continue;
            const auto property = ParseEafPropertyName(XmlProp(node, "NAME").value_or(""));
            if (!property)
                continue;
            if (property->kind == EafTrackProperty::Kind::Label)
                m_labels[property->track] = TextOf(node);
            else
                m_declaredRoles[TextOf(node)] = *property;
        }
    }

    bool IsSymbolic(const Tier& tier) const
    {
        const auto type = m_symbolicTypes.find(tier.type);
        if (type != m_symbolicTypes.end())
            return type->second;
        return !tier.annotations.empty() && !tier.annotations.front().aligned;
    }

    // Tracks in the order of their first tier; the tiers an export recorded
    // join the track it named, every other aligned tier is a track of its own.
    void AssignTracks()
    {
        std::map<int, int> trackOfNumber;
        for (const Tier& tier : m_tiers) {
            TierRole role;
            const auto declared = m_declaredRoles.find(tier.id);
            if (declared != m_declaredRoles.end() && m_labels.count(declared->second.track) != 0) {
                role.use = UseOf(declared->second.kind);
                const auto known = trackOfNumber.find(declared->second.track);
                if (known != trackOfNumber.end()) {
                    role.track = known->second;
                } else {
                    role.track = NewTrack(m_labels[declared->second.track]);
                    trackOfNumber[declared->second.track] = role.track;
                }
            } else if (IsSymbolic(tier)) {
                role.use = TierRole::Use::CommentLines;
            } else {
                role.track = NewTrack(tier.id);
            }
            m_roles.push_back(role);
        }
    }

    int NewTrack(const std::string& label)
    {
        m_imported.tracks->AppendTrack()->SetLabel(label);
        m_segments.emplace_back();
        return m_imported.tracks->GetCount() - 1;
    }

    void AddSegments(const Tier& tier, int track)
    {
        for (const Annotation& annotation : tier.annotations) {
            if (!annotation.aligned) {
                ++m_unreadable;
                continue;
            }
            const auto start = m_slots.Get(annotation.slot1);
            const auto end = m_slots.Get(annotation.slot2);
            if (!start || !end) {
                ++m_unreadable;
                continue;
            }
            if (!start->given || !end->given)
                ++m_untimed;
            auto segment = std::make_unique<Segment>();
            segment->m_start = TimeFromStored(start->stored);
            segment->m_end = TimeFromStored(end->stored);
            segment->m_title = annotation.value;
            segment->m_comment.clear();
            m_byId[annotation.id] = {track, m_segments[static_cast<size_t>(track)].size()};
            m_segments[static_cast<size_t>(track)].push_back({std::move(segment), {}, {}, false});
        }
    }

    // The aligned annotation a symbolic one hangs from, through any chain.
    PendingSegment* Owner(const std::string& reference, int depth = 0)
    {
        const auto found = m_byId.find(reference);
        if (found != m_byId.end())
            return &m_segments[static_cast<size_t>(found->second.first)][found->second.second];
        const auto symbolic = m_referenceOf.find(reference);
        if (symbolic == m_referenceOf.end() || depth >= kMaxReferenceDepth)
            return nullptr;
        return Owner(symbolic->second, depth + 1);
    }

    void AddReferences(const Tier& tier, const TierRole& role)
    {
        for (const Annotation& annotation : tier.annotations) {
            PendingSegment* owner = annotation.aligned ? nullptr : Owner(annotation.reference);
            if (owner == nullptr) {
                ++m_unreadable;
                continue;
            }
            if (role.use == TierRole::Use::Comments) {
                owner->ownComment = annotation.value;
                owner->hasOwnComment = true;
            } else if (role.use == TierRole::Use::VideoNumbers) {
                owner->segment->m_videoNumber = ParseIntValue(annotation.value.c_str());
            } else {
                owner->lines.push_back(tier.id + " : " + annotation.value);
            }
        }
    }

    ImportedTracks Finish()
    {
        for (int t = 0; t < m_imported.tracks->GetCount(); ++t) {
            auto& pending = m_segments[static_cast<size_t>(t)];
            std::stable_sort(pending.begin(), pending.end(), [](const PendingSegment& a, const PendingSegment& b) {
                return a.segment->m_start < b.segment->m_start;
            });
            for (PendingSegment& entry : pending) {
                std::string comment = entry.ownComment;
                for (const std::string& line : entry.lines)
                    comment += (comment.empty() ? "" : "\n") + line;
                entry.segment->m_comment = comment;
                m_imported.tracks->GetTrack(t)->AppendSegment(std::move(entry.segment));
            }
        }
        if (m_untimed > 0)
            m_imported.notices.push_back(std::to_string(m_untimed)
                                         + " annotations sans temps ont été placées entre leurs voisines.");
        if (m_unreadable > 0)
            m_imported.notices.push_back(std::to_string(m_unreadable)
                                         + " annotations illisibles ont été ignorées.");
        return std::move(m_imported);
    }

    EafTimeSlots m_slots;
    std::vector<Tier> m_tiers;
    std::vector<TierRole> m_roles;
    std::unordered_map<std::string, bool> m_symbolicTypes;
    std::map<int, std::string> m_labels;
    std::unordered_map<std::string, EafTrackProperty> m_declaredRoles;
    ImportedTracks m_imported;
    std::vector<std::vector<PendingSegment>> m_segments; // per track, until sorted
    std::unordered_map<std::string, std::pair<int, size_t>> m_byId;
    std::unordered_map<std::string, std::string> m_referenceOf;
    long long m_untimed = 0;
    long long m_unreadable = 0;
};

} // namespace

std::optional<ImportedTracks> ReadEaf(const std::string& path)
{
    ParsedXmlFile parsed = ReadXmlFile(path);
    if (!parsed.doc)
        return std::nullopt;
    EafImport import;
    if (!import.Read(xmlDocGetRootElement(parsed.doc.get())))
        return std::nullopt;
    parsed.doc.reset();
    ImportedTracks imported = import.Build();
    if (parsed.damaged)
        imported.notices.insert(imported.notices.begin(), CTimeline::kLoadDamagedText);
    return imported;
}
