// The effect as one VST 3 object: component, processor and controller at once. It hosts the
// effect's VST 2.4 record inside itself and drives it the way a host does, so that the sound, the
// parameters, their texts, the chunks, MIDI learn and the editor are the effect's own.
//
// The component's setState and getState share their names with the controller's, so that one
// override would serve both: each comes through a facet under a name of its own.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "plugcore/VstAbi.h"
#include "vst3/BypassFade.h"
#include "vst3/ParameterChanges.h"
#include "vst3/Vst3Abi.h"

namespace PlugCore {
class Plug;
}

namespace Vst3Glue {

class EditorView;

struct ComponentStateFacet : Vst3::IComponent {
  Vst3::tresult setState(Vst3::IBStream* state) final { return loadState(state); }
  Vst3::tresult getState(Vst3::IBStream* state) final { return saveState(state); }
  virtual Vst3::tresult loadState(Vst3::IBStream* state) = 0;
  virtual Vst3::tresult saveState(Vst3::IBStream* state) = 0;
};

struct ControllerStateFacet : Vst3::IEditController {
  Vst3::tresult setState(Vst3::IBStream* state) final { return setControllerState(state); }
  Vst3::tresult getState(Vst3::IBStream* state) final { return getControllerState(state); }
  virtual Vst3::tresult setControllerState(Vst3::IBStream* state) = 0;
  virtual Vst3::tresult getControllerState(Vst3::IBStream* state) = 0;
};

class EffectComponent final : public ComponentStateFacet,
                              public Vst3::IAudioProcessor,
                              public ControllerStateFacet,
                              public Vst3::IMidiMapping,
                              public Vst3::IUnitInfo,
                              public Vst3::IProcessContextRequirements {
 public:
  static const Vst3::Uid kClassId;

  EffectComponent();

  // FUnknown
  Vst3::tresult queryInterface(const Vst3::TUID iid, void** object) override;
  uint32_t addRef() override;
  uint32_t release() override;

  // IPluginBase (one object, so the host may initialise it as component and as controller)
  Vst3::tresult initialize(Vst3::FUnknown* context) override;
  Vst3::tresult terminate() override;

  // IComponent
  Vst3::tresult getControllerClassId(Vst3::TUID classId) override;
  Vst3::tresult setIoMode(int32_t mode) override;
  int32_t getBusCount(int32_t type, int32_t dir) override;
  Vst3::tresult getBusInfo(int32_t type, int32_t dir, int32_t index, Vst3::BusInfo& bus) override;
  Vst3::tresult getRoutingInfo(Vst3::RoutingInfo& inInfo, Vst3::RoutingInfo& outInfo) override;
  Vst3::tresult activateBus(int32_t type, int32_t dir, int32_t index, Vst3::TBool state) override;
  Vst3::tresult setActive(Vst3::TBool state) override;
  // The state is the effect's bank chunk, the very bytes a VST 2.4 host keeps.
  Vst3::tresult loadState(Vst3::IBStream* state) override;
  Vst3::tresult saveState(Vst3::IBStream* state) override;

  // IAudioProcessor
  Vst3::tresult setBusArrangements(Vst3::SpeakerArrangement* inputs, int32_t numIns,
                                   Vst3::SpeakerArrangement* outputs, int32_t numOuts) override;
  Vst3::tresult getBusArrangement(int32_t dir, int32_t index,
                                  Vst3::SpeakerArrangement& arr) override;
  Vst3::tresult canProcessSampleSize(int32_t symbolicSampleSize) override;
  uint32_t getLatencySamples() override;
  Vst3::tresult setupProcessing(Vst3::ProcessSetup& setup) override;
  Vst3::tresult setProcessing(Vst3::TBool state) override;
  Vst3::tresult process(Vst3::ProcessData& data) override;
  uint32_t getTailSamples() override;

  // IEditController
  Vst3::tresult setComponentState(Vst3::IBStream* state) override;
  // What the bank chunk cannot carry: bypass (ControllerState.h).
  Vst3::tresult setControllerState(Vst3::IBStream* state) override;
  Vst3::tresult getControllerState(Vst3::IBStream* state) override;
  int32_t getParameterCount() override;
  Vst3::tresult getParameterInfo(int32_t paramIndex, Vst3::ParameterInfo& info) override;
  Vst3::tresult getParamStringByValue(Vst3::ParamID id, Vst3::ParamValue valueNormalized,
                                      Vst3::String128 string) override;
  Vst3::tresult getParamValueByString(Vst3::ParamID id, Vst3::TChar* string,
                                      Vst3::ParamValue& valueNormalized) override;
  Vst3::ParamValue normalizedParamToPlain(Vst3::ParamID id,
                                          Vst3::ParamValue valueNormalized) override;
  Vst3::ParamValue plainParamToNormalized(Vst3::ParamID id, Vst3::ParamValue plainValue) override;
  Vst3::ParamValue getParamNormalized(Vst3::ParamID id) override;
  Vst3::tresult setParamNormalized(Vst3::ParamID id, Vst3::ParamValue value) override;
  Vst3::tresult setComponentHandler(Vst3::IComponentHandler* handler) override;
  Vst3::IPlugView* createView(Vst3::FIDString name) override;

  // IMidiMapping
  Vst3::tresult getMidiControllerAssignment(int32_t busIndex, int16_t channel,
                                            Vst3::CtrlNumber controller,
                                            Vst3::ParamID& id) override;

  // IUnitInfo: one unit, whose program list is the effect's programs.
  int32_t getUnitCount() override;
  Vst3::tresult getUnitInfo(int32_t unitIndex, Vst3::UnitInfo& info) override;
  int32_t getProgramListCount() override;
  Vst3::tresult getProgramListInfo(int32_t listIndex, Vst3::ProgramListInfo& info) override;
  Vst3::tresult getProgramName(Vst3::ProgramListID listId, int32_t programIndex,
                               Vst3::String128 name) override;
  Vst3::tresult getProgramInfo(Vst3::ProgramListID listId, int32_t programIndex,
                               const char* attributeId, Vst3::String128 attributeValue) override;
  Vst3::tresult hasProgramPitchNames(Vst3::ProgramListID listId, int32_t programIndex) override;
  Vst3::tresult getProgramPitchName(Vst3::ProgramListID listId, int32_t programIndex,
                                    int16_t midiPitch, Vst3::String128 name) override;
  Vst3::UnitID getSelectedUnit() override;
  Vst3::tresult selectUnit(Vst3::UnitID unitId) override;
  Vst3::tresult getUnitByBus(int32_t type, int32_t dir, int32_t busIndex, int32_t channel,
                             Vst3::UnitID& unitId) override;
  Vst3::tresult setUnitProgramData(int32_t listOrUnitId, int32_t programIndex,
                                   Vst3::IBStream* data) override;

  // IProcessContextRequirements
  uint32_t getProcessContextRequirements() override;

  // For the editor view.
  VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f);
  bool hasEditor() const;
  void viewAttached(EditorView* view);
  void viewRemoved(EditorView* view);
  bool viewIsAttached() const { return attachedView.load() != nullptr; }
  // The host's window around the open editor has this size now.
  bool editorResized(int32_t width, int32_t height);
  int editorEventDescriptor();

 private:
  ~EffectComponent();

  static VstIntPtr hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                void* ptr, float opt);
  VstIntPtr answerEffect(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

  PlugCore::Plug& plug() const;
  int32_t effectParams() const;
  int32_t programCount() const;
  bool isStepped(Vst3::ParamID id, int32_t& steps) const;
  float effectValue(int32_t index) const;
  bool onAudioThread() const;
  void notifyHost(int32_t restartFlags);

  template <typename Sample>
  void processSamples(Vst3::ProcessData& data);
  template <typename Sample>
  void runEffect(Sample** inputs, Sample** outputs, int32_t frames);
  void applyChange(const ParameterChange& change, int32_t segmentStart);
  void reportValueChanges(Vst3::IParameterChanges* out);
  void fillTimeInfo(const Vst3::ProcessContext* context, int32_t offset);

  std::atomic<uint32_t> references{1};
  int32_t initialisations = 0;
  AEffect* effect = nullptr;
  Vst3::IComponentHandler* handler = nullptr;
  std::atomic<EditorView*> attachedView{nullptr};
  std::atomic<uintptr_t> processingThread{0};

  double sampleRate = 44100.0;
  int32_t maxBlock = 1024;
  bool offline = false;  // the host's process mode: rendering, not playing
  bool active = false;

  // Audio thread state, sized in setupProcessing.
  ParameterChanges changes;
  BypassFade bypass;
  std::atomic<bool> bypassRequested{false};
  std::vector<float> copy32;  // the input, where the effect writes over it or bypass needs it
  std::vector<double> copy64;
  std::vector<float> silence32;  // for a host that passes no input
  std::vector<double> silence64;
  // The effect's values the host last heard of, and the gestures the editor has open.
  std::unique_ptr<std::atomic<float>[]> reported;
  std::unique_ptr<std::atomic<bool>[]> editing;
  std::atomic<int32_t> reportedProgram{0};
  std::vector<bool> switches;      // the effect's parameters that are two-step switches
  std::vector<float> startValues;  // the effect's values when it was made

  // Keeps the effect's edits from the host while the glue itself changes all values.
  std::atomic<int32_t> quietDepth{0};
  struct Quiet {
    explicit Quiet(EffectComponent& c) : c(c) { ++c.quietDepth; }
    ~Quiet() { --c.quietDepth; }
    EffectComponent& c;
  };
  VstTimeInfo timeInfo{};
  bool timeInfoValid = false;
  static constexpr int32_t kMaxEvents = 256;
  VstMidiEvent midiEvents[kMaxEvents];
  struct {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[kMaxEvents];
  } eventList{};
};

}  // namespace Vst3Glue
