// Resource ids of keydeck.exe, shared by the resource script and the code.
#pragma once

#define IDI_KEYDECK 1
// The string table: block base 100 * language index, row offsets below.
#define IDS_MENU_TITLE 0
#define IDS_PRODUCT_NAME 44
