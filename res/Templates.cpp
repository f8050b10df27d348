#include "Templates.h"

#include <map>
#include <stdexcept>

#include "QuillmarkVersion.h"

namespace {

constexpr unsigned kPopupDialog = kDialogPopup | kDialogCaption | kDialogSysMenu | kDialogModalFrame;
constexpr unsigned kLineEdit = kStyleBorder | kStyleAutoHScroll | kStyleTabStop;

std::vector<DialogTemplate> MakeDialogs()
{
    using K = ControlKind;
    std::vector<DialogTemplate> dialogs;

    dialogs.push_back({kAboutDialogId, "A propos de Quillmark", 235, 55, "MS Sans Serif", 8,
                       kDialogModalFrame | kDialogPopup | kDialogCaption | kDialogSysMenu,
                       {
                           {kNoControlId, K::Icon, "", 11, 17, 20, 20, kStyleNone, kApplicationIconId},
                           {kNoControlId, K::Static, "Quillmark version " QUILLMARK_VERSION, 40, 10, 119, 8, kStyleNoPrefix},
                           {1, K::PushButton, "OK", 178, 7, 50, 14, kStyleDefaultButton | kStyleTabStop},
                       }});

    dialogs.push_back(
        {kMainDialogId, "Quillmark", 675, 318, "MS Sans Serif", 8,
         kDialogPopup | kDialogVisible | kDialogCaption | kDialogSysMenu | kDialogModalFrame | kDialogSetFont |
             kDialogAppWindow | kDialogNoParentNotify,
         {
             {kPlayerId, K::VideoPlayer, "", 9, 10, 201, 133, kStyleTabStop},
             {kTimelineFrameId, K::Static, "", 9, 148, 500, 150, kStyleBlackRect | kStyleNotify},
             {kTimeBarId, K::HorizontalScrollBar, "", 128, 300, 379, 11, kStyleBottomAlign},
             {kZoomBarId, K::HorizontalScrollBar, "", 9, 300, 117, 11, kStyleTopAlign},
             {kStartButtonId, K::PushButton, "[", 540, 233, 61, 14, kStyleTabStop},
             {kEndButtonId, K::PushButton, "]", 608, 233, 61, 14, kStyleTabStop},
             {kOpenVideoId, K::PushButton, "Ouvrir la vidéo annotée", 540, 148, 129, 14, kStyleTabStop},
             {kTrackBarId, K::VerticalScrollBar, "", 516, 146, 12, 150, kStyleNone},
             {kSegmentTextId, K::Edit, "", 225, 7, 226, 136,
              kStyleBorder | kStyleVScroll | kStyleMultiLine | kStyleReadOnly | kStyleNumber | kStyleStaticEdge |
                  kStyleModalFrameEdge},
             {kOpenAnnotationId, K::PushButton, "Ouvrir le fichier d'annotation", 540, 190, 129, 14, kStyleTabStop},
             {kSaveAnnotationId, K::PushButton, "Enregistrer le fichier d'annotation", 540, 211, 129, 14, kStyleTabStop},
             {kCompanionId, K::VideoPlayer, "", 470, 7, 199, 135, kStyleTabStop},
             {kChooseFolderId, K::PushButton, "Ouvrir le dossier d'annotations video", 540, 169, 129, 14, kStyleTabStop},
             {kExportButtonId, K::PushButton, "Exporter…", 540, 254, 129, 14, kStyleTabStop},
             // The window shows the delay in place of this text.
             {kDelayButtonId, K::PushButton, "Délai : 0 ms", 540, 275, 129, 14, kStyleTabStop},
         }});

    dialogs.push_back({kTrackDialogId, "Piste", 159, 70, "MS Sans Serif", 8, kPopupDialog,
                       {
                           {kDialogOkButtonId, K::PushButton, "Modifier", 49, 39, 50, 14, kStyleDefaultButton | kStyleTabStop},
                           {kNoControlId, K::Static, "Nom :", 23, 17, 20, 8},
                           {kTrackNameEditId, K::Edit, "", 54, 15, 83, 14, kLineEdit},
                       }});

    dialogs.push_back(
        {kSegmentDialogId, "Segment", 265, 148, "MS Sans Serif", 8, kPopupDialog,
         {
             {kDialogOkButtonId, K::PushButton, "Mettre à jour", 105, 119, 50, 14, kStyleDefaultButton | kStyleTabStop},
             {kNoControlId, K::Static, "Titre :", 7, 9, 19, 8},
             {kSegmentTitleEditId, K::Edit, "", 65, 7, 40, 14, kLineEdit},
             {kNoControlId, K::Static, "Commentaires :", 7, 27, 49, 8},
             {kSegmentCommentEditId, K::Edit, "", 65, 25, 182, 62, kStyleMultiLine | kStyleVScroll | kStyleBorder | kStyleTabStop},
             {kNoControlId, K::Static, "Début :", 71, 98, 24, 8},
             {kSegmentStartEditId, K::Edit, "", 104, 95, 40, 14, kLineEdit},
             {kNoControlId, K::Static, "Fin :", 182, 98, 14, 8},
             {kSegmentEndEditId, K::Edit, "", 206, 94, 40, 14, kLineEdit},
         }});

    dialogs.push_back({kDelayDialogId, "Délai de réaction", 216, 66, "MS Sans Serif", 8, kPopupDialog,
                       {
                           {kDialogOkButtonId, K::PushButton, "Modifier", 83, 45, 50, 14, kStyleDefaultButton | kStyleTabStop},
                           {kNoControlId, K::Static, "Délai (ms) :", 54, 12, 44, 8},
                           {kDelayEditId, K::Edit, "", 102, 10, 40, 14, kLineEdit},
                           {kNoControlId, K::Static, "Ôté des marques « [ » et « ] » pendant la lecture.", 10, 29, 196, 8},
                       }});

    return dialogs;
}

std::vector<MenuTemplate> MakeMenus()
{
    return {
        {kTrackMenuId,
         "Piste",
         {{kAddTrackCommand, "Ajouter"},
          {kDeleteTrackCommand, "Supprimer"},
          {kEditTrackCommand, "Modifier"},
          {kMoveTrackUpCommand, "Monter"},
          {kMoveTrackDownCommand, "Descendre"}}},
        {kSegmentMenuId, "Segment", {{kEditSegmentCommand, "Modifier"}, {kDeleteSegmentCommand, "Supprimer"}}},
    };
}

template <class Entry>
const Entry& FindById(const std::vector<Entry>& entries, int id, const char* what)
{
    for (const Entry& entry : entries) {
        if (entry.id == id)
            return entry;
    }
    throw std::out_of_range(std::string(what) + " " + std::to_string(id) + " absent des ressources");
}

} // namespace

const ControlTemplate* DialogTemplate::FindControl(int controlId) const
{
    for (const ControlTemplate& control : controls) {
        if (control.id == controlId)
            return &control;
    }
    return nullptr;
}

const std::vector<DialogTemplate>& AllDialogTemplates()
{
    static const std::vector<DialogTemplate> dialogs = MakeDialogs();
    return dialogs;
}

const std::vector<MenuTemplate>& AllMenuTemplates()
{
    static const std::vector<MenuTemplate> menus = MakeMenus();
    return menus;
}

const DialogTemplate& FindDialogTemplate(int id)
{
    return FindById(AllDialogTemplates(), id, "Modèle de dialogue");
}

const MenuTemplate& FindMenuTemplate(int id)
{
    return FindById(AllMenuTemplates(), id, "Menu");
}

std::string LoadResourceString(int id)
{
    static const std::map<int, std::string> strings = {
        {kAboutStringId, "&A propos de Quillmark..."},
        {kNumberExpectedStringId, "Tapez un nombre."},
    };
    const auto it = strings.find(id);
    return it == strings.end() ? std::string() : it->second;
}
