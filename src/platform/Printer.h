#pragma once

#include <functional>
#include <string>

#include "graphics/PrintLayout.h"

namespace qlm {

// What a presentation asks to print. The job is laid out only once the paper is known: the
// printer calls `layout` with the paper of the destination the user chose (again when the choice
// changes the paper).
struct PrintJob {
  std::string what;   // "text", "page", "rect" or "browser"
  std::string title;  // UTF-8: the job's name in the queue and the proposed file name
  int copies = 1;     // proposed; the user may change it
  std::function<PrintedDocument(const PaperSize&)> layout;
};

// Where a print job went.
struct PrintOutcome {
  bool printed = false;
  int pages = 0;      // sheets of one copy
  std::string file;   // a PDF file that was written for the job, when there is one (host path)
  std::string error;  // why nothing was printed, when it was not cancelled by the user
};

// The machine's printing service. Nothing is printed without the user's consent where a user
// can be asked; headless runs keep the jobs as files or only report them.
class Printer {
 public:
  virtual ~Printer() = default;
  virtual PrintOutcome Print(const PrintJob& job) = 0;
};

}  // namespace qlm
