// The demo's eight pictures, painted from code. Each is sized and composed
// for the place it is shown:
//   texture.jpg  256x256  glowing grid wrapped on the nested additive spheres
//   serce.jpg    300x300  a rose-gold chrome sphere map for the heart mesh
//   ip.jpg       800x678  nebula backdrop behind the spheres and the heart
//   cover.jpg    640x506  intro title card, drawn additively (black = clear)
//   c.jpg        400x316  the pulsing emblem added over the title card
//   credits.jpg  616x400  credits card, added over the fading scene
//   part.jpg      64x64   soft round glow on black for the particles
//   env.jpg      300x200  a cool chrome sphere map (loaded, not shown)
// The picture sizes are not powers of two on purpose: the loader rounds
// them (300 -> 256, 800 -> 1024, 678 -> 512, 400 -> 512, 316 -> 256 ...).
// Aspect ratios match the quads the pictures are drawn on.
#pragma once

#include "tools/datagen/image.h"

// Whether the DejaVu fonts the title cards are lettered with can be loaded;
// without them the cards would come out blank.
bool fonts_available();

Image paint_sphere_texture();
Image paint_heart_sphere_map();
Image paint_backdrop();
Image paint_cover();
Image paint_emblem();
Image paint_credits();
Image paint_particle();
Image paint_env_map();
