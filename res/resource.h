// Resource ids of the program's own resource script (dialog templates: dialog_ids.h).
#pragma once

#define IDI_VELMORA 128
#define IDI_NORVANE 129
#define IDI_TALWYN 130

// Notification-area menu: its first submenu holds "Show" and "Close".
#define IDR_TRAY_MENU 142
#define ID_TRAY_CLOSE 32772
#define ID_TRAY_SHOW 32773
