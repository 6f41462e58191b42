#include "platform/host/DialogPrinter.h"

#include <map>

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/host/CupsPrinters.h"

namespace qlm {

PrintOutcome DialogPrinter::Print(const PrintJob& job) {
  const std::vector<PrintDestination> queues = cups_.Destinations();
  // Each paper is asked of the queue and laid out once.
  std::map<int, PaperSize> papers;
  std::map<int, PrintedDocument> documents;
  const int saveIndex = static_cast<int>(queues.size());
  const auto paperOf = [&](int index) -> const PaperSize& {
    auto it = papers.find(index);
    if (it == papers.end()) {
      it = papers
               .emplace(index,
                        index < saveIndex ? cups_.PaperOf(queues[size_t(index)].name) : PaperSize{})
               .first;
    }
    return it->second;
  };
  const auto documentFor = [&](int index) -> const PrintedDocument& {
    auto it = documents.find(index);
    if (it == documents.end())
      it = documents.emplace(index, job.layout(paperOf(index))).first;
    return it->second;
  };

  PrintDialogRequest request;
  for (const PrintDestination& queue : queues)
    request.destinations.push_back(queue.description.empty() || queue.description == queue.name
                                       ? queue.name
                                       : queue.name + " (" + queue.description + ")");
  request.destinations.push_back(kSaveAsPdf);
  request.copies = job.copies;
  request.pagesOf = [&](int index) {
    return index >= 0 && index <= saveIndex ? documentFor(index).pages : 0;
  };
  const std::optional<PrintChoice> choice = dialogs_.ChoosePrint(request);
  PrintOutcome outcome;
  if (!choice || choice->destination < 0 || choice->destination > saveIndex)
    return outcome;
  const PrintedDocument& document = documentFor(choice->destination);
  if (document.pages == 0) {
    outcome.error = "the job could not be laid out";
    return outcome;
  }
  outcome.pages = document.pages;

  if (choice->destination == saveIndex) {
    dialogs_.SetNextFileTitle("Save as PDF");
    const std::optional<std::string> chosen =
        dialogs_.ChooseFile(FileDialogMode::kSave, "PDF files (*.pdf)|*.pdf|", job.title + ".pdf");
    if (!chosen)
      return outcome;
    // A PDF saves one copy: copies are for paper.
    if (!files_.WriteFile(*chosen, document.pdf)) {
      outcome.error = "cannot write " + *chosen;
      return outcome;
    }
    outcome.file = files_.HostFileToRead(*chosen).value_or(files_.ToHost(*chosen)).string();
    outcome.printed = true;
    return outcome;
  }
  outcome.printed = cups_.Submit(queues[size_t(choice->destination)].name, document.pdf, job.title,
                                 choice->copies, outcome.error);
  return outcome;
}

}  // namespace qlm
