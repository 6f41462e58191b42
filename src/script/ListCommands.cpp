// The commands of list objects: filling, deleting, selecting, moving and sorting their rows,
// reading them into variables or the song list, and their display parameters.
#include <string_view>

#include "expr/ExpressionEvaluator.h"
#include "platform/FileSystem.h"
#include "script/CommandHelpers.h"
#include "script/ListBoxControl.h"
#include "script/ScriptHost.h"
#include "script/ScriptText.h"

namespace qlm {

namespace {

constexpr std::string_view kSongList = "<List>";

// The list control of the statement's object; null when there is none or arg2 is empty, and
// the command then does nothing.
ListBoxControl* ListOf(CommandContext& context) {
  if (!context.object || context.object->typeCode != kObjListBox || context.statement.arg2.empty())
    return nullptr;
  return context.Lists().ListBoxOf(*context.object);
}

void Redraw(CommandContext& context) {
  MarkRect(context.dirtyRect, context.object->rect, 1);
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool IsFile(SystemHost& system, const std::string& path) {
  const FileSystem* files = system.Files();
  if (!files || Trim(path).empty())
    return false;
  return files->IsFile(path);
}

// "<List>n": entry n of the song list, or every entry when n is below 1 or missing.
void AddSongListEntries(CommandContext& context, ListBoxControl& list, const std::string& rest) {
  ListHost& lists = context.Lists();
  const int64_t n = Trim(rest).empty() ? 0 : EvaluateInteger(context, rest);
  if (n >= 1) {
    if (std::optional<std::string> entry = lists.SongListEntry(n))
      list.AddFile(*entry);
    return;
  }
  for (int64_t k = 1; std::optional<std::string> entry = lists.SongListEntry(k); ++k)
    list.AddFile(*entry);
}

// "Name$[]": Name$[1], Name$[2] ... up to the first element that does not exist.
void AddArrayElements(CommandContext& context, ListBoxControl& list, const std::string& name) {
  for (int64_t i = 1;; ++i) {
    const std::string element = name + "$[" + std::to_string(i) + "]";
    std::string value = Expand(context, element);
    if (value == element)
      return;
    list.AddText(std::move(value));
  }
}

// The text cut at each separator; a separator at the very end adds no empty row.
void AddSplitText(ListBoxControl& list, const std::string& text, char separator) {
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find(separator, start);
    if (end == std::string::npos) {
      list.AddText(text.substr(start));
      return;
    }
    list.AddText(text.substr(start, end - start));
    start = end + 1;
  }
}

CommandResult AddItem(CommandContext& context) {
  ListBoxControl* list = ListOf(context);
  if (!list)
    return CommandResult::kContinue;
  SystemHost& system = context.System();
  const std::string items = system.ExpandPathMacros(context.statement.arg2);
  if (items.starts_with("RESET")) {
    list->Clear();
  } else if (items.starts_with("RANDOMIZE")) {
    // Shuffling belongs to ListBoxSortItems.
  } else if (items.starts_with(kSongList)) {
    AddSongListEntries(context, *list, items.substr(kSongList.size()));
  } else if (items.ends_with("[]$") || items.ends_with("$[]")) {
    AddArrayElements(context, *list, items.substr(0, items.size() - 3));
  } else {
    const size_t comma = items.find(',');
    if (comma != std::string::npos && comma > 0 && items[comma - 1] == '$' &&
        comma + 1 < items.size()) {
      // "Text$,;": the variable's text cut at the first character after the comma.
      AddSplitText(*list, Expand(context, items.substr(0, comma)), items[comma + 1]);
    } else {
      const std::string text = system.ExpandPathMacros(Expand(context, items));
      static constexpr std::string_view kString = "STRING:";
      if (IsFile(system, text))
        list->AddFile(text);
      else if (text.starts_with(kString))
        list->AddText(text.substr(kString.size()));
      else
        list->AddText(text);
    }
  }
  Redraw(context);
  return CommandResult::kContinue;
}

// Delete, Select, Deselect and Move take an item number from 1, or -1; others do nothing.
template <bool (ListBoxControl::*Operation)(int64_t)>
CommandResult NumberedItem(CommandContext& context) {
  ListBoxControl* list = ListOf(context);
  if (!list)
    return CommandResult::kContinue;
  const int64_t n = EvaluateInteger(context, context.statement.arg2);
  if (n != ListBoxControl::kAll && n < 1)
    return CommandResult::kContinue;
  if ((list->*Operation)(n))
    Redraw(context);
  return CommandResult::kContinue;
}

CommandResult SortItems(CommandContext& context) {
  ListBoxControl* list = ListOf(context);
  if (!list)
    return CommandResult::kContinue;
  const std::string mode = context.System().ExpandPathMacros(context.statement.arg2);
  if (mode.starts_with("RANDOMIZE"))
    list->Shuffle(context.host.Evaluator().Random());
  else if (mode.starts_with("NAME"))
    list->Sort(ListBoxControl::kByName);
  else if (mode.starts_with("TIME"))
    list->Sort(ListBoxControl::kByTime);
  else if (mode.starts_with("VALUE"))
    list->Sort(ListBoxControl::kByValue);
  else if (mode.starts_with("REVERSE"))
    list->Sort(ListBoxControl::kReverse);
  else
    return CommandResult::kContinue;
  Redraw(context);
  return CommandResult::kContinue;
}

// "<List>": the items' paths join the song list. Otherwise "Text$,Paths$,separator,Count":
// the texts, the paths and the number of the items.
template <bool SelectedOnly>
CommandResult GetItems(CommandContext& context) {
  ListBoxControl* list = ListOf(context);
  if (!list)
    return CommandResult::kContinue;
  ScriptHost& host = context.host;
  SystemHost& system = context.System();
  ListHost& lists = context.Lists();
  const std::string target = Expand(context, context.statement.arg2);
  if (target.starts_with(kSongList)) {
    // Each path is taken as it is: joining the paths with "#" and cutting them again would
    // break a path that holds a "#".
    std::vector<std::string> entries;
    for (const ListBoxItem& item : list->Items()) {
      if (!SelectedOnly || item.selected)
        entries.push_back(system.ExpandPathMacros(item.path));
    }
    if (!entries.empty())
      lists.AppendToSongList(entries);
    return CommandResult::kContinue;
  }
  const std::vector<std::string> pieces = SplitList(target, 4);
  auto piece = [&](size_t i) { return i < pieces.size() ? pieces[i] : std::string(); };
  const std::string separator = piece(2);
  const ListBoxJoin join = list->Join(separator.empty() ? ',' : separator[0], SelectedOnly);
  ExpressionEvaluator& evaluator = host.Evaluator();
  const std::string texts(Trim(piece(0)));
  if (texts.ends_with('$'))
    evaluator.SetText(evaluator.NormalizeName(texts), join.texts);
  const std::string paths(Trim(piece(1)));
  if (!paths.empty())
    evaluator.SetText(evaluator.NormalizeName(paths), join.paths);
  const std::string count(Trim(piece(3)));
  if (!count.empty())
    evaluator.SetNumber(evaluator.NormalizeName(count), static_cast<double>(join.count));
  return CommandResult::kContinue;
}

CommandResult Param(CommandContext& context) {
  ListBoxControl* list = ListOf(context);
  if (!list)
    return CommandResult::kContinue;
  const std::string& argument = context.statement.arg2;
  const size_t equals = argument.find('=');
  const std::string keyword =
      LowerAscii(std::string(Trim(Expand(context, argument.substr(0, equals)))));
  const std::string value =
      equals == std::string::npos ? std::string() : Expand(context, argument.substr(equals + 1));
  // Only the end of the whole text switches on or off.
  const std::string whole = LowerAscii(std::string(TrimRight(Expand(context, argument))));
  const bool endsOn = whole.ends_with("on");
  if (keyword == "drag&drop")
    list->dragDrop = !whole.ends_with("off");
  else if (keyword == "numbers")
    list->hideNumbers = !endsOn;
  else if (keyword == "times")
    list->hideTimes = !endsOn;
  else if (keyword == "idtags")
    list->readTags = endsOn;
  else if (keyword == "mpegaccurate")
    list->preciseTiming = endsOn;
  else if (keyword == "background")
    list->background = ReadColour(context, value);
  else if (keyword == "text")
    list->textColour = ReadColour(context, value);
  Redraw(context);
  return CommandResult::kContinue;
}

}  // namespace

void RegisterListCommands(ScriptRunner& runner) {
  runner.SetHandler(CommandCode::kListBoxAddItem, AddItem);
  runner.SetHandler(CommandCode::kListBoxDeleteItem, NumberedItem<&ListBoxControl::Delete>);
  runner.SetHandler(CommandCode::kListBoxSelectItem, NumberedItem<&ListBoxControl::Select>);
  runner.SetHandler(CommandCode::kListBoxDeselectItem, NumberedItem<&ListBoxControl::Deselect>);
  runner.SetHandler(CommandCode::kListBoxMoveItem, NumberedItem<&ListBoxControl::Move>);
  runner.SetHandler(CommandCode::kListBoxSortItems, SortItems);
  runner.SetHandler(CommandCode::kListBoxGetItems, GetItems<false>);
  runner.SetHandler(CommandCode::kListBoxGetSelectedItems, GetItems<true>);
  runner.SetHandler(CommandCode::kListBoxParam, Param);
}

}  // namespace qlm
