// Dialog templates of the skinned windows (res/dialogs.rc).
#pragma once

#define IDD_VELMORA_MAIN 102  // main window: visible borderless popup with a taskbar button
#define IDD_SKIN_TOOL 107     // skinned tool windows
#define IDD_SKIN_LED 153      // LED lighting window
