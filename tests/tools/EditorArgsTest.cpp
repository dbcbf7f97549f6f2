// What `vsthost editor` takes on the command line, the order its timed actions run in, and its
// refusal on a platform without the editor window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CommandLine.h"
#include "EditorArgs.h"

namespace {

using ::testing::HasSubstr;
using Kind = EditorAction::Kind;

bool parse(std::vector<std::string> args, EditorOptions& options, std::string& error) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  bool help = false;
  return parseEditorArgs(static_cast<int>(argv.size()), argv.data(), options, help, error);
}

TEST(HostEditorArgs, TakesEveryInputScreenshotAndOption) {
  EditorOptions options;
  std::string error;
  ASSERT_TRUE(parse({"q.dll",
                     "--seconds",
                     "2.5",
                     "--screenshot",
                     "a.png",
                     "--at",
                     "500",
                     "--click",
                     "10,20",
                     "--drag",
                     "1,2:-30,40@700",
                     "--wheel",
                     "5,6:-3@1",
                     "--right-click",
                     "7,8@2500",
                     "--screenshot",
                     "end.png",
                     "--answer-menu",
                     "2",
                     "--param",
                     "cutoff=0.5",
                     "--preset",
                     "p.fxp",
                     "--any-id",
                     "--idle-ms",
                     "20",
                     "--real-input"},
                    options, error))
      << error;
  EXPECT_EQ(options.module, "q.dll");
  EXPECT_TRUE(options.haveSeconds);
  EXPECT_EQ(options.seconds, 2.5);
  EXPECT_EQ(options.answerMenu, 2);
  EXPECT_EQ(options.preset, "p.fxp");
  EXPECT_TRUE(options.anyId);
  EXPECT_EQ(options.idleMs, 20);
  EXPECT_TRUE(options.realInput);
  ASSERT_EQ(options.params.size(), 1u);
  EXPECT_EQ(options.params[0].param.text, "cutoff");

  const std::vector<EditorAction>& a = options.actions;
  ASSERT_EQ(a.size(), 6u);
  EXPECT_EQ(a[0].kind, Kind::screenshot);
  EXPECT_EQ(a[0].file, "a.png");
  EXPECT_EQ(a[0].atMs, 500);
  EXPECT_EQ(a[1].text, "click 10,20@0");
  EXPECT_EQ(a[2].kind, Kind::drag);
  EXPECT_EQ((std::vector<int>{a[2].x, a[2].y, a[2].dx, a[2].dy}),
            (std::vector<int>{1, 2, -30, 40}));
  EXPECT_EQ(a[2].atMs, 700);
  EXPECT_EQ(a[3].notches, -3);
  EXPECT_EQ(a[3].text, "wheel 5,6:-3@1");
  EXPECT_EQ(a[4].kind, Kind::rightClick);
  EXPECT_EQ(a[4].atMs, 2500);  // the last moment of the run is still inside it
  EXPECT_EQ(a[5].atMs, kAtEnd);
}

TEST(HostEditorArgs, TakesDoubleClicksHostSetsMidiAndMenuItems) {
  EditorOptions options;
  std::string error;
  ASSERT_TRUE(parse({"q.dll", "--double-click", "50,40@900", "--set", "cutoff=0.2@100", "--set",
                     "3=1", "--midi", "B0,4A,40@1200", "--right-click", "1,2:0@5", "--right-click",
                     "1,2:3", "--right-click", "1,2"},
                    options, error))
      << error;
  const std::vector<EditorAction>& a = options.actions;
  ASSERT_EQ(a.size(), 7u);
  EXPECT_EQ(a[0].kind, Kind::doubleClick);
  EXPECT_EQ((std::vector<int>{a[0].x, a[0].y}), (std::vector<int>{50, 40}));
  EXPECT_EQ(a[0].text, "double-click 50,40@900");
  EXPECT_EQ(a[1].kind, Kind::set);
  EXPECT_EQ(a[1].change.param.text, "cutoff");
  EXPECT_EQ(a[1].change.value, 0.2);
  EXPECT_EQ(a[1].atMs, 100);
  EXPECT_EQ(a[2].change.param.text, "3");
  EXPECT_EQ(a[2].atMs, 0);
  EXPECT_EQ(a[3].kind, Kind::midi);
  EXPECT_EQ((std::vector<int>{a[3].midi[0], a[3].midi[1], a[3].midi[2]}),
            (std::vector<int>{0xB0, 0x4A, 0x40}));
  EXPECT_EQ(a[3].atMs, 1200);
  EXPECT_EQ(a[3].text, "midi B0,4A,40@1200");
  // A right click may answer its own menu; without an item --answer-menu decides.
  EXPECT_EQ((std::vector<int>{a[4].menuItem, a[5].menuItem, a[6].menuItem}),
            (std::vector<int>{0, 3, -1}));
}

TEST(HostEditorArgs, ScaleGoesBeforeTheOpenOrToTheOpenEditorAndResizesMayBeRefused) {
  EditorOptions options;
  std::string error;
  ASSERT_TRUE(
      parse({"q.dll", "--scale", "2", "--scale", "1.5@300", "--refuse-resize", "--scale", "3@400"},
            options, error))
      << error;
  EXPECT_EQ(options.scale, 2);
  EXPECT_TRUE(options.refuseResize);
  ASSERT_EQ(options.actions.size(), 2u);
  EXPECT_EQ(options.actions[0].kind, Kind::scale);
  EXPECT_EQ(options.actions[0].factor, 1.5);
  EXPECT_EQ(options.actions[0].atMs, 300);
  EXPECT_EQ(options.actions[0].text, "scale 1.5@300");
  EXPECT_EQ(options.actions[1].factor, 3);
}

TEST(HostEditorArgs, TimedActionsRunByTimeThenAsWrittenAndEndShotsWait) {
  EditorOptions options;
  std::string error;
  ASSERT_TRUE(
      parse({"q.dll", "--click", "1,1@300", "--screenshot", "end.png", "--click", "2,2",
             "--screenshot", "s.png", "--at", "300", "--click", "3,3@300", "--wheel", "4,4:1@100"},
            options, error))
      << error;
  std::vector<std::string> order;
  for (const EditorAction& action : timedActions(options))
    order.push_back(action.kind == Kind::screenshot ? action.file : action.text);
  EXPECT_EQ(order, (std::vector<std::string>{"click 2,2@0", "wheel 4,4:1@100", "click 1,1@300",
                                             "s.png", "click 3,3@300"}));
}

TEST(HostEditorArgs, RefusesMalformedValuesAndTimesPastTheEnd) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"--seconds", "1"}, "needs a MODULE"},
      {{"q.dll", "--at", "5"}, "right after --screenshot"},
      {{"q.dll", "--screenshot", "a.png", "--at", "5", "--at", "6"}, "right after --screenshot"},
      {{"q.dll", "--click", "1,2", "--at", "5"}, "right after --screenshot"},
      {{"q.dll", "--seconds", "1", "--click", "1,2@1001"}, "click at 1001 ms comes after"},
      {{"q.dll", "--screenshot", "a.png", "--at", "2000", "--seconds", "1.5"},
       "screenshot at 2000"},
      {{"q.dll", "--click", "1"}, "--click needs X,Y[@MS]"},
      {{"q.dll", "--click", "-1,2"}, "--click needs"},
      {{"q.dll", "--click", "1,2:3,4"}, "--click needs"},
      {{"q.dll", "--click", "1,2@"}, "--click needs"},
      {{"q.dll", "--click", "1,32768"}, "--click needs"},
      {{"q.dll", "--drag", "1,2"}, "--drag needs X,Y:DX,DY[@MS]"},
      {{"q.dll", "--drag", "1,2:3"}, "--drag needs"},
      {{"q.dll", "--wheel", "1,2:274"}, "--wheel needs X,Y:NOTCHES[@MS]"},
      {{"q.dll", "--wheel", "1,2:1,1"}, "--wheel needs"},
      {{"q.dll", "--right-click", "1,2@x"}, "--right-click needs"},
      {{"q.dll", "--right-click", "1,2:-1"}, "--right-click needs X,Y[:ITEM][@MS]"},
      {{"q.dll", "--double-click", "1,2:3"}, "--double-click needs X,Y[@MS]"},
      {{"q.dll", "--set", "cutoff@5"}, "--set needs P=V[@MS]"},
      {{"q.dll", "--set", "cutoff=x"}, "--set needs"},
      {{"q.dll", "--midi", "40,4A,40"}, "--midi needs S,D1,D2"},
      {{"q.dll", "--midi", "B0,4A"}, "--midi needs"},
      {{"q.dll", "--seconds", "1", "--midi", "90,3C,7F@1001"}, "midi at 1001 ms comes after"},
      {{"q.dll", "--scale", "0.5"}, "--scale needs a factor from 1 to 3"},
      {{"q.dll", "--scale", "3.01"}, "--scale needs a factor from 1 to 3"},
      {{"q.dll", "--scale", "nan"}, "--scale needs"},
      {{"q.dll", "--scale", "2@x"}, "--scale needs"},
      {{"q.dll", "--seconds", "1", "--scale", "2@1001"}, "scale at 1001 ms comes after"},
      {{"q.dll", "--seconds", "0"}, "bad value '0' for --seconds"},
      {{"q.dll", "--seconds", "inf"}, "bad value"},
      {{"q.dll", "--answer-menu", "0"}, "bad value '0' for --answer-menu"},
      {{"q.dll", "--idle-ms", "0"}, "bad value '0' for --idle-ms"},
      {{"q.dll", "--idle-ms", "10001"}, "bad value"},
      {{"q.dll", "--screenshot"}, "--screenshot needs a value"},
      {{"q.dll", "--zoom", "2"}, "unknown option '--zoom'"},
      {{"q.dll", "r.dll"}, "unexpected argument 'r.dll'"},
  };
  for (const auto& c : cases) {
    EditorOptions options;
    std::string error;
    EXPECT_FALSE(parse(c.args, options, error)) << c.args.back();
    EXPECT_THAT(error, HasSubstr(c.message)) << c.args.back();
  }
}

TEST_F(HostCommandLine, EditorIsListedAndNeedsADisplay) {
  EXPECT_EQ(run("--help"), 0);
  EXPECT_THAT(out_, HasSubstr("  editor MODULE [--seconds S]"));
  EXPECT_EQ(
      run("editor " TEST_PLUGIN " --seconds 1 --screenshot " + path("a.png"), "env -u DISPLAY"), 1);
  EXPECT_EQ(err_,
            "vsthost: no window for the editor here (on Linux: no X display; is DISPLAY set?)\n");
  EXPECT_EQ(out_, "");
  EXPECT_EQ(run("editor " TEST_PLUGIN " --click 1"), 1);
  EXPECT_THAT(err_, HasSubstr("--click needs X,Y[@MS]"));
}

}  // namespace
