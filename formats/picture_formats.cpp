#include "formats/picture_formats.h"

void RegisterPictureFormats() {}
