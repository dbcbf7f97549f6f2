#include "dxblit/Shader.h"

namespace DXBlit {

Shader::Shader(Context& context, BlendMode blend, CombineMode combine, Texture* texture0,
               Texture* texture1)
    : context(context),
      previous(nullptr),
      combine(combine),
      blend(blend),
      textures{texture0, texture1} {
  previous = context.setShader(this);
}

Shader::~Shader() { context.setShader(previous); }

}  // namespace DXBlit
