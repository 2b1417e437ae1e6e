// Resource ids of keydeck.exe, shared by the resource script and the code.
#pragma once

#define IDI_KEYDECK 1
// The LED strip's tray icon.
#define IDI_LED_TRAY 2
// The LED strip's picture, 160 x 45.
#define IDB_LED_STRIP 10
// The Channel Setting pictures, 500 x 400: IDB_CHANNEL_FIRST + the
// picture's index in the language table's order (common, CHNT, CHNS, ...).
#define IDB_CHANNEL_FIRST 100
// The string table: block base 100 * language index, row offsets below.
#define IDS_MENU_TITLE 0
#define IDS_PRODUCT_NAME 44
