// The picture decoder for a build that has none yet: every picture fails to
// load, so load_picture_texture generates no name and each element that uses
// a picture is drawn untextured, as when its file is missing.
#include "assets/picture_decode.h"

bool load_picture_image(const char*, int, PictureImage*) { return false; }
