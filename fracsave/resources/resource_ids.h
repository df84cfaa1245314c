// Control ids of the fractal saver's dialogs (shared by the templates and the code).
#pragma once

// DLG_SCRNSAVECONFIGURE
#define IDC_SET_PASSWORD 201
#define IDC_PW_PROTECTED 202
#define IDC_FAST_GEN 203
#define IDC_SHIFT_PAL 204
#define IDC_RAND_CORNERS 205
#define IDC_ALTER_CORNERS 206
#define IDC_SHOW_GEN 207

// DLG_ENTERPASSWORD
#define IDC_PASSWORD 201

// DLG_CHANGEPASSWORD
#define IDC_OLD_PASSWORD_LABEL 200
#define IDC_OLD_PASSWORD 201
#define IDC_NEW_PASSWORD 202
#define IDC_RETYPE_PASSWORD 203
#define IDC_PASSWORD_HELP 204
