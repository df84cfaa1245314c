/* Resource and command ids of velpanel.exe.
 * Plain #defines only: the resource compiler reads this file too. */
#ifndef VELPANEL_RESOURCE_IDS_H
#define VELPANEL_RESOURCE_IDS_H

/* Commands, also the toolbar's button ids and the ids of their strings
 * ("text\ntooltip"). */
#define ID_CONFIG               101
#define ID_PLAY                 102
#define ID_ACTIVATE             103
#define ID_TOGGLE               104

/* The toolbar's four button images, 16 x 15 each */
#define IDB_PANEL_BUTTONS       128

/* The application's title: window caption, message boxes, registry key */
#define IDS_APP_TITLE           57344

#endif
