#include "EafProperties.h"

#include <charconv>
#include <string_view>

namespace {

constexpr std::string_view kPrefix = "quillmark:piste:";

struct KindName {
    EafTrackProperty::Kind kind;
    std::string_view name;
};
constexpr KindName kKinds[] = {
    {EafTrackProperty::Kind::Label, "libelle"},
    {EafTrackProperty::Kind::Tier, "tier"},
    {EafTrackProperty::Kind::Comments, "commentaires"},
    {EafTrackProperty::Kind::Video, "video"},
};

// A positive number ending the text or followed by ':'; advances past it.
std::optional<int> TakeNumber(std::string_view& text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || value <= 0 || end == text.data())
        return std::nullopt;
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    return value;
}

} // namespace

std::string EafPropertyName(const EafTrackProperty& property)
{
    std::string name(kPrefix);
    name += std::to_string(property.track);
    for (const KindName& kind : kKinds) {
        if (kind.kind != property.kind)
            continue;
        name += ':';
        name += kind.name;
    }
    if (property.kind != EafTrackProperty::Kind::Label)
        name += ':' + std::to_string(property.tier);
    return name;
}

std::optional<EafTrackProperty> ParseEafPropertyName(const std::string& name)
{
    std::string_view rest(name);
    if (rest.substr(0, kPrefix.size()) != kPrefix)
        return std::nullopt;
    rest.remove_prefix(kPrefix.size());
    EafTrackProperty property;
    const auto track = TakeNumber(rest);
    if (!track || rest.empty() || rest.front() != ':')
        return std::nullopt;
    rest.remove_prefix(1);
    property.track = *track;
    for (const KindName& kind : kKinds) {
        if (rest.substr(0, kind.name.size()) != kind.name)
            continue;
        rest.remove_prefix(kind.name.size());
        property.kind = kind.kind;
        if (kind.kind == EafTrackProperty::Kind::Label)
            return rest.empty() ? std::optional(property) : std::nullopt;
        if (rest.empty() || rest.front() != ':')
            return std::nullopt;
        rest.remove_prefix(1);
        const auto tier = TakeNumber(rest);
        if (!tier || !rest.empty())
            return std::nullopt;
        property.tier = *tier;
        return property;
    }
    return std::nullopt;
}
