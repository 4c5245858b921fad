// Prefetching on the Windows build: the OLE picture service decodes and
// stretches a picture in one step inside load_picture_texture, so there is
// nothing to decode ahead; every picture is loaded on the spot.
#include "assets/picture_prefetch.h"

void prefetch_pictures(const char* const*, int) {}

bool take_prefetched_picture(const char*, int, PictureImage*) { return false; }

void give_back_prefetched_picture(PictureImage* image) { *image = PictureImage(); }
