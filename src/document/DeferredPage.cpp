#include "document/DeferredPage.h"

#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "document/ArchiveError.h"
#include "document/ArchiveReader.h"
#include "document/ArchiveWriter.h"
#include "document/DocumentMessages.h"
#include "document/LoadContext.h"
#include "document/PageRecord.h"
#include "document/SilentDialogs.h"

namespace qlm {

bool ReadDeferredPage(PageRecord& page, Dialogs* dialogs) {
  if (!page.deferred)
    return true;
  const std::shared_ptr<const DeferredPage> deferred = std::move(page.deferred);
  page.deferred.reset();
  SilentDialogs silent;
  Dialogs& shown = dialogs ? *dialogs : silent;
  std::string failure;
  if (!deferred->record.StillBacked()) {
    failure = msg::kCorrupted;
  } else {
    LoadContext ctx(shown);
    ctx.version = deferred->version;
    ctx.codePage = deferred->codePage;
    ctx.profileFont = deferred->profileFont;
    ctx.pictures = deferred->pictures;
    ArchiveReader reader(deferred->record);
    reader.SetCodePage(deferred->codePage);
    try {
      page = ReadPageRecord(reader, ctx);
      return true;
    } catch (const LoadAbandoned& e) {
      failure = e.what();
    } catch (const ArchiveError&) {
      failure = msg::kCorrupted;
    } catch (const std::bad_alloc&) {
      failure = msg::kOutOfMemory;
    } catch (const std::exception&) {
      failure = msg::kCorrupted;  // anything else a damaged record may raise
    }
  }
  std::string name = std::move(page.name);
  page = PageRecord{};
  page.name = std::move(name);
  shown.Message(failure);
  return false;
}

void WriteDeferredPage(ArchiveWriter& writer, const DeferredPage& page, int32_t version) {
  if (version != page.version)
    throw std::invalid_argument("an unread page can only be written at the version it was read");
  if (!page.record.StillBacked())
    throw std::runtime_error("the document of an unread page has been cut short");
  writer.WriteBytes(page.record.Span());
}

}  // namespace qlm
