// A VST 3 audio class instance presented as a VST 2.4 effect record, so that every command of the
// tool drives it as it drives any VST 2.4 module. The dispatcher's opcodes become calls on the
// component, processor, controller, unit info, MIDI mapping and view; the plug-in's edits and
// output parameter changes come back as the audioMaster calls a VST 2.4 host knows.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "Vst3Frame.h"
#include "Vst3HostObjects.h"
#include "plugcore/VstAbi.h"
#include "vst3/Vst3Abi.h"

namespace vst3host {

// The record's uniqueID: the class identifier's four words folded into one, since VST 3 classes
// have no 32-bit identifier of their own.
VstInt32 uniqueIdOf(const Vst3::TUID classId);

class Effect final : public Vst3::IComponentHandler {
 public:
  // A new instance of `classId`, initialized and set up; null with the reason in `error`. The
  // record is freed by effClose.
  static AEffect* create(Vst3::IPluginFactory* factory, const Vst3::TUID classId,
                         audioMasterCallback host, std::string& error);

  Vst3::tresult queryInterface(const Vst3::TUID iid, void** object) override;
  uint32_t addRef() override { return 1; }
  uint32_t release() override { return 1; }
  Vst3::tresult beginEdit(Vst3::ParamID id) override;
  Vst3::tresult performEdit(Vst3::ParamID id, Vst3::ParamValue valueNormalized) override;
  Vst3::tresult endEdit(Vst3::ParamID id) override;
  Vst3::tresult restartComponent(int32_t flags) override;

 private:
  Effect(audioMasterCallback host);
  ~Effect();
  bool start(Vst3::IPluginFactory* factory, const Vst3::TUID classId, std::string& error);
  void readParameters();
  void readBuses();
  void readClassInfo(Vst3::IPluginFactory* factory, const Vst3::TUID classId);

  static VstIntPtr dispatchProc(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                void* ptr, float opt);
  static void processProc(AEffect* effect, float** inputs, float** outputs, VstInt32 frames);
  static void processReplacingProc(AEffect* effect, float** inputs, float** outputs,
                                   VstInt32 frames);
  static void processDoubleProc(AEffect* effect, double** inputs, double** outputs,
                                VstInt32 frames);
  static void setParameterProc(AEffect* effect, VstInt32 index, float value);
  static float getParameterProc(AEffect* effect, VstInt32 index);

  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
  VstIntPtr host(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                 float opt = 0.0f);

  // --- parameters and programs ---
  int indexOf(Vst3::ParamID id) const;
  void setParameter(VstInt32 index, float value);
  float getParameter(VstInt32 index) const;
  std::string parameterText(VstInt32 opcode, VstInt32 index) const;
  VstInt32 currentProgram() const;
  void setProgram(VstIntPtr program);
  std::string programName(VstInt32 program) const;
  // Whatever the host set since the last block is superseded by a program or a whole state.
  void dropPending();

  // --- state ---
  VstIntPtr getChunk(VstInt32 index, void** data);
  VstIntPtr setChunk(VstInt32 index, VstIntPtr size, void* data);

  // --- lifecycle and audio ---
  void setActive(bool active);
  void setProcessing(bool processing);
  // A new rate or block size while active: the plug-in is set up again as hosts do, inactive.
  void setUpAgain();
  void takeEvents(const VstEvents* events);
  template <typename Sample>
  void process(Sample** inputs, Sample** outputs, VstInt32 frames);
  template <typename Sample>
  void processSegment(Sample** inputs, Sample** outputs, VstInt32 offset, VstInt32 frames,
                      bool last);
  void fillContext();
  void reportOutputChanges();

  // --- editor ---
  bool ensureView();
  VstIntPtr editorRect(void* ptr);
  VstIntPtr openEditor(void* parent);
  void closeEditor();
  VstIntPtr setScale(float factor);
  bool resizeWindow(int width, int height);

  AEffect record_;
  audioMasterCallback host_;
  HostApplication application_;
  Vst3::IComponent* component_ = nullptr;
  Vst3::IAudioProcessor* processor_ = nullptr;
  Vst3::IEditController* controller_ = nullptr;
  bool separateController_ = false;
  Vst3::IMidiMapping* midiMapping_ = nullptr;
  Vst3::IUnitInfo* units_ = nullptr;

  std::string name_, vendor_, subCategories_;
  std::vector<Vst3::ParamID> visible_;  // the record's parameter index -> ID
  std::vector<int32_t> stepCounts_;
  bool hasProgramParam_ = false;
  Vst3::ParamID programParam_ = 0;
  int32_t programSteps_ = 0;
  Vst3::ProgramListID programList_ = Vst3::kNoProgramListId;
  int32_t inputChannels_ = 0, outputChannels_ = 0;
  int32_t inputBuses_ = 0, outputBuses_ = 0;
  bool takesEvents_ = false;

  // The host's values since the last block, one slot per visible parameter and one for the
  // program, set on any thread and taken by the audio thread without a lock.
  struct Pending {
    std::atomic<float> value{0};
    std::atomic<bool> set{false};
  };
  std::unique_ptr<Pending[]> pending_;

  static constexpr int kMaxEvents = 512;
  struct Controller {
    int32_t offset;
    int16_t channel;
    Vst3::CtrlNumber number;
    double value;
  };
  Controller events_[kMaxEvents];
  int eventCount_ = 0;

  double sampleRate_ = 44100;
  int32_t maxBlock_ = 1024;
  bool active_ = false;
  bool processing_ = false;
  bool canDouble_ = false;
  // The sample size the plug-in is set up for: the one the host's last process call used.
  int32_t sampleSize_ = Vst3::kSample32;
  int32_t processMode_ = Vst3::kRealtime;  // offline when the host says it renders so
  ParameterChanges inputChanges_, outputChanges_;
  EmptyEventList inputEvents_, outputEvents_;
  Vst3::ProcessContext context_;
  // Channel pointers of a segment of the host's buffers, and for the accumulating entry the
  // scratch outputs, sized when the plug-in is activated.
  static constexpr int kMaxChannels = 64;
  void* inPointers_[kMaxChannels];
  void* outPointers_[kMaxChannels];
  std::vector<std::vector<float>> scratch_;
  std::vector<float*> scratchPointers_;

  MemoryStream chunk_;

  Frame frame_;
  Vst3::IPlugView* view_ = nullptr;
  bool attached_ = false;
  float scale_ = 0;  // 0: never told
  ERect rect_{};
};

}  // namespace vst3host
