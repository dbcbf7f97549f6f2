// The system's OpenGL 1.1 declarations, and the few later names the drawing layer uses.
#pragma once

#if defined(_WIN32)
#include <windows.h>  // the Windows GL header needs its calling-convention macros
#endif
#include <GL/gl.h>

#ifndef GL_BGRA
#define GL_BGRA 0x80E1
#endif
#define QUORL_GL_TEXTURE_RECTANGLE 0x84F5
#define QUORL_GL_TEXTURE_BINDING_RECTANGLE 0x84F6
#define QUORL_GL_TEXTURE0 0x84C0
#define QUORL_GL_COMBINE 0x8570
#define QUORL_GL_COMBINE_RGB 0x8571
#define QUORL_GL_COMBINE_ALPHA 0x8572
#define QUORL_GL_SOURCE0_RGB 0x8580
#define QUORL_GL_SOURCE1_RGB 0x8581
#define QUORL_GL_SOURCE2_RGB 0x8582
#define QUORL_GL_SOURCE0_ALPHA 0x8588
#define QUORL_GL_SOURCE1_ALPHA 0x8589
#define QUORL_GL_SOURCE2_ALPHA 0x858A
#define QUORL_GL_OPERAND2_RGB 0x8592
#define QUORL_GL_INTERPOLATE 0x8575
#define QUORL_GL_PRIMARY_COLOR 0x8577
#define QUORL_GL_PREVIOUS 0x8578
#ifndef GL_UNPACK_ROW_LENGTH
#define GL_UNPACK_ROW_LENGTH 0x0CF2
#endif
