// Our own declarations of the VST 3 binary interface, written from its published description: the
// result codes, the 16-byte identifiers in both of their byte orders, the interfaces (their methods
// in vtable order) and the records that cross the boundary. Interfaces have no virtual destructor:
// the vtable holds exactly the listed methods, as every host and plug-in expects. Both the plug-in
// glue and the host tool use this one header.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Vst3 {

typedef int32_t tresult;
typedef uint8_t TBool;
typedef char16_t TChar;
typedef TChar String128[128];
typedef char TUID[16];
typedef const char* FIDString;
typedef uint32_t ParamID;
typedef double ParamValue;
typedef int32_t UnitID;
typedef int32_t ProgramListID;
typedef uint64_t SpeakerArrangement;
typedef int16_t CtrlNumber;

#if defined(_WIN32)
// On Windows the result codes are the COM ones.
constexpr tresult kNoInterface = static_cast<tresult>(0x80004002L);
constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = 0;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057L);
constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001L);
constexpr tresult kInternalError = static_cast<tresult>(0x80004005L);
constexpr tresult kNotInitialized = static_cast<tresult>(0x8000FFFFL);
constexpr tresult kOutOfMemory = static_cast<tresult>(0x8007000EL);
#else
constexpr tresult kNoInterface = -1;
constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = 0;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = 2;
constexpr tresult kNotImplemented = 3;
constexpr tresult kInternalError = 4;
constexpr tresult kNotInitialized = 5;
constexpr tresult kOutOfMemory = 6;
#endif

// An identifier is written as four 32-bit numbers. On Windows its bytes follow the COM GUID layout
// (the first number and the two halves of the second little-endian, the rest big-endian); elsewhere
// all four numbers are stored big-endian.
struct Uid {
  uint8_t bytes[16];
  const char* tuid() const { return reinterpret_cast<const char*>(bytes); }
};

constexpr Uid makeUid(uint32_t l1, uint32_t l2, uint32_t l3, uint32_t l4) {
#if defined(_WIN32)
  return Uid{{uint8_t(l1), uint8_t(l1 >> 8), uint8_t(l1 >> 16), uint8_t(l1 >> 24),
              uint8_t(l2 >> 16), uint8_t(l2 >> 24), uint8_t(l2), uint8_t(l2 >> 8),
              uint8_t(l3 >> 24), uint8_t(l3 >> 16), uint8_t(l3 >> 8), uint8_t(l3),
              uint8_t(l4 >> 24), uint8_t(l4 >> 16), uint8_t(l4 >> 8), uint8_t(l4)}};
#else
  return Uid{{uint8_t(l1 >> 24), uint8_t(l1 >> 16), uint8_t(l1 >> 8), uint8_t(l1),
              uint8_t(l2 >> 24), uint8_t(l2 >> 16), uint8_t(l2 >> 8), uint8_t(l2),
              uint8_t(l3 >> 24), uint8_t(l3 >> 16), uint8_t(l3 >> 8), uint8_t(l3),
              uint8_t(l4 >> 24), uint8_t(l4 >> 16), uint8_t(l4 >> 8), uint8_t(l4)}};
#endif
}

inline bool sameUid(const void* tuid, const Uid& uid) {
  const uint8_t* bytes = static_cast<const uint8_t*>(tuid);
  for (int i = 0; i < 16; ++i) {
    if (bytes[i] != uid.bytes[i]) return false;
  }
  return true;
}

// ---- Interface identifiers --------------------------------------------------------------------

constexpr Uid kFUnknownIid = makeUid(0x00000000, 0x00000000, 0xC0000000, 0x00000046);
constexpr Uid kIPluginFactoryIid = makeUid(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);
constexpr Uid kIPluginFactory2Iid = makeUid(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);
constexpr Uid kIPluginFactory3Iid = makeUid(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);
constexpr Uid kIPluginBaseIid = makeUid(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);
constexpr Uid kIComponentIid = makeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);
constexpr Uid kIAudioProcessorIid = makeUid(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);
constexpr Uid kIEditControllerIid = makeUid(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);
constexpr Uid kIComponentHandlerIid = makeUid(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);
constexpr Uid kIMidiMappingIid = makeUid(0xDF0FF9F7, 0x49B74669, 0xB63AB732, 0x7ADBF5E5);
constexpr Uid kIUnitInfoIid = makeUid(0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1);
constexpr Uid kIConnectionPointIid = makeUid(0x70A4156F, 0x6E6E4026, 0x989148BF, 0xAA60D8D1);
constexpr Uid kIProcessContextRequirementsIid =
    makeUid(0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0);
constexpr Uid kIParameterChangesIid = makeUid(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);
constexpr Uid kIParamValueQueueIid = makeUid(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);
constexpr Uid kIEventListIid = makeUid(0x3A2C4214, 0x346349FE, 0xB2C4F397, 0xB9695A44);
constexpr Uid kIBStreamIid = makeUid(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);
constexpr Uid kIHostApplicationIid = makeUid(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);
constexpr Uid kIPlugViewIid = makeUid(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);
constexpr Uid kIPlugFrameIid = makeUid(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);
constexpr Uid kIPlugViewContentScaleSupportIid =
    makeUid(0x65ED9690, 0x8AC44525, 0x8AADEF7A, 0x72EA703F);
constexpr Uid kIRunLoopIid = makeUid(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);
constexpr Uid kIEventHandlerIid = makeUid(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);
constexpr Uid kITimerHandlerIid = makeUid(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);

// ---- Base ---------------------------------------------------------------------------------------

struct FUnknown {
  virtual tresult queryInterface(const TUID iid, void** object) = 0;
  virtual uint32_t addRef() = 0;
  virtual uint32_t release() = 0;
};

enum StreamSeekMode : int32_t { kIBSeekSet = 0, kIBSeekCur = 1, kIBSeekEnd = 2 };

struct IBStream : FUnknown {
  virtual tresult read(void* buffer, int32_t numBytes, int32_t* numBytesRead) = 0;
  virtual tresult write(void* buffer, int32_t numBytes, int32_t* numBytesWritten) = 0;
  virtual tresult seek(int64_t pos, int32_t mode, int64_t* result) = 0;
  virtual tresult tell(int64_t* pos) = 0;
};

struct IPluginBase : FUnknown {
  virtual tresult initialize(FUnknown* context) = 0;
  virtual tresult terminate() = 0;
};

struct IHostApplication : FUnknown {
  virtual tresult getName(String128 name) = 0;
  virtual tresult createInstance(TUID cid, TUID iid, void** object) = 0;
};

// ---- Factory ------------------------------------------------------------------------------------

struct PFactoryInfo {
  enum FactoryFlags : int32_t {
    kNoFlags = 0,
    kClassesDiscardable = 1 << 0,
    kLicenseCheck = 1 << 1,
    kComponentNonDiscardable = 1 << 3,
    kUnicode = 1 << 4
  };
  char vendor[64];
  char url[256];
  char email[128];
  int32_t flags;
};

constexpr int32_t kManyInstances = 0x7FFFFFFF;

struct PClassInfo {
  TUID cid;
  int32_t cardinality;
  char category[32];
  char name[64];
};

enum ClassFlags : uint32_t { kDistributable = 1 << 0, kSimpleModeSupported = 1 << 1 };

struct PClassInfo2 {
  TUID cid;
  int32_t cardinality;
  char category[32];
  char name[64];
  uint32_t classFlags;
  char subCategories[128];
  char vendor[64];
  char version[64];
  char sdkVersion[64];
};

struct PClassInfoW {
  TUID cid;
  int32_t cardinality;
  char category[32];
  TChar name[64];
  uint32_t classFlags;
  char subCategories[128];
  TChar vendor[64];
  TChar version[64];
  TChar sdkVersion[64];
};

struct IPluginFactory : FUnknown {
  virtual tresult getFactoryInfo(PFactoryInfo* info) = 0;
  virtual int32_t countClasses() = 0;
  virtual tresult getClassInfo(int32_t index, PClassInfo* info) = 0;
  virtual tresult createInstance(FIDString cid, FIDString iid, void** object) = 0;
};

struct IPluginFactory2 : IPluginFactory {
  virtual tresult getClassInfo2(int32_t index, PClassInfo2* info) = 0;
};

struct IPluginFactory3 : IPluginFactory2 {
  virtual tresult getClassInfoUnicode(int32_t index, PClassInfoW* info) = 0;
  virtual tresult setHostContext(FUnknown* context) = 0;
};

constexpr const char* kVstAudioEffectClass = "Audio Module Class";
constexpr const char* kVstComponentControllerClass = "Component Controller Class";

// ---- Component and processor --------------------------------------------------------------------

enum MediaTypes : int32_t { kAudio = 0, kEvent = 1 };
enum BusDirections : int32_t { kInput = 0, kOutput = 1 };
enum BusTypes : int32_t { kMain = 0, kAux = 1 };
enum IoModes : int32_t { kSimple = 0, kAdvanced = 1, kOfflineProcessing = 2 };

struct BusInfo {
  enum BusFlags : uint32_t { kDefaultActive = 1 << 0, kIsControlVoltage = 1 << 1 };
  int32_t mediaType;
  int32_t direction;
  int32_t channelCount;
  String128 name;
  int32_t busType;
  uint32_t flags;
};

struct RoutingInfo {
  int32_t mediaType;
  int32_t busIndex;
  int32_t channel;
};

struct IComponent : IPluginBase {
  virtual tresult getControllerClassId(TUID classId) = 0;
  virtual tresult setIoMode(int32_t mode) = 0;
  virtual int32_t getBusCount(int32_t type, int32_t dir) = 0;
  virtual tresult getBusInfo(int32_t type, int32_t dir, int32_t index, BusInfo& bus) = 0;
  virtual tresult getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) = 0;
  virtual tresult activateBus(int32_t type, int32_t dir, int32_t index, TBool state) = 0;
  virtual tresult setActive(TBool state) = 0;
  virtual tresult setState(IBStream* state) = 0;
  virtual tresult getState(IBStream* state) = 0;
};

constexpr SpeakerArrangement kSpeakerL = 1 << 0;
constexpr SpeakerArrangement kSpeakerR = 1 << 1;
constexpr SpeakerArrangement kStereo = kSpeakerL | kSpeakerR;

enum SymbolicSampleSizes : int32_t { kSample32 = 0, kSample64 = 1 };
enum ProcessModes : int32_t { kRealtime = 0, kPrefetch = 1, kOffline = 2 };
// getTailSamples' two answers that are not lengths.
constexpr uint32_t kNoTail = 0;
constexpr uint32_t kInfiniteTail = 0xFFFFFFFFu;

struct ProcessSetup {
  int32_t processMode;
  int32_t symbolicSampleSize;
  int32_t maxSamplesPerBlock;
  double sampleRate;
};

struct AudioBusBuffers {
  int32_t numChannels;
  uint64_t silenceFlags;
  union {
    float** channelBuffers32;
    double** channelBuffers64;
  };
};

struct Chord {
  uint8_t keyNote;
  uint8_t rootNote;
  int16_t chordMask;
};

struct FrameRate {
  uint32_t framesPerSecond;
  uint32_t flags;
};

struct ProcessContext {
  enum StatesAndFlags : uint32_t {
    kPlaying = 1 << 1,
    kCycleActive = 1 << 2,
    kRecording = 1 << 3,
    kSystemTimeValid = 1 << 8,
    kProjectTimeMusicValid = 1 << 9,
    kTempoValid = 1 << 10,
    kBarPositionValid = 1 << 11,
    kCycleValid = 1 << 12,
    kTimeSigValid = 1 << 13,
    kSmpteValid = 1 << 14,
    kClockValid = 1 << 15,
    kContTimeValid = 1 << 17,
    kChordValid = 1 << 18
  };
  uint32_t state;
  double sampleRate;
  int64_t projectTimeSamples;
  int64_t systemTime;
  int64_t continousTimeSamples;
  double projectTimeMusic;
  double barPositionMusic;
  double cycleStartMusic;
  double cycleEndMusic;
  double tempo;
  int32_t timeSigNumerator;
  int32_t timeSigDenominator;
  Chord chord;
  int32_t smpteOffsetSubframes;
  FrameRate frameRate;
  int32_t samplesToNextClock;
};

struct IParamValueQueue : FUnknown {
  virtual ParamID getParameterId() = 0;
  virtual int32_t getPointCount() = 0;
  virtual tresult getPoint(int32_t index, int32_t& sampleOffset, ParamValue& value) = 0;
  virtual tresult addPoint(int32_t sampleOffset, ParamValue value, int32_t& index) = 0;
};

struct IParameterChanges : FUnknown {
  virtual int32_t getParameterCount() = 0;
  virtual IParamValueQueue* getParameterData(int32_t index) = 0;
  virtual IParamValueQueue* addParameterData(const ParamID& id, int32_t& index) = 0;
};

// Events are declared only as far as the list's methods need them: this effect takes its MIDI
// controllers through parameters and looks at no event.
struct Event {
  int32_t busIndex;
  int32_t sampleOffset;
  double ppqPosition;
  uint16_t flags;
  uint16_t type;
  alignas(8) uint8_t payload[24];  // the largest member of the event union
};

struct IEventList : FUnknown {
  virtual int32_t getEventCount() = 0;
  virtual tresult getEvent(int32_t index, Event& e) = 0;
  virtual tresult addEvent(Event& e) = 0;
};

struct ProcessData {
  int32_t processMode;
  int32_t symbolicSampleSize;
  int32_t numSamples;
  int32_t numInputs;
  int32_t numOutputs;
  AudioBusBuffers* inputs;
  AudioBusBuffers* outputs;
  IParameterChanges* inputParameterChanges;
  IParameterChanges* outputParameterChanges;
  IEventList* inputEvents;
  IEventList* outputEvents;
  ProcessContext* processContext;
};

struct IAudioProcessor : FUnknown {
  virtual tresult setBusArrangements(SpeakerArrangement* inputs, int32_t numIns,
                                     SpeakerArrangement* outputs, int32_t numOuts) = 0;
  virtual tresult getBusArrangement(int32_t dir, int32_t index, SpeakerArrangement& arr) = 0;
  virtual tresult canProcessSampleSize(int32_t symbolicSampleSize) = 0;
  virtual uint32_t getLatencySamples() = 0;
  virtual tresult setupProcessing(ProcessSetup& setup) = 0;
  virtual tresult setProcessing(TBool state) = 0;
  virtual tresult process(ProcessData& data) = 0;
  virtual uint32_t getTailSamples() = 0;
};

struct IProcessContextRequirements : FUnknown {
  enum Flags : uint32_t {
    kNeedSystemTime = 1 << 0,
    kNeedContinousTimeSamples = 1 << 1,
    kNeedProjectTimeMusic = 1 << 2,
    kNeedBarPositionMusic = 1 << 3,
    kNeedCycleMusic = 1 << 4,
    kNeedSamplesToNextClock = 1 << 5,
    kNeedTempo = 1 << 6,
    kNeedTimeSignature = 1 << 7,
    kNeedChord = 1 << 8,
    kNeedFrameRate = 1 << 9,
    kNeedTransportState = 1 << 10
  };
  virtual uint32_t getProcessContextRequirements() = 0;
};

// ---- Controller ---------------------------------------------------------------------------------

struct ParameterInfo {
  enum ParameterFlags : int32_t {
    kNoFlags = 0,
    kCanAutomate = 1 << 0,
    kIsReadOnly = 1 << 1,
    kIsWrapAround = 1 << 2,
    kIsList = 1 << 3,
    kIsHidden = 1 << 4,
    kIsProgramChange = 1 << 15,
    kIsBypass = 1 << 16
  };
  ParamID id;
  String128 title;
  String128 shortTitle;
  String128 units;
  int32_t stepCount;
  ParamValue defaultNormalizedValue;
  UnitID unitId;
  int32_t flags;
};

enum RestartFlags : int32_t {
  kReloadComponent = 1 << 0,
  kIoChanged = 1 << 1,
  kParamValuesChanged = 1 << 2,
  kLatencyChanged = 1 << 3,
  kParamTitlesChanged = 1 << 4,
  kMidiCCAssignmentChanged = 1 << 5
};

struct IComponentHandler : FUnknown {
  virtual tresult beginEdit(ParamID id) = 0;
  virtual tresult performEdit(ParamID id, ParamValue valueNormalized) = 0;
  virtual tresult endEdit(ParamID id) = 0;
  virtual tresult restartComponent(int32_t flags) = 0;
};

struct IPlugView;

struct IEditController : IPluginBase {
  virtual tresult setComponentState(IBStream* state) = 0;
  virtual tresult setState(IBStream* state) = 0;
  virtual tresult getState(IBStream* state) = 0;
  virtual int32_t getParameterCount() = 0;
  virtual tresult getParameterInfo(int32_t paramIndex, ParameterInfo& info) = 0;
  virtual tresult getParamStringByValue(ParamID id, ParamValue valueNormalized,
                                        String128 string) = 0;
  virtual tresult getParamValueByString(ParamID id, TChar* string, ParamValue& valueNormalized) = 0;
  virtual ParamValue normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
  virtual ParamValue plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
  virtual ParamValue getParamNormalized(ParamID id) = 0;
  virtual tresult setParamNormalized(ParamID id, ParamValue value) = 0;
  virtual tresult setComponentHandler(IComponentHandler* handler) = 0;
  virtual IPlugView* createView(FIDString name) = 0;
};

constexpr const char* kEditorViewType = "editor";

struct IMidiMapping : FUnknown {
  virtual tresult getMidiControllerAssignment(int32_t busIndex, int16_t channel,
                                              CtrlNumber midiControllerNumber, ParamID& id) = 0;
};

constexpr UnitID kRootUnitId = 0;
constexpr UnitID kNoParentUnitId = -1;
constexpr ProgramListID kNoProgramListId = -1;

struct UnitInfo {
  UnitID id;
  UnitID parentUnitId;
  String128 name;
  ProgramListID programListId;
};

struct ProgramListInfo {
  ProgramListID id;
  String128 name;
  int32_t programCount;
};

struct IUnitInfo : FUnknown {
  virtual int32_t getUnitCount() = 0;
  virtual tresult getUnitInfo(int32_t unitIndex, UnitInfo& info) = 0;
  virtual int32_t getProgramListCount() = 0;
  virtual tresult getProgramListInfo(int32_t listIndex, ProgramListInfo& info) = 0;
  virtual tresult getProgramName(ProgramListID listId, int32_t programIndex, String128 name) = 0;
  virtual tresult getProgramInfo(ProgramListID listId, int32_t programIndex,
                                 const char* attributeId, String128 attributeValue) = 0;
  virtual tresult hasProgramPitchNames(ProgramListID listId, int32_t programIndex) = 0;
  virtual tresult getProgramPitchName(ProgramListID listId, int32_t programIndex, int16_t midiPitch,
                                      String128 name) = 0;
  virtual UnitID getSelectedUnit() = 0;
  virtual tresult selectUnit(UnitID unitId) = 0;
  virtual tresult getUnitByBus(int32_t type, int32_t dir, int32_t busIndex, int32_t channel,
                               UnitID& unitId) = 0;
  virtual tresult setUnitProgramData(int32_t listOrUnitId, int32_t programIndex,
                                     IBStream* data) = 0;
};

// ---- Editor view --------------------------------------------------------------------------------

struct ViewRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

constexpr const char* kPlatformTypeHWND = "HWND";
constexpr const char* kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";

struct IPlugFrame;

struct IPlugView : FUnknown {
  virtual tresult isPlatformTypeSupported(FIDString type) = 0;
  virtual tresult attached(void* parent, FIDString type) = 0;
  virtual tresult removed() = 0;
  virtual tresult onWheel(float distance) = 0;
  virtual tresult onKeyDown(TChar key, int16_t keyCode, int16_t modifiers) = 0;
  virtual tresult onKeyUp(TChar key, int16_t keyCode, int16_t modifiers) = 0;
  virtual tresult getSize(ViewRect* size) = 0;
  virtual tresult onSize(ViewRect* newSize) = 0;
  virtual tresult onFocus(TBool state) = 0;
  virtual tresult setFrame(IPlugFrame* frame) = 0;
  virtual tresult canResize() = 0;
  virtual tresult checkSizeConstraint(ViewRect* rect) = 0;
};

struct IPlugFrame : FUnknown {
  virtual tresult resizeView(IPlugView* view, ViewRect* newSize) = 0;
};

struct IPlugViewContentScaleSupport : FUnknown {
  virtual tresult setContentScaleFactor(float factor) = 0;
};

// The host's run loop on Linux, found through the view's frame: timers and descriptors are served
// on the host's GUI thread.
struct IEventHandler : FUnknown {
  virtual void onFDIsSet(int fd) = 0;
};

struct ITimerHandler : FUnknown {
  virtual void onTimer() = 0;
};

struct IRunLoop : FUnknown {
  virtual tresult registerEventHandler(IEventHandler* handler, int fd) = 0;
  virtual tresult unregisterEventHandler(IEventHandler* handler) = 0;
  virtual tresult registerTimer(ITimerHandler* handler, uint64_t milliseconds) = 0;
  virtual tresult unregisterTimer(ITimerHandler* handler) = 0;
};

// ---- Module entry points ------------------------------------------------------------------------

typedef IPluginFactory* (*GetFactoryProc)();
#if defined(_WIN32)
typedef bool (*InitModuleProc)();
typedef bool (*ExitModuleProc)();
#else
typedef bool (*ModuleEntryProc)(void* sharedLibraryHandle);
typedef bool (*ModuleExitProc)();
#endif

// ---- Layout checks (x86-64, where both systems lay these records out alike)
// -----------------------

static_assert(sizeof(PFactoryInfo) == 452, "factory info layout");
static_assert(sizeof(PClassInfo) == 116, "class info layout");
static_assert(sizeof(PClassInfo2) == 440, "class info 2 layout");
static_assert(sizeof(PClassInfoW) == 696, "unicode class info layout");
static_assert(sizeof(BusInfo) == 276, "bus info layout");
static_assert(offsetof(ProcessSetup, sampleRate) == 16 && sizeof(ProcessSetup) == 24,
              "process setup layout");
static_assert(sizeof(AudioBusBuffers) == 24, "bus buffers layout");
static_assert(offsetof(ProcessData, inputs) == 24 && sizeof(ProcessData) == 80,
              "process data layout");
static_assert(offsetof(ProcessContext, tempo) == 72 && offsetof(ProcessContext, chord) == 88 &&
                  offsetof(ProcessContext, samplesToNextClock) == 104 &&
                  sizeof(ProcessContext) == 112,
              "process context layout");
static_assert(offsetof(ParameterInfo, stepCount) == 772 &&
                  offsetof(ParameterInfo, defaultNormalizedValue) == 776 &&
                  sizeof(ParameterInfo) == 792,
              "parameter info layout");
static_assert(sizeof(UnitInfo) == 268 && sizeof(ProgramListInfo) == 264, "unit info layouts");
static_assert(sizeof(Event) == 48, "event layout");

}  // namespace Vst3
