// Identifiers of Kestrin's own resources and commands, grouped by kind; the framework's live apart.
#pragma once

#include "FrameworkIds.h"

// Main frame: menu, accelerators, toolbar, toolbar strip, icon and document string.
#define IDR_MAINFRAME 128

// The row menu, a right click on the list opens it.
#define IDR_ROW_MENU 134

// Icons.
#define IDI_DOCUMENT 129

// Bitmaps.
#define IDB_EXTRA 132

// Strings.
#define IDS_ROWS_DROPPED 140
#define IDS_COPY_FAILED 142
#define IDS_LOG_FAILED 141
#define IDS_DEBUG_OUTPUT_TAKEN 143
#define IDS_DEBUG_OUTPUT_FAILED 144
#define IDS_OPEN_FILE_FAILED 145
#define IDS_WRITE_FILE_FAILED 146
#define IDS_NEW_DOCUMENT_TITLE 147
#define IDS_LOG_FILE_TITLE 148
#define IDS_FOLLOW_PAUSED 170
// Hiding rows.
#define IDS_ROWS_HIDDEN 200
#define IDS_SELECTED_PROCESSES 201
#define IDS_HIDE_INSTANCES 202
#define IDS_HIDE_FAILED 203
// The highlight dialog's choices, each list's names one a line in palette order.
#define IDS_HIGHLIGHT_KINDS 210
#define IDS_HIGHLIGHT_FOREGROUNDS 211
#define IDS_HIGHLIGHT_BACKGROUNDS 212
#define IDS_HIGHLIGHT_SEPARATOR 213
#define IDS_HIGHLIGHT_CASE_NOTE 214
// The list's column headings, consecutive in column order.
#define IDS_COLUMN_PROCESS 150
#define IDS_COLUMN_PID 151
#define IDS_COLUMN_TIME 152
#define IDS_COLUMN_MESSAGE 153
// The find bar's texts.
#define IDS_FIND_LABEL 160
#define IDS_FIND_NEXT_LABEL 161
#define IDS_FIND_PREVIOUS_LABEL 162
#define IDS_FIND_MATCH_CASE 163
#define IDS_FIND_COUNT 164
#define IDS_FIND_NONE 165
#define IDS_FIND_WRAPPED_START 166
#define IDS_FIND_WRAPPED_END 167
// The detail pane's note under a cut text.
#define IDS_DETAIL_CUT 190
#define IDS_SYSLOG_UDP_FAILED 220
#define IDS_SYSLOG_TCP_FAILED 221
#define IDS_SYSLOG_BAD_ARGUMENT 222
#define IDS_SYSLOG_BAD_ALLOWED 223
#define IDS_SYSLOG_BAD_ADDRESS 224
#define IDS_SYSLOG_BAD_PORT 225
#define IDS_SYSLOG_ALL_ADDRESSES 226
#define IDS_SYSLOG_REFUSED 227

// Dialogs.
#define IDD_ABOUTBOX 100
#define IDD_FILTER 130
#define IDD_UNUSED 131
// Below the system's file dialog when Log to file asks for its file.
#define IDD_LOG_FILE 133
#define IDD_HIGHLIGHT 135
#define IDD_NETWORK_SOURCES 136

// Dialog controls; each id is unique within its own dialog only.
#define IDC_INCLUDE 1000
#define IDC_EXCLUDE 1001
#define IDC_SAMPLE 1001
// The find bar's controls.
#define IDC_FIND_LABEL 1010
#define IDC_FIND_TEXT 1011
#define IDC_FIND_NEXT 1012
#define IDC_FIND_PREVIOUS 1013
#define IDC_FIND_MATCH_CASE 1014
#define IDC_FIND_STATUS 1015
// The highlight dialog's controls.
#define IDC_HIGHLIGHT_RULES 1030
#define IDC_HIGHLIGHT_ADD 1031
#define IDC_HIGHLIGHT_REMOVE 1032
#define IDC_HIGHLIGHT_UP 1033
#define IDC_HIGHLIGHT_DOWN 1034
#define IDC_HIGHLIGHT_KIND 1035
#define IDC_HIGHLIGHT_TEXT 1036
#define IDC_HIGHLIGHT_CASE 1037
#define IDC_HIGHLIGHT_FOREGROUND 1038
#define IDC_HIGHLIGHT_BACKGROUND 1039
// The detail pane's text.
#define IDC_DETAIL_TEXT 1020
#define IDC_SYSLOG_UDP 1050
#define IDC_SYSLOG_UDP_PORT 1051
#define IDC_SYSLOG_TCP 1052
#define IDC_SYSLOG_TCP_PORT 1053
#define IDC_SYSLOG_ADDRESS 1054
#define IDC_SYSLOG_ALLOWED 1055

// Commands.
#define ID_FILTER 32772
#define ID_CLEAR 32774
#define ID_CAPTURE 32776
#define ID_SAVE_LOG 32777
#define ID_LOG_TO_FILE 32779
#define ID_CAPTURE_DEBUG_OUTPUT 32781
#define ID_VIEW_FOLLOW 32787
#define ID_EDIT_FIND_NEXT 32783
#define ID_EDIT_FIND_PREVIOUS 32784
#define ID_HIDE_PROCESS 32800
#define ID_SHOW_ONLY_PROCESS 32801
#define ID_HIDE_INSTANCE 32802
#define ID_SHOW_ALL 32803
#define ID_HIGHLIGHT 32810
#define ID_HIGHLIGHT_PROCESS 32811
#define ID_NETWORK_SOURCES 32820
// The find bar's child-window id, which is also its View command, as for the other bars.
#define ID_VIEW_FIND_BAR (AFX_IDW_TOOLBAR + 0x10)
#define ID_VIEW_DETAIL_BAR (AFX_IDW_TOOLBAR + 0x11)
// The time column's formats, consecutive in the order of TimeFormat.
#define ID_VIEW_TIME_SECONDS 32790
#define ID_VIEW_TIME_MILLISECONDS 32791
#define ID_VIEW_TIME_SINCE_FIRST 32792
#define ID_VIEW_TIME_SINCE_PREVIOUS 32793
