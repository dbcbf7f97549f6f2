// A drawing device and context that keep what they are asked to do: textures with their pixels,
// and every batch of quads with the shader state it was drawn under.
#pragma once

#include <memory>
#include <vector>

#include "dxblit/Context.h"
#include "dxblit/Device.h"
#include "dxblit/Exception.h"
#include "dxblit/Shader.h"
#include "dxblit/Texture.h"

class RecordingTexture : public DXBlit::StaticTexture {
 public:
  RecordingTexture(unsigned width, unsigned height, int& live, const bool& failUpdates)
      : width(width),
        height(height),
        pixels(static_cast<size_t>(width) * height),
        live(live),
        failUpdates(failUpdates) {
    ++live;
  }
  void release() override {
    --live;
    delete this;
  }
  void update(const uint32_t* source, unsigned pitch, unsigned x, unsigned y, unsigned w,
              unsigned h) override {
    if (failUpdates) throw DXBlit::Exception();  // as a GL whose context is lost
    for (unsigned row = 0; row < h && y + row < height; ++row)
      for (unsigned col = 0; col < w && x + col < width; ++col)
        pixels[(y + row) * width + x + col] = source[row * pitch + col];
  }
  unsigned width, height;
  std::vector<uint32_t> pixels;

 private:
  int& live;
  const bool& failUpdates;
};

struct RecordedBatch {
  DXBlit::BlendMode blend;
  DXBlit::CombineMode combine;
  DXBlit::Texture* texture0;
  std::vector<DXBlit::Quad> quads;
};

class RecordingDevice : public DXBlit::Device, public DXBlit::Context {
 public:
  void release() override { delete this; }
  DXBlit::StaticTexture* createStaticTexture(unsigned width, unsigned height) override {
    return new RecordingTexture(width, height, liveTextures, failTextureUpdates);
  }
  void render(DXBlit::Scene&, float) override {}

  intptr_t query(void*) override { return 0; }
  DXBlit::Shader* setShader(DXBlit::Shader* shader) override {
    DXBlit::Shader* previous = current;
    current = shader;
    return previous;
  }
  void applyState(DXBlit::BlendMode, DXBlit::CombineMode, DXBlit::Texture*,
                  DXBlit::Texture*) override {}
  void drawQuads(const DXBlit::Quad* quads, unsigned count) override {
    RecordedBatch batch{current ? current->blendMode() : DXBlit::BlendNone,
                        current ? current->combineMode() : DXBlit::CombineColor,
                        current ? current->texture0() : nullptr,
                        std::vector<DXBlit::Quad>(quads, quads + count)};
    batches.push_back(batch);
  }
  DXBlit::Device& getDevice() override { return *this; }

  std::vector<RecordedBatch> batches;
  int liveTextures = 0;
  bool failTextureUpdates = false;

 private:
  DXBlit::Shader* current = nullptr;
};
