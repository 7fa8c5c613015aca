/* The part of OpenGL 1.x that the game's drawing code calls, for the browser
 * build. WebGL has no fixed-function pipeline, no wide or smooth lines and no
 * line stipple, so these calls go to the game's own line renderer
 * (web/line_renderer.cpp), which draws every line as an antialiased quad.
 * This folder comes first on the browser build's include path, so the
 * drawing sources' own "#include <GL/gl.h>" finds this file. */
#pragma once

typedef unsigned int GLenum;
typedef unsigned int GLbitfield;
typedef unsigned int GLuint;
typedef int GLint;
typedef int GLsizei;
typedef unsigned short GLushort;
typedef unsigned char GLboolean;
typedef float GLfloat;
typedef float GLclampf;
typedef double GLdouble;
typedef void GLvoid;

#define GL_LINES 0x0001
#define GL_FLOAT 0x1406
#define GL_COLOR_BUFFER_BIT 0x00004000
#define GL_BLEND 0x0BE2
#define GL_LINE_SMOOTH 0x0B20
#define GL_LINE_STIPPLE 0x0B24
#define GL_VERTEX_ARRAY 0x8074
#define GL_MODELVIEW 0x1700
#define GL_PROJECTION 0x1701
#define GL_SRC_ALPHA 0x0302
#define GL_ONE 1

/* The renderer's own names, so that they never meet WebGL's functions of the
 * same name at link time. */
#define glEnable web_glEnable
#define glDisable web_glDisable
#define glEnableClientState web_glEnableClientState
#define glLineWidth web_glLineWidth
#define glLineStipple web_glLineStipple
#define glClearColor web_glClearColor
#define glClear web_glClear
#define glViewport web_glViewport
#define glMatrixMode web_glMatrixMode
#define glLoadIdentity web_glLoadIdentity
#define glOrtho web_glOrtho
#define glPushMatrix web_glPushMatrix
#define glPopMatrix web_glPopMatrix
#define glTranslatef web_glTranslatef
#define glScalef web_glScalef
#define glBlendFunc web_glBlendFunc
#define glColor4fv web_glColor4fv
#define glVertexPointer web_glVertexPointer
#define glDrawArrays web_glDrawArrays

#ifdef __cplusplus
extern "C" {
#endif
void glEnable(GLenum cap);
void glDisable(GLenum cap);
void glEnableClientState(GLenum array);
void glLineWidth(GLfloat width);
void glLineStipple(GLint factor, GLushort pattern);
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a);
void glClear(GLbitfield mask);
void glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void glMatrixMode(GLenum mode);
void glLoadIdentity(void);
void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near_val,
             GLdouble far_val);
void glPushMatrix(void);
void glPopMatrix(void);
void glTranslatef(GLfloat x, GLfloat y, GLfloat z);
void glScalef(GLfloat x, GLfloat y, GLfloat z);
void glBlendFunc(GLenum sfactor, GLenum dfactor);
void glColor4fv(const GLfloat* v);
void glVertexPointer(GLint size, GLenum type, GLsizei stride, const GLvoid* pointer);
void glDrawArrays(GLenum mode, GLint first, GLsizei count);
#ifdef __cplusplus
}
#endif
