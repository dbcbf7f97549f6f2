// The user's defaults file and the factory bank, as a new instance and the editor's menu meet
// them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "FakeNativeWindow.h"
#include "MessageBoxRecorder.h"
#include "SettingsFolder.h"
#include "effect/Quorl.h"
#include "effect/QuorlParameters.h"
#include "gui/PlugEditVST.h"
#include "platform/ModuleResources.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>
#endif

namespace {

using Bytes = std::vector<uint8_t>;

Bytes readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

Bytes bankOf(Quorl& effect) {
  Bytes bytes;
  effect.writeChunk(bytes, false);
  return bytes;
}

// Opens and closes an editor on a window of nothing, as a host does when the user asks for one.
void openEditor(Quorl& effect) {
  static const Mintwerk::EditorDescription description{340, 190, 8, 0xF3A429, "Texture"};
  delete effect.getEditor();
  effect.setEditor(nullptr);
  new Mintwerk::PlugEditVST(&effect, &effect, &description,
                            [](uint32_t, uint32_t, void*) -> Mintwerk::NativeWindow* {
                              return new Mintwerk::FakeNativeWindow;  // closing disposes of it
                            });
  int parent = 0;
  ASSERT_TRUE(effect.getEditor()->open(&parent));
  effect.getEditor()->close();
}

class Defaults : public ::testing::Test {
 protected:
  void SetUp() override { SettingsFolder::removeDefaultsFile("Quorl"); }
  void TearDown() override { SettingsFolder::removeDefaultsFile("Quorl"); }
  const std::string path = SettingsFolder::defaultsFile("Quorl");
  MessageBoxRecorder boxes;
};

TEST_F(Defaults, WithoutFileOrBankANewInstanceStartsFromItsTable) {
  Quorl effect(nullptr);
  for (int32_t p = 0; p < 16; ++p) {
    char name[32];
    effect.getProgramNameIndexed(0, p, name);
    EXPECT_EQ(std::string(name), "Init " + std::to_string(p + 1));
    for (int32_t i = 0; i < 8; ++i)
      EXPECT_EQ(effect.programTable()[p].values[i], QuorlParams::kParamTable[i].defaultValue);
  }
  for (int32_t i = 0; i < 8; ++i)
    EXPECT_EQ(effect.parameters()[i].defaultValue, QuorlParams::kParamTable[i].defaultValue);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Defaults, SavedDefaultsAreWhatEveryNewInstanceStartsWith) {
  {
    Quorl effect(nullptr);
    effect.setProgram(3);
    effect.startLearn(1);
    effect.handleController(static_cast<int16_t>(0xB04A), 51);
    ASSERT_TRUE(effect.saveDefaults());
    EXPECT_EQ(readFile(path), bankOf(effect));
    EXPECT_EQ(effect.parameters()[1].defaultValue, effect.getParameter(1));
  }
  Quorl fresh(nullptr);
  EXPECT_NEAR(fresh.getParameter(1), 51 * 0.007874016f, 1.0 / 64000);
  EXPECT_EQ(fresh.parameters()[1].defaultValue, fresh.getParameter(1));
  EXPECT_EQ(fresh.getMapping(1), static_cast<int16_t>(0xB04A));
  EXPECT_EQ(fresh.getProgram(), 3);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Defaults, SizeLimitAndEmptyFile) {
  Quorl source(nullptr);
  source.setParameter(0, 0.75f);
  Bytes big = bankOf(source);
  ASSERT_EQ(big.size(), 1002u);
  big.resize(1048576, 0);  // padding reads as records setting parameter 0 to 0
  writeFile(path, big);
  {
    Quorl effect(nullptr);
    EXPECT_EQ(effect.getParameter(0), 0.0f);
    EXPECT_TRUE(boxes.shown.empty());  // not even looked at
  }
  big.resize(1048575);
  big[1048574] = 0x00;
  writeFile(path, big);
  {
    Quorl effect(nullptr);
    openEditor(effect);
    ASSERT_EQ(boxes.shown.size(), 1u);  // read: its odd last byte is a cut record
    EXPECT_EQ(boxes.shown[0].text, "Error loading chunk: Chunk appears corrupted.");
    EXPECT_EQ(effect.getParameter(0), 0.0f);
  }
  boxes.shown.clear();
  writeFile(path, Bytes());
  Quorl effect(nullptr);
  openEditor(effect);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Error loading chunk: No header");
}

// A host may make instances where nobody can answer a box (a plug-in scan in a background
// process): a damaged defaults file is told when an editor next opens, once, and the instance
// starts from the factory state with the file left as it was.
TEST_F(Defaults, ADamagedFileIsToldWhenAnEditorOpensNeverWhileTheInstanceIsMade) {
  Quorl source(nullptr);
  source.setProgram(4);
  source.setParameter(QuorlParams::kDrive, 0.6f);
  Bytes damaged = bankOf(source);
  damaged.pop_back();
  writeFile(path, damaged);
  FakeHost host;
  Quorl effect(host.callback());
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(effect.getProgram(), 0);
  for (int32_t i = 0; i < 8; ++i) {
    EXPECT_EQ(effect.getParameter(i), QuorlParams::kParamTable[i].defaultValue) << i;
    EXPECT_EQ(effect.parameters()[i].defaultValue, QuorlParams::kParamTable[i].defaultValue) << i;
  }
  EXPECT_EQ(readFile(path), damaged);
  openEditor(effect);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Error loading chunk: Chunk appears corrupted.");
  EXPECT_EQ(boxes.shown[0].caption, "Quorl error");
  EXPECT_EQ(boxes.shown[0].flags, 0x2010u);
  openEditor(effect);
  EXPECT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(readFile(path), damaged);

  // A file of another plug-in's is not taken, and nobody is asked, then or later.
  boxes.shown.clear();
  Bytes foreign = bankOf(source);
  foreign[9] = 'X';
  writeFile(path, foreign);
  Quorl other(nullptr);
  openEditor(other);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(other.getProgram(), 0);
  EXPECT_EQ(other.getParameter(QuorlParams::kDrive), 0.0f);
}

#if !defined(_WIN32)
// A save while no file may grow past 500 bytes, as a full disk cuts a write short.
bool saveWhileFilesAreSmall(Quorl& effect, std::string* whyNot = nullptr) {
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 500;
  signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  const bool saved = effect.saveDefaults(whyNot);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, SIG_DFL);
  return saved;
}

TEST_F(Defaults, FailedSaveKeepsTheOldFileAndTheOldDefaults) {
  Quorl effect(nullptr);
  ASSERT_TRUE(effect.saveDefaults());
  const Bytes before = readFile(path);
  effect.setParameter(2, 0.9f);
  effect.startLearn(0);
  effect.handleController(static_cast<int16_t>(0xB001), 5);

  // The file system refuses the write halfway.
  const bool saved = saveWhileFilesAreSmall(effect);

  EXPECT_FALSE(saved);
  EXPECT_EQ(readFile(path), before);
  EXPECT_EQ(effect.parameters()[2].defaultValue, 0.5f);
  const std::string folder = path.substr(0, path.rfind('/'));
  FILE* listing = popen(("ls -A '" + folder + "'").c_str(), "r");
  char line[256];
  std::vector<std::string> files;
  while (listing && fgets(line, sizeof line, listing)) files.push_back(line);
  if (listing) pclose(listing);
  EXPECT_EQ(files, (std::vector<std::string>{"Quorl.defaults\n"}));  // no temporary left
}

TEST(DefaultsWithoutFolder, NothingIsWrittenAndNobodyIsAsked) {
  MessageBoxRecorder boxes;
  const std::string saved = getenv("XDG_CONFIG_HOME");
  setenv("XDG_CONFIG_HOME", "/dev/null/quorl", 1);  // below a file: no folder can be made
  Quorl effect(nullptr);
  EXPECT_FALSE(effect.saveDefaults());
  setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  EXPECT_EQ(effect.parameters()[1].defaultValue, 1.0f);
  EXPECT_TRUE(boxes.shown.empty());
}

// A settings folder of the test's own, for what may lie at and around the defaults path.
class DefaultsOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/quorl-disk-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    root = folder;
    savedHome = getenv("XDG_CONFIG_HOME");
    useConfigHome(root + "/config");
    std::filesystem::create_directories(vendorFolder());
  }
  void TearDown() override {
    setenv("XDG_CONFIG_HOME", savedHome.c_str(), 1);
    std::filesystem::remove_all(root);
  }
  void useConfigHome(const std::string& folder) {
    configHome = folder;
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  }
  std::string vendorFolder() const { return configHome + "/Harrowmint"; }
  std::string file() const { return vendorFolder() + "/Quorl.defaults"; }
  static unsigned modeOf(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : ~0u;
  }
  static bool isLink(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
  }
  static std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string root, savedHome, configHome;
  MessageBoxRecorder boxes;
};

// Creating an instance reads the defaults path; nothing there may make it wait, and only a regular
// file is read.
TEST_F(DefaultsOnDisk, ANewInstanceNeverWaitsOnWhatLiesAtThePath) {
  ASSERT_EQ(mkfifo(file().c_str(), 0600), 0);
  std::atomic<bool> created{false};
  float cutoff = -1.0f;
  std::thread creator([&] {
    Quorl effect(nullptr);
    cutoff = effect.getParameter(1);
    created = true;
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!created && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const bool inTime = created;
  // A creator stuck in open() is released by a writer, so that the suite goes on.
  while (!created) {
    const int writer = open(file().c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) close(writer);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  creator.join();
  EXPECT_TRUE(inTime) << "creating an instance waited on a FIFO";
  EXPECT_EQ(cutoff, 1.0f);
  EXPECT_TRUE(boxes.shown.empty());

  // A folder, or a device that reads as an empty file, is no defaults file either.
  std::filesystem::remove(file());
  std::filesystem::create_directory(file());
  { Quorl effect(nullptr); }
  std::filesystem::remove(file());
  std::filesystem::create_symlink("/dev/zero", file());
  { Quorl effect(nullptr); }
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(DefaultsOnDisk, SavingWritesThroughLinksAndKeepsTheFileMode) {
  // Quorl.defaults -> ../../dotfiles/current -> quorl.bank: each relative target is taken from
  // the folder of its own link.
  const std::string dotfiles = root + "/dotfiles";
  std::filesystem::create_directories(dotfiles);
  const std::string real = dotfiles + "/quorl.bank";
  writeFile(real, Bytes{1, 2, 3});
  ASSERT_EQ(chmod(real.c_str(), 0600), 0);
  std::filesystem::create_symlink("quorl.bank", dotfiles + "/current");
  std::filesystem::create_symlink("../../dotfiles/current", file());

  Quorl effect(nullptr);
  effect.setParameter(2, 0.25f);
  ASSERT_TRUE(effect.saveDefaults());
  EXPECT_TRUE(isLink(file()));
  EXPECT_TRUE(isLink(dotfiles + "/current"));
  EXPECT_EQ(readFile(real), bankOf(effect));
  EXPECT_EQ(modeOf(real), 0600u);
  EXPECT_EQ(namesIn(dotfiles), (std::vector<std::string>{"current", "quorl.bank"}));
  EXPECT_EQ(namesIn(vendorFolder()), (std::vector<std::string>{"Quorl.defaults"}));

  // A plain file keeps its mode too.
  std::filesystem::remove(file());
  writeFile(file(), Bytes{1});
  ASSERT_EQ(chmod(file().c_str(), 0640), 0);
  ASSERT_TRUE(effect.saveDefaults());
  EXPECT_EQ(modeOf(file()), 0640u);
  EXPECT_EQ(readFile(file()), bankOf(effect));
}

// A link to a file that does not exist yet creates that file, as writing through a link does
// anywhere; a link into a missing folder, or to something that is not a regular file, is not
// followed and not replaced.
TEST_F(DefaultsOnDisk, SavingThroughDanglingOrOddLinks) {
  const std::string dotfiles = root + "/dotfiles";
  std::filesystem::create_directories(dotfiles);
  std::filesystem::create_symlink(dotfiles + "/quorl.bank", file());
  Quorl effect(nullptr);
  effect.setParameter(0, 0.5f);
  ASSERT_TRUE(effect.saveDefaults());
  EXPECT_TRUE(isLink(file()));
  EXPECT_EQ(readFile(dotfiles + "/quorl.bank"), bankOf(effect));

  effect.setParameter(0, 0.75f);
  const auto refused = [&](const std::string& target) {
    std::filesystem::remove(file());
    std::filesystem::create_symlink(target, file());
    EXPECT_FALSE(effect.saveDefaults()) << target;
    EXPECT_TRUE(isLink(file())) << target;
    EXPECT_EQ(effect.parameters()[0].defaultValue, 0.5f) << target;
  };
  refused(root + "/missing/quorl.bank");
  EXPECT_FALSE(std::filesystem::exists(root + "/missing"));
  ASSERT_EQ(mkfifo((dotfiles + "/pipe").c_str(), 0600), 0);
  refused(dotfiles + "/pipe");
  EXPECT_TRUE(std::filesystem::is_fifo(dotfiles + "/pipe"));
  refused("Quorl.defaults");  // a link to itself
  EXPECT_EQ(namesIn(dotfiles), (std::vector<std::string>{"pipe", "quorl.bank"}));
}

// A defaults file that nobody may write is the user saying no: the save fails as a failed write
// does, and the file keeps its bytes and its mode, also where the path is a link to it. The mode
// bits decide, not access(): a test running as root may write anything.
TEST_F(DefaultsOnDisk, AReadOnlyFileIsLeftAloneAndTheSaveFails) {
  Quorl effect(nullptr);
  ASSERT_TRUE(effect.saveDefaults());
  const Bytes kept = readFile(file());
  ASSERT_EQ(chmod(file().c_str(), 0444), 0);
  effect.setParameter(2, 0.9f);
  EXPECT_FALSE(effect.saveDefaults());
  EXPECT_EQ(readFile(file()), kept);
  EXPECT_EQ(modeOf(file()), 0444u);
  EXPECT_EQ(effect.parameters()[2].defaultValue, 0.5f);
  EXPECT_EQ(namesIn(vendorFolder()), (std::vector<std::string>{"Quorl.defaults"}));

  // Quorl.defaults -> ../../dotfiles/quorl.bank, which only its owner may read.
  const std::string dotfiles = root + "/dotfiles";
  std::filesystem::create_directories(dotfiles);
  const std::string real = dotfiles + "/quorl.bank";
  writeFile(real, kept);
  ASSERT_EQ(chmod(real.c_str(), 0400), 0);
  std::filesystem::remove(file());
  std::filesystem::create_symlink("../../dotfiles/quorl.bank", file());
  EXPECT_FALSE(effect.saveDefaults());
  EXPECT_TRUE(isLink(file()));
  EXPECT_EQ(readFile(real), kept);
  EXPECT_EQ(modeOf(real), 0400u);
  EXPECT_EQ(namesIn(dotfiles), (std::vector<std::string>{"quorl.bank"}));
  EXPECT_EQ(effect.parameters()[2].defaultValue, 0.5f);
  EXPECT_TRUE(boxes.shown.empty());  // no more said than after any failed write

  // Any write bit, even another's, leaves the decision to the file system.
  ASSERT_EQ(chmod(real.c_str(), 0420), 0);
  EXPECT_TRUE(effect.saveDefaults());
  EXPECT_EQ(readFile(real), bankOf(effect));
  EXPECT_EQ(effect.parameters()[2].defaultValue, 0.9f);
}

// A save that fails says which file and why, in the system's words where the system refused:
// a read-only file, a write the file system cuts short (as a full disk does), a folder the user
// may not write in. The old file stays as it was each time.
TEST_F(DefaultsOnDisk, AFailedSaveSaysWhichFileAndWhy) {
  Quorl effect(nullptr);
  ASSERT_TRUE(effect.saveDefaults());
  const Bytes kept = readFile(file());
  effect.setParameter(2, 0.9f);
  std::string whyNot;

  ASSERT_EQ(chmod(file().c_str(), 0444), 0);
  EXPECT_FALSE(effect.saveDefaults(&whyNot));
  EXPECT_EQ(whyNot, file() + ": The file is read-only");
  ASSERT_EQ(chmod(file().c_str(), 0644), 0);

  const bool savedWhileLimited = saveWhileFilesAreSmall(effect, &whyNot);
  EXPECT_FALSE(savedWhileLimited);
  EXPECT_EQ(whyNot, file() + ": " + std::strerror(EFBIG));

  // The folder is its owner's to read only; root writes anywhere, so the save then runs in a
  // child that has given its rights up.
  ASSERT_EQ(chmod(root.c_str(), 0755), 0);
  ASSERT_EQ(chmod(configHome.c_str(), 0755), 0);
  ASSERT_EQ(chmod(vendorFolder().c_str(), 0555), 0);
  int reasons[2];
  ASSERT_EQ(pipe(reasons), 0);
  const pid_t child = fork();
  if (child == 0) {
    close(reasons[0]);
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
    std::string why;
    const bool saved = effect.saveDefaults(&why);
    const ssize_t sent = write(reasons[1], why.data(), why.size());
    _exit(saved || sent != static_cast<ssize_t>(why.size()) ? 1 : 0);
  }
  close(reasons[1]);
  std::string fromChild;
  char part[256];
  for (ssize_t got; (got = read(reasons[0], part, sizeof part)) > 0;) fromChild.append(part, got);
  close(reasons[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_EQ(chmod(vendorFolder().c_str(), 0700), 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(fromChild, file() + ": " + std::strerror(EACCES));

  EXPECT_EQ(readFile(file()), kept);
  EXPECT_EQ(effect.parameters()[2].defaultValue, 0.5f);
  EXPECT_EQ(namesIn(vendorFolder()), (std::vector<std::string>{"Quorl.defaults"}));
}

TEST_F(DefaultsOnDisk, SavingCreatesMissingSettingsFolders) {
  useConfigHome(root + "/new/config");
  Quorl effect(nullptr);
  effect.setParameter(4, 0.5f);
  ASSERT_TRUE(effect.saveDefaults());
  EXPECT_EQ(modeOf(root + "/new"), 0700u);
  EXPECT_EQ(modeOf(configHome), 0700u);
  EXPECT_EQ(modeOf(vendorFolder()), 0700u);
  Quorl fresh(nullptr);
  EXPECT_EQ(fresh.getParameter(4), 0.5f);
  EXPECT_EQ(fresh.parameters()[4].defaultValue, 0.5f);
  EXPECT_TRUE(boxes.shown.empty());
}

// The module carries no factory bank; these supply one the way the module's table would.
class FactoryBank : public Defaults {
 protected:
  Bytes bankFile(const Bytes& chunk) {
    auto be32 = [](Bytes& out, uint32_t v) {
      for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
    };
    Bytes file;
    be32(file, 0x43636E4B);
    be32(file, static_cast<uint32_t>(152 + chunk.size()));
    be32(file, 0x46424368);
    be32(file, 2);
    be32(file, 0xFFFFEB70);
    be32(file, 1);
    be32(file, 16);
    file.resize(156, 0);
    be32(file, static_cast<uint32_t>(chunk.size()));
    file.insert(file.end(), chunk.begin(), chunk.end());
    return file;
  }
  void install(const Bytes& file) {
    resource = file;
    Platform::registerModuleResource("FXB", "FactoryBank", resource.data(), resource.size());
  }
  void TearDown() override {
    Platform::registerModuleResource("FXB", "FactoryBank", nullptr, 0);
    Defaults::TearDown();
  }
  Bytes resource;
};

TEST_F(FactoryBank, ABankInTheModuleIsLoadedIntoEveryNewInstance) {
  Quorl source(nullptr);
  source.setParameter(3, 0.5f);
  char name[] = "Factory One";
  source.setProgramName(name);
  install(bankFile(bankOf(source)));
  Quorl effect(nullptr);
  EXPECT_EQ(effect.getParameter(3), 0.5f);
  char text[32];
  effect.getProgramName(text);
  EXPECT_STREQ(text, "Factory One");
  EXPECT_TRUE(boxes.shown.empty());
}

// The bank the module ships: a new instance starts from its first preset, the user's defaults
// go over it, and "Load factory defaults..." brings every preset back; none of it reaches the
// host as automation while the instance is being made.
TEST_F(FactoryBank, TheShippedPresetsStartEveryInstanceAndComeBack) {
  std::ifstream shipped(QUORL_FACTORY_BANK, std::ios::binary);
  install(Bytes(std::istreambuf_iterator<char>(shipped), {}));
  FakeHost host;
  Quorl effect(host.callback());
  EXPECT_TRUE(host.callsWith(audioMasterAutomate).empty());
  char name[32];
  effect.getProgramName(name);
  EXPECT_STREQ(name, "Open Filter");
  // The first preset is the parameter table itself: a new instance passes audio at unity.
  EXPECT_FLOAT_EQ(effect.getParameter(QuorlParams::kOutput), 0.5f);
  EXPECT_EQ(effect.parameters()[QuorlParams::kOutput].defaultValue, 0.5f);

  effect.setProgram(7);
  effect.getProgramName(name);
  EXPECT_STREQ(name, "Acid Sweep Start");
  EXPECT_FLOAT_EQ(effect.getParameter(QuorlParams::kResonance), 0.85f);
  char mine[] = "Mine";
  effect.setProgramName(mine);
  effect.setParameter(QuorlParams::kResonance, 0.1f);
  effect.setProgram(0);
  effect.loadFactoryBank();
  effect.setProgram(7);
  effect.getProgramName(name);
  EXPECT_STREQ(name, "Acid Sweep Start");
  EXPECT_FLOAT_EQ(effect.getParameter(QuorlParams::kResonance), 0.85f);

  // Saved defaults go over the bank in the next instance.
  effect.setParameter(QuorlParams::kBand, 0.25f);
  ASSERT_TRUE(effect.saveDefaults());
  host.calls.clear();  // the load above was the user's, reported as automation
  Quorl next(host.callback());
  next.getProgramName(name);
  EXPECT_STREQ(name, "Acid Sweep Start");
  EXPECT_FLOAT_EQ(next.getParameter(QuorlParams::kBand), 0.25f);
  EXPECT_TRUE(host.callsWith(audioMasterAutomate).empty());
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(FactoryBank, DamagedBanksAreReportedAndLeaveTheTableValues) {
  Quorl source(nullptr);
  const Bytes good = bankFile(bankOf(source));
  struct Case {
    Bytes file;
    std::string text;
  };
  Bytes badMagic = good, badType = good, shortBytes = good, shortChunk = good, wrapping = good;
  badMagic[0] = 'X';
  badType[11] = 'X';
  shortBytes[7] += 1;  // byte size one past the end
  shortChunk[159] += 1;
  wrapping[156] = wrapping[157] = wrapping[158] = 0xFF;  // chunk size + 160 wraps in 32 bits
  wrapping[159] = 0x60;
  const Case cases[] = {
      {badMagic, "Bad chunk magic in factory bank!"},
      {badType, "Invalid chunk type in factory bank!"},
      {shortBytes, "Truncated or corrupt factory bank!"},
      {shortChunk, "Truncated or corrupt factory bank!"},
      {wrapping, "Truncated or corrupt factory bank!"},
      {Bytes(good.begin(), good.begin() + 100), "Truncated or corrupt factory bank!"},
      {Bytes(2, 'C'), "Bad chunk magic in factory bank!"}};
  for (const Case& c : cases) {
    boxes.shown.clear();
    install(c.file);
    Quorl effect(nullptr);
    EXPECT_TRUE(boxes.shown.empty()) << c.text;
    openEditor(effect);
    ASSERT_EQ(boxes.shown.size(), 1u) << c.text;
    EXPECT_EQ(boxes.shown[0].text, c.text);
    EXPECT_EQ(boxes.shown[0].caption, "Quorl");
    EXPECT_EQ(boxes.shown[0].flags, 0x2010u);
    EXPECT_EQ(effect.programTable()[9].values[1], 1.0f);
  }
}
#endif

#if defined(_WIN32)
// The replacement takes over what the user set on the old file.
TEST_F(Defaults, SavingOverAFileKeepsItsAttributes) {
  Quorl effect(nullptr);
  ASSERT_TRUE(effect.saveDefaults());
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
  effect.setParameter(2, 0.25f);
  ASSERT_TRUE(effect.saveDefaults());
  EXPECT_EQ(readFile(path), bankOf(effect));
  const DWORD attributes = GetFileAttributesA(path.c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN));
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}
#endif

TEST_F(Defaults, LoadingFactoryDefaultsWithoutABankOnlyCopiesTheValuesIntoPrograms) {
  Quorl effect(nullptr);
  effect.setParameter(6, 0.9f);
  effect.startLearn(2);
  effect.handleController(static_cast<int16_t>(0xB010), 64);
  effect.setProgram(4);
  char name[] = "Mine";
  effect.setProgramName(name);
  effect.setParameter(6, 0.8f);
  effect.loadFactoryBank();
  for (int32_t p = 0; p < 16; ++p) EXPECT_EQ(effect.programTable()[p].values[6], 0.8f);
  char text[32];
  effect.getProgramName(text);
  EXPECT_STREQ(text, "Mine");
  EXPECT_EQ(effect.getProgram(), 4);
  EXPECT_EQ(effect.getMapping(2), static_cast<int16_t>(0xB010));
  EXPECT_EQ(effect.parameters()[6].defaultValue, 0.5f);
}

}  // namespace
