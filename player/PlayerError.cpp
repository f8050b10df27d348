#include "PlayerError.h"

PlayerError PlayerError::CannotOpen(const std::string& path)
{
    return PlayerError("Impossible d'ouvrir la vidéo : " + path);
}

PlayerError PlayerError::NotFound(const std::string& path)
{
    return PlayerError("Impossible d'ouvrir la vidéo : " + path + " (fichier introuvable)");
}

PlayerError PlayerError::NotAVideo(const std::string& path)
{
    return PlayerError("Impossible d'ouvrir la vidéo : " + path + " (ce fichier n'est pas une vidéo)");
}

PlayerError PlayerError::TooSlow(const std::string& path)
{
    return PlayerError("Impossible d'ouvrir la vidéo : " + path + " (le fichier met trop de temps à s'ouvrir)");
}

PlayerError PlayerError::EngineUnavailable()
{
    return PlayerError("Le lecteur vidéo n'a pas pu démarrer.");
}
