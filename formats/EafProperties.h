#pragma once

#include <optional>
#include <string>

// What an ELAN export records in its header so that the import can put the
// tracks back as they were: which tiers are one track, the track's exact
// label, and which tiers hold its comments and video numbers. Each is a
// PROPERTY whose name begins with "quillmark:"; an EAF from elsewhere has
// none and is read by its tiers alone.
struct EafTrackProperty {
    enum class Kind { Label, Tier, Comments, Video };
    Kind kind = Kind::Label;
    int track = 0; // from 1
    int tier = 0;  // from 1 within the track; 0 for the label
};

// "quillmark:piste:2:libelle", "quillmark:piste:2:tier:1", ...
std::string EafPropertyName(const EafTrackProperty& property);
// The property a name stands for, or none for any other name (a foreign
// one, or one of ours spelled wrong).
std::optional<EafTrackProperty> ParseEafPropertyName(const std::string& name);
