// The save and load screens. So far only the slot the player picked last; the screens
// themselves come with the save data.
#include "screens/save_screen.h"

uint8_t CurrentSlot;
