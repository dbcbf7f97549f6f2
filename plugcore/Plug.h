// The framework class every effect derives from: the parameter set and its paths between the
// threads, the program table, and the operations a concrete effect supplies.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Threads.h"
#include "plugcore/AudioEffectX.h"
#include "plugcore/IParamCook.h"
#include "plugcore/NoiseGenerator.h"
#include "plugcore/ParamSet.h"
#include "plugcore/ProgramTable.h"
#include "plugcore/Quality.h"
#include "plugcore/Relaxed.h"
#include "plugcore/StateLock.h"
#include "plugcore/TransportInfo.h"

namespace PlugCore {

class Plug : public AudioEffectX, public IParamCook {
 public:
  Plug(audioMasterCallback host, int32_t numPrograms, int32_t numParams, const char* name,
       int32_t inputPairs = 1, int32_t outputPairs = 1);
  ~Plug() override;

  const char* getName() const { return name; }
  ParamSet& parameters() { return params; }
  const ParamSet& parameters() const { return params; }
  ProgramTable& programTable() { return *programs; }
  bool isSampleRateDirty() const { return sampleRateDirty; }

  // Parameters.
  void setParameter(VstInt32 index, float value) override;
  float getParameter(VstInt32 index) override;
  bool canParameterBeAutomated(VstInt32) override { return true; }
  void getParameterName(VstInt32 index, char* text) override;
  void getParameterLabel(VstInt32 index, char* text) override;
  void getParameterDisplay(VstInt32 index, char* text) override;

  // Programs. State calls may come from any threads at once; the audio thread's program change
  // never waits for another thread's: it is handed over and made when that one is done.
  void setProgram(VstInt32 index) override;
  void setProgramName(char* text) override;
  void getProgramName(char* text) override;
  bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text) override;

  // Chunks: the whole state (bank) or the live values (program), with the MIDI mappings. A chunk
  // is taken whole or not at all: 1 when it was taken, 0 when it was refused and nothing changed.
  // The host hears of no value it sets this way.
  VstInt32 getChunk(void** data, bool isPreset) override;
  VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset) override;
  void writeChunk(std::vector<uint8_t>& out, bool isPreset);

  // Defaults: the factory bank in the module and the user's defaults file.
  void loadFactoryBank();
  void loadDefaults();
  // What a new instance starts from, for the effect's constructor: the factory bank, then the
  // user's defaults over it. The host has no record of the instance yet, so none of the values
  // reaches it as automation.
  void loadStartState();
  // Boxes an instance had for the user while it was being made, when nobody could be asked to
  // answer them (a host may make instances in a background scan); the editor shows them once,
  // when it opens.
  void showHeldNotices();
  // The editor's menu loads: the factory bank, then the user's file unless `factoryOnly`. The
  // host hears each value the load changed once, its final one, inside an edit gesture.
  void loadDefaultsForUser(bool factoryOnly);
  // False when the file could not be written completely; the old file then stays as it was, and
  // `whyNot` (when given) says which file and why: "PATH: No space left on device".
  bool saveDefaults(std::string* whyNot = nullptr);
  // Where the defaults file lives; empty when the user has no settings folder.
  std::string defaultsFilePath(bool createFolders) const {
    return userFilePath(".defaults", createFolders);
  }
  // The editor's own settings, beside the defaults file.
  std::string settingsFilePath(bool createFolders) const {
    return userFilePath(".settings", createFolders);
  }

  // Processing quality. The choice may be set from any thread and is saved in every chunk; the
  // host's process level is asked at each resume, so an offline render a host announces then is
  // rendered in High under "High when rendering".
  void setQuality(Quality choice) {
    quality.store(static_cast<uint8_t>(choice));
    qualityChanged();
  }
  Quality getQuality() const { return static_cast<Quality>(quality.load()); }
  bool isRenderingOffline() const { return renderingOffline.load(); }
  // What the audio path should do now: the choice, with the host's rendering taken into account.
  bool wantsHighQuality() const {
    const Quality choice = getQuality();
    return choice == Quality::high ||
           (choice == Quality::highWhenRendering && renderingOffline.load());
  }

  // Lifecycle.
  void setSampleRate(float rate) override;
  void resume() override;
  void suspend() override;

  // The processing frame: every entry ends in processBlock on 64-bit samples.
  void setBlockSize(VstInt32 size) override;
  void process(float** inputs, float** outputs, VstInt32 frames) override;
  void processReplacing(float** inputs, float** outputs, VstInt32 frames) override;
  void processDoubleReplacing(double** inputs, double** outputs, VstInt32 frames) override;
  double getBeatPosition() const { return beatPosition; }

  // MIDI input.
  VstInt32 processEvents(VstEvents* events) override;
  // Dispatches the event at `start` and the following ones not later than it; returns the index
  // of the first event left.
  int32_t dispatchMidiEvents(int32_t start);
  void handleController(int32_t key, int32_t value);
  double getPitchBend() const { return pitchBend; }
  uint16_t getPitchBendRange() const { return pitchBendRange; }

  // MIDI learn, driven by the editor.
  void startLearn(int32_t index);
  void cancelLearn() { learnIndex.store(-1); }
  bool isLearning(int32_t index) const { return index == learnIndex.load(); }
  int32_t learningIndex() const { return learnIndex.load(); }  // -1 when none
  int32_t getMapping(int32_t index) const;
  void unlearn(int32_t index);

  // Host facts.
  bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
  bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
  bool getEffectName(char* text) override;
  bool getVendorString(char* text) override;
  bool getProductString(char* text) override;
  VstInt32 canDo(char* text) override;
  // A host's wheel notification ('stCA', 'Whee', notches in the option) becomes a wheel message
  // for the editor window under the pointer.
  VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

  bool cookParameter(int32_t index) override;

  // What a concrete effect supplies.
  virtual const char* getInputName(int32_t pair);
  virtual const char* getOutputName(int32_t pair);
  virtual void sampleRateChanged() = 0;
  virtual void resetState() = 0;
  virtual bool processBlock(bool paramsChanged, const TransportInfo& transport,
                            double* const* inputs, double* const* outputs, int32_t frames) = 0;
  virtual void formatParameter(int32_t index, char* text, float value) = 0;
  virtual int32_t getLatency() { return 0; }
  // The choice or the host's rendering changed: wantsHighQuality() may answer otherwise now.
  virtual void qualityChanged() {}
  virtual void noteOn(int32_t, int32_t) {}
  virtual void noteOff(int32_t, int32_t) {}
  virtual void controllerChanged(int32_t, float) {}
  // Display text, a blank and the unit label (no blank when the label is empty).
  virtual void getParameterText(int32_t index, float value, char* text);

  // Delivery of changed values to the audio side; returns the paramsChanged flag for processBlock.
  bool deliverParameters();

  // The deterministic noise every effect may mix in; advances on each call.
  double nextNoise() { return noise.next(); }

  static constexpr const char* kVendor = "Harrowmint";

 protected:
  const char* name;
  int32_t inputPairs;
  int32_t outputPairs;
  bool sampleRateDirty = true;
  // The host's list from effProcessEvents, taken by the next processing call; suspend and resume
  // (host's main thread) drop it, since the host may free it once processing stops.
  std::atomic<VstEvents*> pendingEvents{nullptr};
  VstEvents* callEvents = nullptr;  // the list the running processing call dispatches from
  double beatPosition = 0.0;
  uint16_t registeredParameter = 0;
  uint16_t pitchBendRange = 256;  // semitones in bits 7 and up, hundredths in bits 0 to 6
  double pitchBend = 0.0;         // semitones
  std::atomic<int32_t> learnIndex{-1};
  std::atomic<uint8_t> quality{0};  // a Quality
  std::atomic<bool> renderingOffline{false};
  bool paramsPending = false;
  NoiseGenerator noise;
  ParamSet params;
  std::unique_ptr<ProgramTable> programs;

 private:
  struct CallState;
  bool ensureWorkBlock();
  template <typename Sample>
  int32_t playableFrames(Sample** inputs, Sample** outputs, VstInt32 frames, bool replacing);
  CallState beginCall(int32_t frames);
  int32_t pieceLength(int32_t frames, int32_t offset) const;
  void processFloat(float** inputs, float** outputs, VstInt32 frames, bool accumulating);
  void processPiece(CallState& call, int32_t offset, int32_t length, double* const* outputs,
                    int32_t outputOffset);
  void processStretch(const CallState& call, double* const* outputs, int32_t outputStart,
                      int32_t start, int32_t length);
  void dispatchMidiEvent(const VstEvent* event);
  void learnController(int32_t key);
  void reportChunkError(const char* reason);
  // A message box, or while the instance is being made, a notice held for the editor.
  void tellUser(const char* text, const char* caption, unsigned flags);
  // Checks every record (asking about another plug-in's name) and changes nothing.
  bool checkChunk(const uint8_t* bytes, std::size_t size);
  void applyCheckedChunk(const uint8_t* bytes, std::size_t size);
  void takeValuesAsDefaults();
  // "<settings folder>/Harrowmint/<name><extension>"; empty when there is no settings folder.
  std::string userFilePath(const char* extension, bool createFolders) const;

  // Holds the state lock; on release, makes a program change handed over meanwhile.
  class StateHold {
   public:
    explicit StateHold(Plug& plug) : plug(plug) { plug.stateLock.lock(); }
    ~StateHold() {
      plug.stateLock.unlock();
      plug.takePendingProgram();
    }
    StateHold(const StateHold&) = delete;
    StateHold& operator=(const StateHold&) = delete;

   private:
    Plug& plug;
  };
  void writeChunkLocked(std::vector<uint8_t>& out, bool isPreset);
  void selectProgram(VstInt32 index);
  void takePendingProgram();

  StateLock stateLock;
  std::atomic<int32_t> pendingProgram{-1};
  std::atomic<uintptr_t> audioThread{0};  // the thread of the latest processing call
  // getChunk's answer for each thread that asks, valid until that thread asks again.
  struct ChunkSlot {
    uintptr_t thread = 0;
    uint64_t lastUse = 0;
    std::vector<uint8_t> bytes;
  };
  static constexpr std::size_t kChunkSlots = 8;
  std::vector<ChunkSlot> chunkSlots;
  uint64_t chunkUses = 0;

  struct HeldNotice {
    std::string text, caption;
    unsigned flags;
  };
  bool holdingNotices = false;
  std::vector<HeldNotice> heldNotices;

  // The work block holds the input channels, then the output channels, blockSize samples each.
  std::unique_ptr<double[]> workBlock;
  std::vector<double*> workInputs, workOutputs, stretchInputs, stretchOutputs;
};

}  // namespace PlugCore
