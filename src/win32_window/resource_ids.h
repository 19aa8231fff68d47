// The numbers of the window program's resources, shared by its resource scripts and its code.
#pragma once

#define FLASH410_ICON_ID 1
// The banner's pictures (bitmaps): at 96 DPI and at twice that.
#define FLASH410_BANNER_ID 2
#define FLASH410_BANNER_2X_ID 3
