/* Resource and command ids of velora.scr.
 * Plain #defines only: the resource compiler reads this file too. */
#ifndef VELORA_RESOURCE_IDS_H
#define VELORA_RESOURCE_IDS_H

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

/* Dialog templates */
#define IDD_ABOUT               100
#define IDD_SETUP               102
#define IDD_ADD_PLAYLIST        129
#define IDD_OPTIONS             137
#define IDD_MOVIE_LOCATION      138

/* Setup dialog controls */
#define IDC_PLAYLIST_TREE       1000
#define IDC_ADD_PLAYLIST        1002
#define IDC_OPTIONS             1005
#define IDC_ADD_MOVIE           1011
#define IDC_ABOUT               1019
#define IDC_SET                 1022
#define IDC_NOW_PLAYING         1029

/* Add Playlist and Movie Location dialog controls */
#define IDC_PLAYLIST_NAME       1007
#define IDC_MOVIE_LOCATION      1021

/* Options dialog controls */
#define IDC_REVERSE             1009
#define IDC_MUTE                1012
#define IDC_ZOOM_50             1013
#define IDC_ZOOM_100            1014
#define IDC_ZOOM_200            1015
#define IDC_ZOOM_FIT            1036
#define IDC_SPEED               1016
#define IDC_POSITION_RANDOM     1034
#define IDC_POSITION_CENTERED   1035

/* Context menus: pop-up 0 for movies, pop-up 1 for playlists and the root */
#define IDR_CONTEXT_MENUS       135
#define CONTEXT_MENU_MOVIE      0
#define CONTEXT_MENU_FOLDER     1

/* Commands */
#define CMD_SYSMENU_ABOUT       16
#define CMD_DELETE_SELECTED     32771
#define CMD_ITEM_DELETE         32773
#define CMD_ITEM_PREVIEW        32774
#define CMD_ITEM_RENAME         32775
#define CMD_ITEM_LOCATION       32777

/* Accelerators of the setup dialog (Delete key) */
#define IDR_SETUP_ACCELERATORS  133

/* Icon, cursor and bitmaps */
#define IDI_APP                 1
#define IDR_INVISIBLE_CURSOR    129
#define IDB_TREE_IMAGES         132
/* The preview's marquee alternates between two light patterns;
 * frame 0 (145) is shown first. */
#define IDB_MARQUEE_FRAME1      144
#define IDB_MARQUEE_FRAME0      145

/* Tree images inside IDB_TREE_IMAGES (16 pixels each) */
#define TREE_IMAGE_CLOSED_FOLDER 0
#define TREE_IMAGE_OPEN_FOLDER   1
#define TREE_IMAGE_MOVIE         2
#define TREE_IMAGE_MISSING       3
#define TREE_IMAGE_COUNT         4

/* Strings */
#define IDS_DESCRIPTION         1
#define IDS_ABOUT_MENU          101
#define IDS_NOT_STANDALONE      102
#define IDS_PLAY_LISTS          105
#define IDS_ADD_MOVIES_TITLE    106
#define IDS_NO_MOVIES           107

#endif
