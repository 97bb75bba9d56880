// Resource ids of the window bars.
#pragma once

#define IDC_TOOLBOX_PLACE 11227
#define IDC_TOOLBOX_MOVE 11229
#define IDD_ZOOM 10121
#define IDC_ZOOM_PERCENT 10122
