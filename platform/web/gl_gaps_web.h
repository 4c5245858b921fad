// What WebGL's legacy-GL emulation lacks of the GL the show draws with,
// made up for in the browser build: sphere-map texture-coordinate
// generation, worked out per vertex on the CPU as GL specifies it. The
// emulation ignores the texgen switches and cannot generate coordinates, so
// the calls that take part are routed here (platform/gl.h includes this in
// the browser build only); everything else goes straight to the emulation.
// Texture uploads are also routed here: WebGL takes only an internal format
// equal to the pixels' format, in bytes, where desktop GL converts (the
// component counts 3 and 4, RGBA pixels into an RGB texture, 32-bit
// channels), and WebGL, always perspective-correct, has no hint for it. A
// copy from the frame into a texture level it already defined the same way
// (the capture pass, every frame) becomes a copy into that image: WebGL's
// GL gives a redefined texture new storage each time. The GLU quadric
// sphere is in glu_sphere_web.cpp.
#pragma once

#include <GL/gl.h>

void zarnic_web_tex_gen_i(GLenum coord, GLenum pname, GLint param);
void zarnic_web_enable(GLenum capability);
void zarnic_web_disable(GLenum capability);
GLboolean zarnic_web_is_enabled(GLenum capability);
void zarnic_web_begin(GLenum mode);
void zarnic_web_normal_3f(GLfloat x, GLfloat y, GLfloat z);
void zarnic_web_tex_coord_2f(GLfloat s, GLfloat t);
void zarnic_web_vertex_3f(GLfloat x, GLfloat y, GLfloat z);
void zarnic_web_hint(GLenum target, GLenum mode);
void zarnic_web_tex_image_2d(GLenum target, GLint level, GLint internal_format, GLsizei width, GLsizei height,
                             GLint border, GLenum format, GLenum type, const void* pixels);
void zarnic_web_copy_tex_image_2d(GLenum target, GLint level, GLenum internal_format, GLint x, GLint y, GLsizei width,
                                  GLsizei height, GLint border);
void zarnic_web_delete_textures(GLsizei count, const GLuint* textures);

#ifndef ZARNIC_GL_GAPS_IMPLEMENTATION
#define glTexGeni zarnic_web_tex_gen_i
#define glEnable zarnic_web_enable
#define glDisable zarnic_web_disable
#define glIsEnabled zarnic_web_is_enabled
#define glBegin zarnic_web_begin
#define glNormal3f zarnic_web_normal_3f
#define glTexCoord2f zarnic_web_tex_coord_2f
#define glVertex3f zarnic_web_vertex_3f
#define glTexImage2D zarnic_web_tex_image_2d
#define glCopyTexImage2D zarnic_web_copy_tex_image_2d
#define glDeleteTextures zarnic_web_delete_textures
#define glHint zarnic_web_hint
#endif
