#include "HeadlessGl.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>
#include <GL/glext.h>

#include "GlProc.h"

namespace {

struct Framebuffer {
    GLuint framebuffer;
    GLuint colour;
    GLuint depth;
    int width;
    int height;
};

Framebuffer target;
PFNGLGENFRAMEBUFFERSEXTPROC genFramebuffers;
PFNGLBINDFRAMEBUFFEREXTPROC bindFramebuffer;
PFNGLDELETEFRAMEBUFFERSEXTPROC deleteFramebuffers;
PFNGLGENRENDERBUFFERSEXTPROC genRenderbuffers;
PFNGLBINDRENDERBUFFEREXTPROC bindRenderbuffer;
PFNGLRENDERBUFFERSTORAGEEXTPROC renderbufferStorage;
PFNGLDELETERENDERBUFFERSEXTPROC deleteRenderbuffers;
PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC framebufferRenderbuffer;
PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC checkFramebufferStatus;

bool fetchFramebufferEntries() {
    return fetchGlEntry(genFramebuffers, "glGenFramebuffersEXT") &&
           fetchGlEntry(bindFramebuffer, "glBindFramebufferEXT") &&
           fetchGlEntry(deleteFramebuffers, "glDeleteFramebuffersEXT") &&
           fetchGlEntry(genRenderbuffers, "glGenRenderbuffersEXT") &&
           fetchGlEntry(bindRenderbuffer, "glBindRenderbufferEXT") &&
           fetchGlEntry(renderbufferStorage, "glRenderbufferStorageEXT") &&
           fetchGlEntry(deleteRenderbuffers, "glDeleteRenderbuffersEXT") &&
           fetchGlEntry(framebufferRenderbuffer, "glFramebufferRenderbufferEXT") &&
           fetchGlEntry(checkFramebufferStatus, "glCheckFramebufferStatusEXT");
}

GLuint makeRenderbuffer(GLenum format, int width, int height) {
    GLuint name = 0;
    genRenderbuffers(1, &name);
    bindRenderbuffer(GL_RENDERBUFFER_EXT, name);
    renderbufferStorage(GL_RENDERBUFFER_EXT, format, width, height);
    return name;
}

}  // namespace

bool headlessGlOpen(int width, int height) {
    if (width < 1 || height < 1 || !headlessGlCreateContext())
        return false;
    // The loader and the scene find their entry points through this context's lookup.
    setGlProcLookup(headlessGlProc);
    if (!fetchFramebufferEntries()) {
        headlessGlDestroyContext();
        return false;
    }
    target = {};
    target.width = width;
    target.height = height;
    target.colour = makeRenderbuffer(GL_RGBA8, width, height);
    target.depth = makeRenderbuffer(GL_DEPTH_COMPONENT24, width, height);
    genFramebuffers(1, &target.framebuffer);
    bindFramebuffer(GL_FRAMEBUFFER_EXT, target.framebuffer);
    framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT, target.colour);
    framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, target.depth);
    if (checkFramebufferStatus(GL_FRAMEBUFFER_EXT) != GL_FRAMEBUFFER_COMPLETE_EXT) {
        headlessGlClose();
        return false;
    }
    glViewport(0, 0, width, height);
    return true;
}

void headlessGlClose() {
    if (target.framebuffer) {
        bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
        deleteFramebuffers(1, &target.framebuffer);
        deleteRenderbuffers(1, &target.colour);
        deleteRenderbuffers(1, &target.depth);
    }
    target = {};
    headlessGlDestroyContext();
}

void headlessGlReadPixels(uint8_t* rgba) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, target.width, target.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}
