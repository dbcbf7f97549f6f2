#include "dxblit/GLDevice.h"

#include <cstring>
#include <exception>

#include "dxblit/Exception.h"
#include "dxblit/GLCheck.h"
#include "dxblit/GLTexture.h"
#include "dxblit/Scene.h"
#include "dxblit/Shader.h"
#include "dxblit/native/GLHeaders.h"
#include "platform/DebugOutput.h"
#include "platform/MessageBox.h"

namespace DXBlit {

namespace {

// Shown once per loaded module: later attempts fail quietly and the window paints black.
bool extensionMessagePending = true;

const char* const kExtensionMessage =
    "Multitexturing with texture-env-combine not support by OpenGL.\n"
    "Some very old hardware simply doesn't support this feature.\n\n"
    "Otherwise, if you're running the latest drivers for your graphics card\n"
    "please report this error with your system details (GPU and OS)\n";

// A missing texture shows as opaque red, green, yellow and blue quadrants.
const uint32_t kCheckerPixels[16] = {
    0xFFFF0000, 0xFFFF0000, 0xFF00FF00, 0xFF00FF00, 0xFFFF0000, 0xFFFF0000, 0xFF00FF00, 0xFF00FF00,
    0xFFFFFF00, 0xFFFFFF00, 0xFF0000FF, 0xFF0000FF, 0xFFFFFF00, 0xFFFFFF00, 0xFF0000FF, 0xFF0000FF,
};

bool hasExtension(const char* extensions, const char* name) {
  return extensions && std::strstr(extensions, name) != nullptr;
}

unsigned roundUpToPowerOfTwo(unsigned value) {
  unsigned result = 1;
  while (result < value && result < 0x80000000u) result <<= 1;
  return result;
}

}  // namespace

// --- current-context scope ---

GLDevice::CurrentScope::CurrentScope(GLDevice& device)
    : device(device), unwinding(std::uncaught_exceptions()) {
  if (device.nesting == 0 && !device.binding->makeCurrent()) glCheckFailed(114);
  ++device.nesting;
}

GLDevice::CurrentScope::~CurrentScope() noexcept(false) {
  if (--device.nesting != 0) return;
  glGetError();  // the error flag is never inspected; leave it clear for the host
  if (!device.binding->restorePrevious()) {
    if (std::uncaught_exceptions() > unwinding)
      Platform::debugOutput(
          "Harrowmint GL: check failed at line 127 (please report this bug).\r\n");
    else
      glCheckFailed(127);
  }
}

// --- lifecycle ---

GLDevice::GLDevice(std::unique_ptr<GLContextBinding> contextBinding, GLDeviceOptions options)
    : binding(std::move(contextBinding)) {
  try {
    CurrentScope scope(*this);
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!hasExtension(extensions, "GL_ARB_multitexture") ||
        !(hasExtension(extensions, "GL_ARB_texture_env_combine") ||
          hasExtension(extensions, "GL_EXT_texture_env_combine"))) {
      if (extensionMessagePending) {
        extensionMessagePending = false;
        Platform::messageBox(kExtensionMessage, "Harrowmint GL error",
                             Platform::kMbTaskModal | Platform::kMbIconError);
      }
      throw Exception();
    }
    glMultiTexCoord2fARB =
        reinterpret_cast<MultiTexCoord2f>(binding->procAddress("glMultiTexCoord2fARB"));
    if (!glMultiTexCoord2fARB) glCheckFailed(251);
    glActiveTextureARB =
        reinterpret_cast<ActiveTexture>(binding->procAddress("glActiveTextureARB"));
    if (!glActiveTextureARB) glCheckFailed(252);

    rectangleTextures =
        options.allowRectangleTextures && (hasExtension(extensions, "GL_ARB_texture_rectangle") ||
                                           hasExtension(extensions, "GL_EXT_texture_rectangle"));
    target = rectangleTextures ? QUORL_GL_TEXTURE_RECTANGLE : GL_TEXTURE_2D;
    bindingQuery = rectangleTextures ? QUORL_GL_TEXTURE_BINDING_RECTANGLE : GL_TEXTURE_BINDING_2D;
    glEnable(target);

    StaticTexture* checker = createStaticTexture(4, 4);
    defaultTexture = static_cast<GLStaticTexture*>(checker);
    defaultTexture->update(kCheckerPixels, 4, 0, 0, 4, 4);
  } catch (...) {
    if (defaultTexture) defaultTexture->release();
    defaultTexture = nullptr;
    releaseContext();
    throw;
  }
}

void GLDevice::releaseContext() {
  try {
    if (binding && !binding->destroy()) glCheckFailed(294);
  } catch (const Exception&) {
    // Nothing more can be done about a context the system will not delete.
  }
}

GLDevice::~GLDevice() {
  if (defaultTexture) defaultTexture->release();
  releaseContext();
  binding.reset();  // gives the window's drawable back
  if (textureCount != 0)
    Platform::debugOutput("Harrowmint GL stats.textures non-zero; possible leak.\r\n");
}

// --- textures ---

StaticTexture* GLDevice::createStaticTexture(unsigned width, unsigned height) {
  CurrentScope scope(*this);
  GLuint name = 0;
  glGenTextures(1, &name);
  if (!rectangleTextures) {
    width = roundUpToPowerOfTwo(width);
    height = roundUpToPowerOfTwo(height);
  }
  auto* texture = new GLStaticTexture(*this, name, width, height);
  ++textureCount;
  GLint bound = 0;
  glGetIntegerv(bindingQuery, &bound);
  glBindTexture(target, name);
  glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(target, 0, GL_RGBA, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0,
               GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  glBindTexture(target, static_cast<GLuint>(bound));
  return texture;
}

void GLTexture::release() {
  try {
    GLDevice::CurrentScope scope(*device);
    glBindTexture(device->textureTarget(), 0);
    glDeleteTextures(1, &name);
    device->textureReleased();
  } catch (const Exception&) {
    // The device could not be made current; the texture object goes all the same.
  }
  delete this;
}

void GLStaticTexture::update(const uint32_t* pixels, unsigned pitch, unsigned x, unsigned y,
                             unsigned updateWidth, unsigned updateHeight) {
  GLDevice::CurrentScope scope(*device);
  GLint bound = 0;
  glGetIntegerv(device->textureBindingQuery(), &bound);
  glBindTexture(device->textureTarget(), name);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(pitch));
  // Clipped to the texture; a corner outside it leaves nothing to write.
  updateWidth = x < width ? (updateWidth < width - x ? updateWidth : width - x) : 0;
  updateHeight = y < height ? (updateHeight < height - y ? updateHeight : height - y) : 0;
  if (updateWidth && updateHeight)
    glTexSubImage2D(device->textureTarget(), 0, static_cast<GLint>(x), static_cast<GLint>(y),
                    static_cast<GLsizei>(updateWidth), static_cast<GLsizei>(updateHeight), GL_BGRA,
                    GL_UNSIGNED_BYTE, pixels);
  glBindTexture(device->textureTarget(), static_cast<GLuint>(bound));
}

// --- drawing ---

void GLDevice::render(Scene& scene, float scale) {
  CurrentScope scope(*this);
  int width = 0, height = 0;
  binding->clientSize(width, height);
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width / double{scale}, height / double{scale}, 0, 0, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glClearColor(0.0f, 0.2f, 0.2f, 0.2f);
  glClear(GL_COLOR_BUFFER_BIT);
  currentShader = nullptr;
  scene.draw(*this);
  binding->swapBuffers();
}

void GLDevice::readPixels(int x, int y, int width, int height, uint32_t* out) {
  CurrentScope scope(*this);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  // The frame just presented is still in the back buffer with the swap of every GL this runs
  // on here; where it is not (all zero words, even alpha, which a frame never is), the front
  // buffer holds it.
  glReadBuffer(GL_BACK);
  glReadPixels(x, y, width, height, GL_BGRA, GL_UNSIGNED_BYTE, out);
  bool found = false;
  for (std::size_t i = 0; i < count && !found; ++i) found = out[i] != 0;
  if (!found) {
    glReadBuffer(GL_FRONT);
    glReadPixels(x, y, width, height, GL_BGRA, GL_UNSIGNED_BYTE, out);
  }
}

Shader* GLDevice::setShader(Shader* shader) {
  Shader* previous = currentShader;
  currentShader = shader;
  dirty = true;
  return previous;
}

void GLDevice::setCombine(unsigned rgbOp, unsigned src0, unsigned src1, unsigned alphaOp,
                          unsigned alphaSrc0, unsigned alphaSrc1) {
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, QUORL_GL_COMBINE);
  glTexEnvi(GL_TEXTURE_ENV, QUORL_GL_COMBINE_RGB, static_cast<GLint>(rgbOp));
  glTexEnvi(GL_TEXTURE_ENV, QUORL_GL_SOURCE0_RGB, static_cast<GLint>(src0));
  glTexEnvi(GL_TEXTURE_ENV, QUORL_GL_SOURCE1_RGB, static_cast<GLint>(src1));
  glTexEnvi(GL_TEXTURE_ENV, QUORL_GL_COMBINE_ALPHA, static_cast<GLint>(alphaOp));
  glTexEnvi(GL_TEXTURE_ENV, QUORL_GL_SOURCE0_ALPHA, static_cast<GLint>(alphaSrc0));
  glTexEnvi(GL_TEXTURE_ENV, QUORL_GL_SOURCE1_ALPHA, static_cast<GLint>(alphaSrc1));
}

void GLDevice::enableUnit(int unit, GLTexture& texture) {
  glActiveTextureARB(QUORL_GL_TEXTURE0 + static_cast<unsigned>(unit));
  glEnable(target);
  glBindTexture(target, texture.glName());
}

void GLDevice::disableUnit(int unit) {
  glActiveTextureARB(QUORL_GL_TEXTURE0 + static_cast<unsigned>(unit));
  glDisable(target);
}

void GLDevice::applyState(BlendMode blend, CombineMode combine, Texture* texture0,
                          Texture* texture1) {
  GLTexture* fallback = defaultTexture;
  GLTexture* first = texture0 ? dynamic_cast<GLTexture*>(texture0) : nullptr;
  GLTexture* second = texture1 ? dynamic_cast<GLTexture*>(texture1) : nullptr;
  if (!first) first = fallback;
  if (!second) second = fallback;

  // Asked of the textures as given: a GL texture is a Texture twice over (as a static texture
  // and as a GL one), and its creator set the density on the first.
  const float density0 = texture0 && first != fallback ? texture0->texelDensity() : 1.0f;
  const float density1 = texture1 && second != fallback ? texture1->texelDensity() : 1.0f;
  if (rectangleTextures) {
    scale[0][0] = scale[0][1] = density0;
    scale[1][0] = scale[1][1] = density1;
  } else {
    scale[0][0] = density0 / static_cast<float>(first->allocatedWidth());
    scale[0][1] = density0 / static_cast<float>(first->allocatedHeight());
    scale[1][0] = density1 / static_cast<float>(second->allocatedWidth());
    scale[1][1] = density1 / static_cast<float>(second->allocatedHeight());
  }

  const unsigned texture = GL_TEXTURE, previous = QUORL_GL_PREVIOUS;
  const unsigned colour = QUORL_GL_PRIMARY_COLOR;
  switch (combine) {
    case CombineColor:
      disableUnit(0);
      disableUnit(1);
      disableUnit(2);
      break;
    case CombineTexture:
      enableUnit(0, *first);
      setCombine(GL_MODULATE, texture, previous, GL_MODULATE, texture, previous);
      disableUnit(1);
      disableUnit(2);
      break;
    case CombineSubpixel:
      enableUnit(0, *first);
      setCombine(GL_MODULATE, previous, texture, GL_REPLACE, previous, texture);
      disableUnit(1);
      disableUnit(2);
      break;
    case CombineTwoTextures:
      enableUnit(0, *first);
      setCombine(GL_MODULATE, texture, previous, GL_MODULATE, texture, previous);
      enableUnit(1, *second);
      setCombine(GL_MODULATE, texture, previous, GL_MODULATE, texture, previous);
      disableUnit(2);
      break;
    case CombineCrossfade:
      enableUnit(0, *first);
      setCombine(GL_REPLACE, texture, previous, GL_REPLACE, texture, previous);
      enableUnit(1, *second);
      setCombine(QUORL_GL_INTERPOLATE, texture, previous, QUORL_GL_INTERPOLATE, texture, previous);
      glTexEnvi(GL_TEXTURE_ENV, QUORL_GL_SOURCE2_RGB, QUORL_GL_PRIMARY_COLOR);
      glTexEnvi(GL_TEXTURE_ENV, QUORL_GL_OPERAND2_RGB, GL_SRC_ALPHA);
      glTexEnvi(GL_TEXTURE_ENV, QUORL_GL_SOURCE2_ALPHA, QUORL_GL_PRIMARY_COLOR);
      enableUnit(2, *fallback);
      setCombine(GL_MODULATE, previous, colour, GL_REPLACE, previous, colour);
      break;
    default:
      glCheckFailed(478);
  }

  switch (blend) {
    case BlendNone:
      glDisable(GL_BLEND);
      break;
    case BlendPremultiplied:
      glEnable(GL_BLEND);
      glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
      break;
    case BlendAdd:
      glEnable(GL_BLEND);
      glBlendFunc(GL_ONE, GL_ONE);
      break;
    case BlendAlpha:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      break;
    case BlendSubpixel:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_COLOR);
      break;
    default:
      glCheckFailed(509);
  }
  dirty = false;
}

void GLDevice::drawQuads(const Quad* quads, unsigned count) {
  if (dirty && currentShader)
    applyState(currentShader->blendMode(), currentShader->combineMode(), currentShader->texture0(),
               currentShader->texture1());
  const unsigned unit0 = QUORL_GL_TEXTURE0, unit1 = QUORL_GL_TEXTURE0 + 1;
  glBegin(GL_QUADS);
  for (unsigned i = 0; i < count; ++i) {
    const Quad& q = quads[i];
    const GLubyte r = static_cast<GLubyte>(q.colour >> 16), g = static_cast<GLubyte>(q.colour >> 8),
                  b = static_cast<GLubyte>(q.colour), a = static_cast<GLubyte>(q.colour >> 24);
    auto vertex = [&](float x, float y, float s, float t, float u, float v) {
      glMultiTexCoord2fARB(unit0, s * scale[0][0], t * scale[0][1]);
      glMultiTexCoord2fARB(unit1, u * scale[1][0], v * scale[1][1]);
      glColor4ub(r, g, b, a);
      glVertex2f(x, y);
    };
    vertex(q.x0, q.y0, q.s0, q.t0, q.u0, q.v0);
    vertex(q.x0, q.y1, q.s0, q.t1, q.u0, q.v1);
    vertex(q.x1, q.y1, q.s1, q.t1, q.u1, q.v1);
    vertex(q.x1, q.y0, q.s1, q.t0, q.u1, q.v0);
  }
  glEnd();
}

}  // namespace DXBlit
