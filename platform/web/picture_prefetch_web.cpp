// Prefetching in the browser build: the browser decodes pictures on the
// page's main thread only, when the loader asks, so nothing is decoded
// ahead; every picture is loaded on the spot.
#include "assets/picture_prefetch.h"

void prefetch_pictures(const char* const*, int) {}

bool take_prefetched_picture(const char*, int, PictureImage*) { return false; }

void give_back_prefetched_picture(PictureImage* image) { *image = PictureImage(); }
