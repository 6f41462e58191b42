#include "tools/ToolInput.h"

#include <memory>
#include <optional>
#include <stdexcept>

#include "document/LoadContext.h"
#include "document/StandaloneContainer.h"
#include "platform/Dialogs.h"
#include "platform/host/HostFiles.h"
#include "tools/StandaloneFile.h"

namespace qlm {

namespace {

// Keeps the reader's message boxes as lines for the tool's error output.
class CollectingDialogs : public Dialogs {
 public:
  explicit CollectingDialogs(std::vector<std::string>& messages) : messages_(messages) {}
  int MessageBox(const std::string& text, const std::string&, uint32_t) override {
    messages_.push_back(text);
    return idb::kOk;
  }

 private:
  std::vector<std::string>& messages_;
};

}  // namespace

ToolInput ReadToolInput(const std::filesystem::path& path) {
  ToolInput input;
  StandaloneReadResult container = ReadStandaloneContainer(path);
  switch (container.status) {
    case StandaloneStatus::kOk: {
      const StandaloneContainer& c = *container.container;
      input.document = c.Project();
      input.standalone = true;
      input.oneInstance = c.oneInstance;
      input.identifier = c.identifier;
      std::error_code error;
      input.fileBytes = std::filesystem::file_size(path, error);
      input.playerBytes = input.fileBytes - StandaloneContainer::kTrailerSize - c.block.size();
      return input;
    }
    case StandaloneStatus::kTooShort:
    case StandaloneStatus::kNoTrailer:
      break;  // a plain document
    default:
      throw std::runtime_error(container.message);
  }
  std::string error;
  const std::unique_ptr<ReadableFile> file = OpenReadableFile(path, error);
  if (!file)
    throw std::runtime_error("Cannot Open " + path.string() + "\n" + error);
  std::optional<SharedBytes> view = file->ViewWhole();
  if (!view)
    throw std::runtime_error("Cannot Open " + path.string() + "\nread error");
  input.document = std::move(*view);
  input.fileBytes = input.document.size();
  return input;
}

Project LoadToolProject(const ToolInput& input, const std::string& sourceName,
                        std::vector<std::string>& messages, const CodePage* codePage,
                        ToolPictures pictures) {
  CollectingDialogs dialogs(messages);
  LoadContext ctx(dialogs);
  if (pictures == ToolPictures::kPacked)
    ctx.pictures = std::make_shared<PictureStore>();
  ctx.codePage = codePage;
  ctx.sourceName = sourceName;
  LoadResult result = LoadProjectFromMemory(input.document, ctx);
  if (result.Ok()) {
    return std::move(result.project);
  }
  std::string why = messages.empty() ? "the project could not be read" : messages.back();
  if (result.status == LoadStatus::NothingToLoad) {
    why = "the document holds an empty secure layer: there is nothing to show";
  }
  throw std::runtime_error(why);
}

}  // namespace qlm
