#include "EafReader.h"

#include <algorithm>
#include <map>
#include <unordered_map>
#include <vector>

#include "EafProperties.h"
#include "EafTimeSlots.h"
#include "StoredTime.h"
#include "TimeValue.h"
#include "Timeline.h"
#include "XmlElementTexts.h"
#include "XmlFileReader.h"
#include "XmlStartTag.h"

namespace {

// Symbolic annotations may refer to symbolic ones; past this depth the
// chain is taken for a loop.
constexpr int kMaxReferenceDepth = 64;
constexpr size_t kNoText = static_cast<size_t>(-1);
// The elements whose text the file's reading needs, counted in the same
// order by both readings.
const std::vector<std::string> kTextElements = {"ANNOTATION_VALUE", "PROPERTY"};

struct Annotation {
    std::string id;
    bool aligned = false;
    std::string slot1, slot2; // aligned
    std::string reference;    // symbolic
    std::string value;
    size_t text = kNoText;    // the value's place among the texts
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

class EafImport final : public XmlElementHandler {
public:
    // The elements as the guarded reader meets them: the first must be the
    // ELAN document's root.
    void ElementStarted(const XmlStartTag& tag) override
    {
        const size_t depth = m_open.size();
        m_open.push_back(Kind::Other);
        const bool valued = tag.IsNamed("ANNOTATION_VALUE") || tag.IsNamed("PROPERTY");
        const size_t text = valued ? m_texts++ : kNoText;
        if (depth == 0) {
            m_isElan = m_open.size() == 1 && !m_sawRoot && tag.IsNamed("ANNOTATION_DOCUMENT");
            m_sawRoot = true;
            return;
        }
        const Kind parent = m_open[depth - 1];
        Kind& kind = m_open.back();
        if (depth == 1 && tag.IsNamed("HEADER")) {
            kind = Kind::Header;
        } else if (depth == 1 && tag.IsNamed("TIME_ORDER")) {
            kind = Kind::TimeOrder;
        } else if (depth == 1 && tag.IsNamed("TIER")) {
            kind = Kind::Tier;
            m_tiers.push_back({tag.Get("TIER_ID").value_or(""), tag.Get("LINGUISTIC_TYPE_REF").value_or(""), {}});
        } else if (depth == 1 && tag.IsNamed("LINGUISTIC_TYPE")) {
            m_symbolicTypes[tag.Get("LINGUISTIC_TYPE_ID").value_or("")]
                = tag.Get("TIME_ALIGNABLE").value_or("true") == "false";
        } else if (parent == Kind::Header && tag.IsNamed("PROPERTY")) {
            m_properties.push_back({tag.Get("NAME").value_or(""), text});
        } else if (parent == Kind::TimeOrder && tag.IsNamed("TIME_SLOT")) {
            m_slots.Add(tag.Get("TIME_SLOT_ID").value_or(""), tag.Get("TIME_VALUE"));
        } else if (parent == Kind::Tier && tag.IsNamed("ANNOTATION")) {
            kind = Kind::Wrapper;
        } else if (parent == Kind::Wrapper
                   && (tag.IsNamed("ALIGNABLE_ANNOTATION") || tag.IsNamed("REF_ANNOTATION"))) {
            kind = Kind::Annotation;
            Annotation annotation;
            annotation.aligned = tag.IsNamed("ALIGNABLE_ANNOTATION");
            annotation.id = tag.Get("ANNOTATION_ID").value_or("");
            annotation.slot1 = tag.Get("TIME_SLOT_REF1").value_or("");
            annotation.slot2 = tag.Get("TIME_SLOT_REF2").value_or("");
            annotation.reference = tag.Get("ANNOTATION_REF").value_or("");
            m_tiers.back().annotations.push_back(std::move(annotation));
        } else if (parent == Kind::Annotation && tag.IsNamed("ANNOTATION_VALUE")
                   && m_tiers.back().annotations.back().text == kNoText) {
            m_tiers.back().annotations.back().text = text;
        }
    }

    void ElementEnded() override
    {
        if (!m_open.empty())
            m_open.pop_back();
    }

    bool IsElan() const { return m_isElan; }

    // The texts of the values and properties, in the order counted.
    void TakeTexts(const std::vector<std::string>& texts)
    {
        auto text = [&texts](size_t index) { return index < texts.size() ? texts[index] : std::string(); };
        for (Tier& tier : m_tiers)
            for (Annotation& annotation : tier.annotations)
                annotation.value = text(annotation.text);
        for (const auto& [name, index] : m_properties) {
            const auto property = ParseEafPropertyName(name);
            if (!property)
                continue;
            if (property->kind == EafTrackProperty::Kind::Label)
                m_labels[property->track] = text(index);
            else
                m_declaredRoles[text(index)] = *property;
        }
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

    enum class Kind { Other, Header, TimeOrder, Tier, Wrapper, Annotation };
    std::vector<Kind> m_open; // the elements open, outermost first
    bool m_sawRoot = false;
    bool m_isElan = false;
    size_t m_texts = 0;
    std::vector<std::pair<std::string, size_t>> m_properties; // name, text
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
    EafImport import;
    const XmlFileRead read = ReadXmlFile(path, import);
    if (!read.read || !import.IsElan())
        return std::nullopt;
    // The guarded reader has accepted the file: its texts can be read.
    const auto texts = ReadElementTexts(path, kTextElements);
    if (!texts)
        return std::nullopt;
    import.TakeTexts(*texts);
    ImportedTracks imported = import.Build();
    if (read.damaged)
        imported.notices.insert(imported.notices.begin(), CTimeline::kLoadDamagedText);
    return imported;
}
