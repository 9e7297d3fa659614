// Identifiers of the control-bar tests' own resources; clear of Kestrin's.
#pragma once

// Toolbar records that LoadToolBar must refuse.
#define IDT_BAD_VERSION 201
#define IDT_SHORT_OF_IDS 202
#define IDT_SHORT_OF_HEADER 203
#define IDT_ZERO_WIDTH 204
#define IDT_NO_BITMAP 205
#define IDT_SHORT_OF_IMAGES 206
#define IDT_NO_RECORD 207 // none at all

// A command whose tip is longer than a tool tip's own buffer.
#define ID_LONG_TIP 40001
