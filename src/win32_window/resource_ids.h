// The numbers of the window program's resources, shared by its resource script and its code.
#pragma once

#define FLASH410_ICON_ID 1
