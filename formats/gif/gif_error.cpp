#include "formats/gif/gif_error.h"

void RaiseGIF(const char* text) {
    throw GIFException(text);
}
