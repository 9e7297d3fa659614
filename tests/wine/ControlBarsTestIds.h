// Identifiers of the control-bar tests' own resources; clear of Kestrin's.
#pragma once

// Toolbar records that LoadToolBar must refuse.
#define IDT_BAD_VERSION 201
#define IDT_SHORT_OF_IDS 202
#define IDT_SHORT_OF_HEADER 203
#define IDT_HUGE_COUNT 204
#define IDT_ZERO_WIDTH 205
#define IDT_NO_BITMAP 206
#define IDT_SHORT_OF_PICTURES 207

// Commands of buttons the tests add, with their strings.
#define ID_LONG_TIP 40001
#define ID_EMPTY_TIP 40002
