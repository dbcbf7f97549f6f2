// The factory bank inside the module and the user's defaults file, both holding a bank chunk.
#include <cmath>

#include "platform/MessageBox.h"
#include "platform/ModuleResources.h"
#include "platform/UserFiles.h"
#include "plugcore/Plug.h"

namespace PlugCore {

namespace {

constexpr std::size_t kDefaultsFileLimit = 1048576;  // files of 1 MiB or more are not read
constexpr uint32_t kChunkMagic = 0x43636E4B;         // 'CcnK'
constexpr uint32_t kOpaqueBankMagic = 0x46424368;    // 'FBCh'
constexpr std::size_t kBankHeaderSize = 160;

uint32_t readBigEndian32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

}  // namespace

std::string Plug::userFilePath(const char* extension, bool createFolders) const {
  std::string folder;
  if (!Platform::userSettingsFolder(folder)) return std::string();
  folder += Platform::kPathSeparator;
  folder += kVendor;
  if (createFolders) Platform::createFolder(folder);  // an existing folder is fine
  return folder + Platform::kPathSeparator + (name ? name : "") + extension;
}

void Plug::takeValuesAsDefaults() {
  for (uint32_t i = 0; i < params.count(); ++i)
    params[i].defaultValue = std::fabs(params[i].value.load());
}

void Plug::loadFactoryBank() {
  {
    StateHold hold(*this);
    for (int32_t p = 0; p < programs->count(); ++p)
      for (uint32_t i = 0; i < params.count(); ++i)
        (*programs)[p].values[i] = std::fabs(params[i].value.load());
  }

  Platform::ResourceBytes bank;
  if (!Platform::findModuleResource("FXB", "FactoryBank", bank)) return;
  const char* failure = nullptr;
  // Sizes are added in 64 bits: a header cannot make them wrap around and point outside.
  const uint64_t size = bank.size;
  if (size < 4 || readBigEndian32(bank.data) != kChunkMagic)
    failure = "Bad chunk magic in factory bank!";
  else if (size < 12 || readBigEndian32(bank.data + 8) != kOpaqueBankMagic)
    failure = "Invalid chunk type in factory bank!";
  else if (uint64_t{readBigEndian32(bank.data + 4)} + 8 > size || size < kBankHeaderSize ||
           uint64_t{readBigEndian32(bank.data + 156)} + kBankHeaderSize > size)
    failure = "Truncated or corrupt factory bank!";
  if (failure) {
    tellUser(failure, name ? name : "", Platform::kMbTaskModal | Platform::kMbIconError);
    return;
  }
  const uint32_t chunkSize = readBigEndian32(bank.data + 156);
  setChunk(const_cast<uint8_t*>(bank.data + kBankHeaderSize), static_cast<VstInt32>(chunkSize),
           false);
}

void Plug::loadStartState() {
  hostUnaware = true;
  holdingNotices = true;
  loadFactoryBank();
  loadDefaults();
  holdingNotices = false;
  hostUnaware = false;
}

void Plug::tellUser(const char* text, const char* caption, unsigned flags) {
  if (!holdingNotices) {
    Platform::messageBox(text, caption, flags);
    return;
  }
  for (const HeldNotice& held : heldNotices)
    if (held.text == text && held.caption == caption) return;
  heldNotices.push_back({text, caption, flags});
}

void Plug::showHeldNotices() {
  // Taken first: a box's own message loop may open the editor again.
  std::vector<HeldNotice> notices;
  notices.swap(heldNotices);
  for (const HeldNotice& notice : notices)
    Platform::messageBox(notice.text.c_str(), notice.caption.c_str(), notice.flags);
}

void Plug::loadDefaultsForUser(bool factoryOnly) {
  std::vector<float> before(params.count());
  for (uint32_t i = 0; i < params.count(); ++i) before[i] = getParameter(static_cast<VstInt32>(i));
  loadFactoryBank();
  if (!factoryOnly) loadDefaults();
  for (uint32_t i = 0; i < params.count(); ++i) {
    const auto index = static_cast<VstInt32>(i);
    const float now = getParameter(index);
    if (now == before[i]) continue;
    beginEdit(index);
    setParameterAutomated(index, now);
    endEdit(index);
  }
}

void Plug::loadDefaults() {
  const std::string path = defaultsFilePath(false);
  if (path.empty()) return;
  std::vector<uint8_t> bytes;
  if (Platform::readWholeFile(path, kDefaultsFileLimit, bytes) != Platform::ReadResult::kOk) return;
  // A refused file changed nothing, so the reset targets stay as well.
  if (setChunk(bytes.data(), static_cast<VstInt32>(bytes.size()), false)) takeValuesAsDefaults();
}

bool Plug::saveDefaults(std::string* whyNot) {
  std::vector<uint8_t> chunk;
  writeChunk(chunk, false);
  const std::string path = defaultsFilePath(true);
  if (path.empty()) {
    if (whyNot) *whyNot = "No folder for the user's settings was found";
    return false;
  }
  std::string reason;
  if (!Platform::replaceFile(path, chunk.data(), chunk.size(), &reason)) {
    if (whyNot) *whyNot = path + ": " + reason;
    return false;
  }
  takeValuesAsDefaults();
  return true;
}

}  // namespace PlugCore
