#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "InputFixture.h"
#include "media/MediaSession.h"
#include "media/SpeechSession.h"
#include "media/VideoObjects.h"
#include "player/AnimatedGifs.h"
#include "player/BrowserObjects.h"
#include "player/PrintCommands.h"
#include "player/ProgramObjects.h"
#include "plugins/PluginHosts.h"
#include "script/CommandHelpers.h"
#include "script/CommandTable.h"
#include "support/NoVideoHost.h"

namespace qlm {
namespace {

std::string Describe(const ScriptCommand& row) {
  return std::string(row.name) + " (" + std::to_string(StoredCode(row.code)) + ")";
}

// The runner of a fully assembled player window: every row that names a group has a handler,
// and no row that is marked to have no effect, or that the statement loop answers itself, has
// one (it would never run, or run where the table says nothing happens).
TEST(CommandRegistry, EveryRowIsHandledOnAnAssembledPlayerOrMarked) {
  test::InputPlayer player(test::Pages({"One"}));
  const ScriptRunner& runner = player.window->Runner();
  for (const ScriptCommand& row : CommandTable()) {
    const bool handled = runner.HasHandler(row.code);
    switch (row.group) {
      case CommandGroup::kNoEffect:
        EXPECT_FALSE(handled) << Describe(row) << " is marked \"" << row.noEffectReason
                              << "\" but has a handler";
        break;
      case CommandGroup::kExecutor:
        EXPECT_FALSE(handled) << Describe(row) << " is answered by the statement loop";
        break;
      default:
        EXPECT_TRUE(handled) << Describe(row) << " names a group but has no handler";
        break;
    }
  }
}

// Each group installs exactly the rows that name it, so a row's group says where its handler
// lives.
TEST(CommandRegistry, EachGroupInstallsExactlyTheRowsThatNameIt) {
  test::InputPlayer player(test::Pages({"One"}));
  MediaSession media(player.loop, nullptr, &player.context.files);
  test::NoVideoHost videoHost;
  VideoObjects videos(player.loop, nullptr, &player.context.files, player.dialogs, videoHost);
  SpeechSession speech(nullptr, player.context.codePage, {});
  PluginHosts plugins;
  ObjectStates states;
  AnimatedGifs gifs(player.loop, player.window->Pages(), states, {}, {});
  BrowserHost browserHost;
  BrowserObjects browsers(player.loop, nullptr, browserHost);
  PrintHost printHost;
  struct NoProgramHost : ProgramHost {
    std::unique_ptr<RunningProgram> Start(const ObjectRecord&) override { return nullptr; }
    IntRect RectOf(const ObjectRecord&) override { return {}; }
    bool Shown(const ObjectRecord&) override { return false; }
  } programHost;
  ProgramObjects programs(player.loop, nullptr, programHost);
  using G = CommandGroup;
  const std::map<G, std::function<void(ScriptRunner&)>> installers = {
      {G::kObject, RegisterObjectCommands},
      {G::kPage, RegisterPageCommands},
      {G::kWindow, RegisterWindowCommands},
      {G::kTimer, RegisterTimerCommands},
      {G::kScript, RegisterScriptCommands},
      {G::kMessage, RegisterMessageCommands},
      {G::kMessageEx, RegisterMessageExCommands},
      {G::kSystem, RegisterSystemCommands},
      {G::kPlacement, RegisterPlacementCommands},
      {G::kText, RegisterTextCommands},
      {G::kDialog, RegisterDialogCommands},
      {G::kFile, RegisterFileCommands},
      {G::kList, RegisterListCommands},
      {G::kParam, RegisterParamCommands},
      {G::kCreate, RegisterCreateCommands},
      {G::kMatrix, RegisterMatrixCommands},
      {G::kImageView, RegisterImageViewCommands},
      {G::kMedia, [&](ScriptRunner& r) { RegisterMediaCommands(r, media); }},
      {G::kVideo, [&](ScriptRunner& r) { RegisterVideoCommands(r, videos); }},
      {G::kSpeech, [&](ScriptRunner& r) { RegisterSpeechCommands(r, speech); }},
      {G::kPlugin, [&](ScriptRunner& r) { RegisterPluginCommands(r, plugins); }},
      {G::kAnimation, [&](ScriptRunner& r) { RegisterAnimationCommands(r, gifs); }},
      {G::kBrowser, [&](ScriptRunner& r) { RegisterBrowserCommands(r, browsers); }},
      {G::kPrint, [&](ScriptRunner& r) { RegisterPrintCommands(r, printHost); }},
      {G::kProgram, [&](ScriptRunner& r) { RegisterProgramCommands(r, programs); }},
  };
  for (const ScriptCommand& row : CommandTable()) {
    if (row.group != G::kNoEffect && row.group != G::kExecutor) {
      EXPECT_TRUE(installers.contains(row.group)) << Describe(row) << ": group not listed here";
    }
  }
  for (const auto& [group, install] : installers) {
    SCOPED_TRACE("group " + std::to_string(static_cast<int>(group)));
    ScriptRunner runner(player.window->Runner().Roles());
    install(runner);
    for (const ScriptCommand& row : CommandTable()) {
      const bool named = row.group == group;
      EXPECT_EQ(runner.HasHandler(row.code), named)
          << Describe(row)
          << (named ? " is not installed by the group it names"
                    : " is installed by a group it does not name");
    }
  }
}

}  // namespace
}  // namespace qlm
