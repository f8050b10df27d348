#pragma once

// The ids of the controls and menu commands, named once for the templates
// that define them and for the code that looks them up.

// Main window (dialog 102).
enum MainControlId : int {
    kPlayerId = 1000,
    kTimeBarId = 1001,
    kZoomBarId = 1002,
    kCompanionId = 1003,
    kStartButtonId = 1008,
    kEndButtonId = 1009,
    kOpenVideoId = 1011,
    kChooseFolderId = 1012,
    kTrackBarId = 1022,
    kTimelineFrameId = 1023,
    kSegmentTextId = 1027,
    kOpenAnnotationId = 1035,
    kSaveAnnotationId = 1036,
    kExportButtonId = 1040,
    // "Délai : 300 ms": opens the reaction delay dialog.
    kDelayButtonId = 1045,
};

// Track dialog (134) and segment dialog (135).
enum EditControlId : int {
    kSegmentStartEditId = 1008,
    kSegmentEndEditId = 1009,
    kTrackNameEditId = 1028,
    kDialogOkButtonId = 1029,
    kSegmentTitleEditId = 1031,
    kSegmentCommentEditId = 1032,
    // Reaction delay dialog (137).
    kDelayEditId = 1046,
};

// Commands of the timeline's context menus (menus 132 and 133).
enum MenuCommandId : int {
    kAddTrackCommand = 32771,
    kDeleteTrackCommand = 32772,
    kEditTrackCommand = 32773,
    kMoveTrackUpCommand = 32774,
    kMoveTrackDownCommand = 32775,
    kEditSegmentCommand = 32776,
    kDeleteSegmentCommand = 32778,
};
