#include <utility>

#include "player/AnimatedGifs.h"
#include "script/ScriptRunner.h"

namespace qlm {

void RegisterAnimationCommands(ScriptRunner& runner, AnimatedGifs& gifs) {
  AnimatedGifs* g = &gifs;
  using Action = void (AnimatedGifs::*)(const ObjectRecord&);
  const std::pair<CommandCode, Action> rows[] = {{CommandCode::kAGifPlay, &AnimatedGifs::Play},
                                                 {CommandCode::kAGifStop, &AnimatedGifs::Stop},
                                                 {CommandCode::kAGifReset, &AnimatedGifs::Reset}};
  for (const auto& row : rows) {
    const Action action = row.second;
    runner.SetHandler(row.first, [g, action](CommandContext& context) {
      if (context.object)
        (g->*action)(*context.object);
      return CommandResult::kContinue;
    });
  }
}

}  // namespace qlm
