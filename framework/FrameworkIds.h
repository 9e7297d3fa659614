// The framework's standard identifiers that Kestrin's resources and code use, under their
// standard names and values, and the ids of the framework's own texts. Plain defines only, so
// the resource script can include it too.
#pragma once

// Resource type of toolbar records (a number, not a MAKEINTRESOURCE pointer, for the script's
// sake).
#define RT_TOOLBAR 241

// Dialog controls that code never addresses.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Status-bar pane that takes the remaining width; also a toolbar separator.
#define ID_SEPARATOR 0

// Application strings.
#define AFX_IDS_APP_TITLE 57344
#define AFX_IDS_IDLEMESSAGE 57345

// File commands.
#define ID_FILE_NEW 57600
#define ID_FILE_OPEN 57601
#define ID_FILE_CLOSE 57602
#define ID_FILE_SAVE 57603
#define ID_FILE_SAVE_AS 57604
#define ID_FILE_PAGE_SETUP 57605
#define ID_FILE_PRINT_SETUP 57606
#define ID_FILE_PRINT 57607
#define ID_FILE_PRINT_DIRECT 57608
#define ID_FILE_PRINT_PREVIEW 57609
#define ID_FILE_MRU_FILE1 57616
#define ID_FILE_MRU_FILE2 57617
#define ID_FILE_MRU_FILE3 57618
#define ID_FILE_MRU_FILE4 57619
#define ID_FILE_MRU_FILE5 57620
#define ID_FILE_MRU_FILE6 57621
#define ID_FILE_MRU_FILE7 57622
#define ID_FILE_MRU_FILE8 57623
#define ID_FILE_MRU_FILE9 57624
#define ID_FILE_MRU_FILE10 57625
#define ID_FILE_MRU_FILE11 57626
#define ID_FILE_MRU_FILE12 57627
#define ID_FILE_MRU_FILE13 57628
#define ID_FILE_MRU_FILE14 57629
#define ID_FILE_MRU_FILE15 57630
#define ID_FILE_MRU_FILE16 57631

// Edit commands.
#define ID_EDIT_CLEAR 57632
#define ID_EDIT_CLEAR_ALL 57633
#define ID_EDIT_COPY 57634
#define ID_EDIT_CUT 57635
#define ID_EDIT_FIND 57636
#define ID_EDIT_PASTE 57637
#define ID_EDIT_REPEAT 57640
#define ID_EDIT_REPLACE 57641
#define ID_EDIT_SELECT_ALL 57642
#define ID_EDIT_UNDO 57643
#define ID_EDIT_REDO 57644

// Window and pane commands.
#define ID_WINDOW_SPLIT 57653
#define ID_NEXT_PANE 57680
#define ID_PREV_PANE 57681

// Application commands.
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665

// Status-bar indicator panes.
#define ID_INDICATOR_EXT 59136
#define ID_INDICATOR_CAPS 59137
#define ID_INDICATOR_NUM 59138
#define ID_INDICATOR_SCRL 59139
#define ID_INDICATOR_OVR 59140
#define ID_INDICATOR_REC 59141

// View commands; they equal the child-window ids of the bars they show and hide.
#define ID_VIEW_TOOLBAR 59392
#define ID_VIEW_STATUS_BAR 59393
#define AFX_IDW_TOOLBAR 0xE800
#define AFX_IDW_STATUS_BAR 0xE801
// Child-window id of the view in its frame.
#define AFX_IDW_PANE_FIRST 0xE900

// Sent by a bar, the print preview or the view to its parent for the frame's message pane: wParam
// is the id of the string whose first field is the prompt, AFX_IDS_IDLEMESSAGE for the idle text.
#define WM_SETMESSAGESTRING 0x0362

// Prompts of the window menu's system commands.
#define AFX_IDS_SCSIZE 61184
#define AFX_IDS_SCMOVE 61185
#define AFX_IDS_SCMINIMIZE 61186
#define AFX_IDS_SCMAXIMIZE 61187
#define AFX_IDS_SCNEXTWINDOW 61188
#define AFX_IDS_SCPREVWINDOW 61189
#define AFX_IDS_SCCLOSE 61190
#define AFX_IDS_SCRESTORE 61202
#define AFX_IDS_SCTASKLIST 61203
#define AFX_IDS_PREVIEW_CLOSE 61445

// The framework's own messages and labels, in its range but clear of the standard ids.
#define AFX_IDS_OPEN_FAILED 62208
#define AFX_IDS_SAVE_FAILED 62209
#define AFX_IDS_CREATE_FAILED 62210
#define AFX_IDS_NO_PRINTER 62211
#define AFX_IDS_PRINT_FAILED 62212
#define AFX_IDS_ALL_FILES_FILTER 62213
#define AFX_IDS_PREVIEW_PRINT_LABEL 62214
#define AFX_IDS_PREVIEW_NEXT_LABEL 62215
#define AFX_IDS_PREVIEW_PREV_LABEL 62216
#define AFX_IDS_PREVIEW_ZOOMIN_LABEL 62217
#define AFX_IDS_PREVIEW_ZOOMOUT_LABEL 62218
#define AFX_IDS_PREVIEW_CLOSE_LABEL 62219
