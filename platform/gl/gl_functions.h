// The OpenGL entry points that the 3D board and the DirectDraw layer draw
// with, loaded through SDL once a context is current (a core profile exports
// nothing to link against).
#pragma once

#include <GL/glcorearb.h>

#define KELV_GL_FUNCTIONS(X) \
  X(PFNGLGETSTRINGPROC, glGetString)                                \
  X(PFNGLENABLEPROC, glEnable)                                      \
  X(PFNGLDISABLEPROC, glDisable)                                    \
  X(PFNGLVIEWPORTPROC, glViewport)                                  \
  X(PFNGLSCISSORPROC, glScissor)                                    \
  X(PFNGLCLEARCOLORPROC, glClearColor)                              \
  X(PFNGLCLEARDEPTHPROC, glClearDepth)                              \
  X(PFNGLCLEARPROC, glClear)                                        \
  X(PFNGLDEPTHMASKPROC, glDepthMask)                                \
  X(PFNGLDEPTHFUNCPROC, glDepthFunc)                                \
  X(PFNGLBLENDFUNCSEPARATEPROC, glBlendFuncSeparate)                \
  X(PFNGLCULLFACEPROC, glCullFace)                                  \
  X(PFNGLFRONTFACEPROC, glFrontFace)                                \
  X(PFNGLGENTEXTURESPROC, glGenTextures)                            \
  X(PFNGLDELETETEXTURESPROC, glDeleteTextures)                      \
  X(PFNGLBINDTEXTUREPROC, glBindTexture)                            \
  X(PFNGLTEXIMAGE2DPROC, glTexImage2D)                              \
  X(PFNGLTEXSUBIMAGE2DPROC, glTexSubImage2D)                        \
  X(PFNGLTEXPARAMETERIPROC, glTexParameteri)                        \
  X(PFNGLACTIVETEXTUREPROC, glActiveTexture)                        \
  X(PFNGLPIXELSTOREIPROC, glPixelStorei)                            \
  X(PFNGLREADPIXELSPROC, glReadPixels)                              \
  X(PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers)                    \
  X(PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers)              \
  X(PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer)                    \
  X(PFNGLFRAMEBUFFERTEXTURE2DPROC, glFramebufferTexture2D)          \
  X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, glFramebufferRenderbuffer)    \
  X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, glCheckFramebufferStatus)      \
  X(PFNGLGENRENDERBUFFERSPROC, glGenRenderbuffers)                  \
  X(PFNGLDELETERENDERBUFFERSPROC, glDeleteRenderbuffers)            \
  X(PFNGLBINDRENDERBUFFERPROC, glBindRenderbuffer)                  \
  X(PFNGLRENDERBUFFERSTORAGEPROC, glRenderbufferStorage)            \
  X(PFNGLGENBUFFERSPROC, glGenBuffers)                              \
  X(PFNGLDELETEBUFFERSPROC, glDeleteBuffers)                        \
  X(PFNGLBINDBUFFERPROC, glBindBuffer)                              \
  X(PFNGLBUFFERDATAPROC, glBufferData)                              \
  X(PFNGLMAPBUFFERRANGEPROC, glMapBufferRange)                      \
  X(PFNGLUNMAPBUFFERPROC, glUnmapBuffer)                            \
  X(PFNGLGENVERTEXARRAYSPROC, glGenVertexArrays)                    \
  X(PFNGLDELETEVERTEXARRAYSPROC, glDeleteVertexArrays)              \
  X(PFNGLBINDVERTEXARRAYPROC, glBindVertexArray)                    \
  X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer)            \
  X(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray)    \
  X(PFNGLDISABLEVERTEXATTRIBARRAYPROC, glDisableVertexAttribArray)  \
  X(PFNGLVERTEXATTRIB4FPROC, glVertexAttrib4f)                      \
  X(PFNGLDRAWARRAYSPROC, glDrawArrays)                              \
  X(PFNGLCREATESHADERPROC, glCreateShader)                          \
  X(PFNGLSHADERSOURCEPROC, glShaderSource)                          \
  X(PFNGLCOMPILESHADERPROC, glCompileShader)                        \
  X(PFNGLGETSHADERIVPROC, glGetShaderiv)                            \
  X(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog)                  \
  X(PFNGLDELETESHADERPROC, glDeleteShader)                          \
  X(PFNGLCREATEPROGRAMPROC, glCreateProgram)                        \
  X(PFNGLATTACHSHADERPROC, glAttachShader)                          \
  X(PFNGLLINKPROGRAMPROC, glLinkProgram)                            \
  X(PFNGLGETPROGRAMIVPROC, glGetProgramiv)                          \
  X(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog)                \
  X(PFNGLDELETEPROGRAMPROC, glDeleteProgram)                        \
  X(PFNGLUSEPROGRAMPROC, glUseProgram)                              \
  X(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation)              \
  X(PFNGLUNIFORM1IPROC, glUniform1i)                                \
  X(PFNGLUNIFORM1FPROC, glUniform1f)                                \
  X(PFNGLUNIFORM2FPROC, glUniform2f)                                \
  X(PFNGLUNIFORM3FPROC, glUniform3f)                                \
  X(PFNGLUNIFORM4FPROC, glUniform4f)                                \
  X(PFNGLUNIFORM3IPROC, glUniform3i)                                \
  X(PFNGLUNIFORM1FVPROC, glUniform1fv)                              \
  X(PFNGLGENSAMPLERSPROC, glGenSamplers)                            \
  X(PFNGLDELETESAMPLERSPROC, glDeleteSamplers)                      \
  X(PFNGLBINDSAMPLERPROC, glBindSampler)                            \
  X(PFNGLSAMPLERPARAMETERIPROC, glSamplerParameteri)                \
  X(PFNGLGENQUERIESPROC, glGenQueries)                              \
  X(PFNGLDELETEQUERIESPROC, glDeleteQueries)                        \
  X(PFNGLBEGINQUERYPROC, glBeginQuery)                              \
  X(PFNGLENDQUERYPROC, glEndQuery)                                  \
  X(PFNGLGETQUERYOBJECTUIVPROC, glGetQueryObjectuiv)                \
  X(PFNGLFINISHPROC, glFinish)                                      \
  X(PFNGLFLUSHPROC, glFlush)                                        \
  X(PFNGLCOLORMASKPROC, glColorMask)                                \
  X(PFNGLBLENDFUNCPROC, glBlendFunc)                                \
  X(PFNGLPROVOKINGVERTEXPROC, glProvokingVertex)                    \
  X(PFNGLBUFFERSUBDATAPROC, glBufferSubData)                       

namespace kgl {
#define KELV_GL_DECLARE(type, name) extern type name;
KELV_GL_FUNCTIONS(KELV_GL_DECLARE)
#undef KELV_GL_DECLARE

// Loads every entry point of the current context; false, each missing one
// named on standard error, when one is not there.
bool LoadFunctions();
}  // namespace kgl
