#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "document/PageManager.h"
#include "expr/ExpressionEvaluator.h"
#include "platform/EventLoop.h"
#include "script/CommandHelpers.h"
#include "script/FindObject.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {

// Kind 10 has no drawing of its own and keeps its size when moved.
constexpr int32_t kFixedSizeKind = 10;
constexpr int32_t kDefaultSteps = 100;
constexpr double kQuarterTurn = 1.570796327;
// A step of MoveTo lasts until more than this many milliseconds have passed.
constexpr uint64_t kStepMs = 5;

// The identity order of a list of `n` objects.
std::vector<size_t> Unchanged(size_t n) {
  std::vector<size_t> order(n);
  std::iota(order.begin(), order.end(), size_t{0});
  return order;
}

CommandResult MoveObject(CommandContext& context) {
  ObjectRecord* object = context.object;
  if (!object)
    return CommandResult::kContinue;
  const std::vector<std::string> pieces = SplitList(Expand(context, context.statement.arg2), 4);
  if (pieces.size() != 2 && pieces.size() != 4)
    return CommandResult::kContinue;
  int32_t v[4] = {};
  for (size_t i = 0; i < pieces.size(); ++i)
    v[i] = EvaluateInteger(context, pieces[i]);
  MarkRect(context.dirtyRect, object->rect, 1);
  IntRect moved = MovedRect(object->rect, v[0], v[1]);
  const bool resize = pieces.size() == 4 && object->typeCode != kFixedSizeKind;
  if (resize)
    moved = MovedRect({0, 0, v[2], v[3]}, v[0], v[1]);
  auto size = [](const IntRect& r) {
    return std::pair{int64_t{r.right} - r.left, int64_t{r.bottom} - r.top};
  };
  const bool resized = size(moved) != size(object->rect);
  object->rect = moved;
  MarkRect(context.dirtyRect, object->rect, 1);
  if (PageRecord* page = PageOf(context.host.PageManager(), object))
    context.Objects().ObjectMoved(*page, *object, resized);
  return CommandResult::kContinue;
}

// How far along the way step k of `steps` is, in steps.
int64_t EasedStep(int64_t k, int64_t steps, const std::string& mode) {
  const double n = static_cast<double>(steps);
  const double angle = static_cast<double>(k) * kQuarterTurn / n;
  if (mode == "EASYTO")
    return static_cast<int64_t>(std::trunc(std::sin(angle) * n));
  if (mode == "EASYFROM")
    return static_cast<int64_t>(std::trunc(n - std::cos(angle) * n));
  return k;
}

// Animated move: each step places the corner, marks the object, waits a little with the
// window's messages flowing and repaints what moved. Scripts that run meanwhile may delete or
// move the object, so it is looked up again after every wait.
CommandResult MoveTo(CommandContext& context) {
  if (!context.object)
    return CommandResult::kContinue;
  const std::vector<std::string> pieces = SplitList(Expand(context, context.statement.arg2), 4);
  if (pieces.size() < 2)
    return CommandResult::kContinue;
  const int64_t x = EvaluateInteger(context, pieces[0]);
  const int64_t y = EvaluateInteger(context, pieces[1]);
  int64_t steps = kDefaultSteps;
  if (pieces.size() >= 3 && !Trim(pieces[2]).empty())
    steps = EvaluateInteger(context, pieces[2]);
  if (steps == 0)
    steps = kDefaultSteps;
  const std::string mode = pieces.size() >= 4 ? AsciiUpper(Trim(pieces[3])) : std::string();

  ScriptHost& host = context.host;
  ObjectHost& objects = context.Objects();
  ScriptRunner& runner = context.runner;
  CPageManager& pages = host.PageManager();
  const std::string name = Expand(context, context.statement.arg1);
  auto find = [&]() { return FindObject(pages, host.Evaluator().Variables(), name).object; };
  auto place = [&](ObjectRecord& object, int64_t left, int64_t top) {
    object.rect = MovedRect(object.rect, left, top);
    MarkRect(context.dirtyRect, object.rect, 1);
    if (PageRecord* page = PageOf(pages, &object))
      objects.ObjectMoved(*page, object, false);
  };
  auto repaint = [&] {
    if (!context.dirtyRect.Empty())
      host.Invalidate(context.dirtyRect, true);
  };

  ObjectRecord* object = context.object;
  const int64_t x0 = object->rect.left;
  const int64_t y0 = object->rect.top;
  const double dx = static_cast<double>(x - x0) / static_cast<double>(steps);
  const double dy = static_cast<double>(y - y0) / static_cast<double>(steps);
  // Where the object starts must be repainted too.
  MarkRect(context.dirtyRect, object->rect, 1);
  EventLoop& loop = host.Loop();
  for (int64_t k = 1; k <= steps; ++k) {
    const double s = static_cast<double>(EasedStep(k, steps, mode));
    place(*object, x0 + static_cast<int64_t>(std::trunc(s * dx)),
          y0 + static_cast<int64_t>(std::trunc(s * dy)));
    const uint64_t start = loop.TickCount();
    while (loop.TickCount() - start <= kStepMs) {
      if (runner.StopFlag() || !runner.WaitMessages(start + kStepMs + 1))
        return CommandResult::kEndFalse;
    }
    repaint();
    object = find();
    if (!object)
      return CommandResult::kContinue;
  }
  place(*object, x, y);
  repaint();
  return CommandResult::kContinue;
}

CommandResult ReorderObject(CommandContext& context) {
  ObjectRecord* object = context.object;
  if (!object)
    return CommandResult::kContinue;
  PageRecord* page = PageOf(context.host.PageManager(), object);
  if (!page)
    return CommandResult::kContinue;
  const std::vector<std::string> pieces = SplitList(Expand(context, context.statement.arg2), 1);
  const std::string keyword = pieces.empty() ? std::string() : AsciiUpper(pieces[0]);
  const size_t from = static_cast<size_t>(object - page->objects.data());
  const size_t last = page->objects.size() - 1;
  size_t to = from;
  if (keyword == "FRONT")
    to = last;
  else if (keyword == "BACK")
    to = 0;
  else if (keyword == "FORWARD")
    to = std::min(from + 1, last);
  else if (keyword == "BACKWARD")
    to = from > 0 ? from - 1 : 0;
  else
    return CommandResult::kContinue;

  MarkRect(context.dirtyRect, object->rect, 1);
  if (to != from) {
    context.Objects().EditObjectList(*page, [from, to](std::vector<ObjectRecord>& objects) {
      std::vector<size_t> order = Unchanged(objects.size());
      const auto f = static_cast<std::ptrdiff_t>(from);
      const auto t = static_cast<std::ptrdiff_t>(to);
      if (from < to) {
        std::rotate(objects.begin() + f, objects.begin() + f + 1, objects.begin() + t + 1);
        std::rotate(order.begin() + f, order.begin() + f + 1, order.begin() + t + 1);
      } else {
        std::rotate(objects.begin() + t, objects.begin() + f, objects.begin() + f + 1);
        std::rotate(order.begin() + t, order.begin() + f, order.begin() + f + 1);
      }
      return order;
    });
  }
  ObjectRecord& moved = page->objects[to];
  MarkRect(context.dirtyRect, moved.rect, 1);
  context.Objects().ObjectMoved(*page, moved, false);
  return CommandResult::kContinue;
}

// The deletion waits for the window's message loop: the running script keeps the object for
// the rest of its step, and nothing holds a reference into the list when it shrinks.
CommandResult DeleteObject(CommandContext& context) {
  ObjectRecord* object = context.object;
  if (!object)
    return CommandResult::kContinue;
  CPageManager& pages = context.host.PageManager();
  PageRecord* page = PageOf(pages, object);
  if (!page)
    return CommandResult::kContinue;
  WindowMessage message{script_message::kDeleteObject, 0, 0, {page->name, object->name}};
  if (page == &pages.MasterPage()) {
    message.wParam = 1;
  } else if (page == &pages.MasterLayer()) {
    message.wParam = 2;
  } else {
    message.lParam = static_cast<int64_t>(*pages.FindPageNode(page));
  }
  context.host.Loop().PostMessage(std::move(message));
  return CommandResult::kContinue;
}

// The page a deferred request names, if the project still has it.
PageRecord* RequestedPage(CPageManager& pages, const WindowMessage& message) {
  if (message.wParam == 1)
    return &pages.MasterPage();
  if (message.wParam == 2)
    return &pages.MasterLayer();
  auto& list = pages.Pages();
  if (message.lParam >= 0 && static_cast<size_t>(message.lParam) < list.size() &&
      list[static_cast<size_t>(message.lParam)].name == message.texts[0]) {
    return &list[static_cast<size_t>(message.lParam)];
  }
  return nullptr;
}

}  // namespace

bool HandleScriptMessage(ScriptHost& host, ObjectHost& objectHost, const WindowMessage& message) {
  if (message.id != script_message::kDeleteObject)
    return false;
  if (message.texts.size() < 2)
    return true;
  PageRecord* page = RequestedPage(host.PageManager(), message);
  if (!page)
    return true;
  ObjectRecord* object = CPageManager::FindObjectOnPage(*page, message.texts[1]);
  if (!object)
    return true;
  const size_t index = static_cast<size_t>(object - page->objects.data());
  const IntRect rect = object->rect;
  objectHost.EditObjectList(*page, [index](std::vector<ObjectRecord>& objects) {
    objects.erase(objects.begin() + static_cast<std::ptrdiff_t>(index));
    std::vector<size_t> order = Unchanged(objects.size() + 1);
    order.erase(order.begin() + static_cast<std::ptrdiff_t>(index));
    return order;
  });
  host.Invalidate({rect.left - 1, rect.top - 1, rect.right + 1, rect.bottom + 1}, true);
  return true;
}

void RegisterPlacementCommands(ScriptRunner& runner) {
  runner.SetHandler(CommandCode::kMoveObject, MoveObject);
  runner.SetHandler(CommandCode::kMoveTo, MoveTo);
  runner.SetHandler(CommandCode::kReorderObject, ReorderObject);
  runner.SetHandler(CommandCode::kDeleteObject, DeleteObject);
}

}  // namespace qlm
