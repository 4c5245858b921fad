// Decoding pictures ahead of their GL upload, on one worker thread, so that
// the decoding overlaps what the main thread does before it needs them
// (opening the window). Only decoding moves: the uploads stay on the main
// thread, in their order, and a prefetched picture is used only when it was
// decoded from the very bytes the file holds when it is asked for, so the
// texture is the one a decode on the spot would give.
#pragma once

#include "assets/picture_decode.h"

// At most this many pictures are prefetched; further paths are ignored.
constexpr int max_prefetched_pictures = 16;

// Starts decoding the pictures at paths, relative to the working directory
// as it is now, on a worker thread, in the order given. Pictures already
// prefetched and not yet taken are dropped first. The worker is joined at the
// latest when the process exits.
void prefetch_pictures(const char* const* paths, int count);

// Hands over the prefetched picture for path if there is one, decoded from
// the bytes the file holds now, for a texture size max_texture_size allows;
// waits for the worker to reach it first. Each prefetched picture is handed
// over at most once. False when there is none: the caller decodes it itself.
bool take_prefetched_picture(const char* path, int max_texture_size, PictureImage* out);

// Gives a picture handed over by take_prefetched_picture back once it is
// uploaded, so the worker frees its memory; image is left empty. Without a
// worker to take it, the memory is freed here.
void give_back_prefetched_picture(PictureImage* image);
