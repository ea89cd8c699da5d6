// Identifiers of the program's resources and commands, shared by the
// resource script and the code.
#pragma once

// Dialog templates, the icon and menu of the main frame, string ids.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_CODEC_DIALOG 102
#define IDR_MAINFRAME 128
#define IDI_BROWSE_SOURCE 132
#define IDI_BROWSE_FOLDER 133
// The icon of .~mq containers, which the installer's file type points at
// as ",-134": keep the number.
#define IDI_CONTAINER 134

// Controls of the main dialog.
#define IDC_SOURCE_PATH 1000
#define IDC_BROWSE_SOURCE 1001
#define IDC_TARGET_FOLDER 1002
#define IDC_BROWSE_FOLDER 1003
#define IDC_PROGRESS 1007
#define IDC_SOURCE_LABEL 1009
#define IDC_FOLDER_LABEL 1010
#define IDC_PROGRESS_LABEL 1011
// The result line below them, created at run time.
#define IDC_RESULT_LINE 1012

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// The program's own commands; their numbers double as the ids of their
// prompt strings.
#define ID_FILE_ENCODE 32771
#define ID_FILE_DECODE 32772
#define ID_FILE_EXIT 32773
#define ID_HELP_ABOUT 32774
#define ID_EDIT_DELETE 32778
#define ID_EDIT_SELECTALL 32779
// Added to the File menu at run time.
#define ID_FILE_SHOW_IN_FOLDER 32783

// Labels loaded on every mode switch. 32778 and 32779 share their numbers
// with the two Edit commands above.
#define IDS_SOURCE_LABEL_ENCODE 32775
#define IDS_SOURCE_LABEL_DECODE 32776
#define IDS_FOLDER_LABEL_ENCODE 32777
#define IDS_FOLDER_LABEL_DECODE 32778
#define IDS_PROGRESS_LABEL_ENCODE 32779
#define IDS_PROGRESS_LABEL_DECODE 32780
#define IDS_ACTION_ENCODE 32781
#define IDS_ACTION_DECODE 32782
// The Close button's two texts and the run-time File menu item.
#define IDS_CLOSE 32784
#define IDS_STOP 32785
#define IDS_SHOW_IN_FOLDER 32786

// The standard edit and help commands.
#define ID_EDIT_COPY 0xE122
#define ID_EDIT_CUT 0xE123
#define ID_EDIT_PASTE 0xE125
#define ID_EDIT_UNDO 0xE12B
#define ID_HELP 0xE146

// The About item the dialog adds to its system menu.
#define IDM_ABOUTBOX 0x0010
