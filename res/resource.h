// Resource identifiers of the tool.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_MAIN_SHELL 102
#define IDD_MAIN_CONTENT 137

// Artwork (res/images.rc)
#define IDB_MAIN_FRAME 138
#define IDB_MAIN_BACKGROUND 139
