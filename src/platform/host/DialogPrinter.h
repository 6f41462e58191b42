#pragma once

#include "platform/Printer.h"

namespace qlm {

class CupsPrinters;
class Dialogs;
class FileSystem;

// Printing on the desktop: the print dialog lists the print service's queues and "Save as
// PDF...", with the copies and the sheets the job takes; choosing is the user's consent, and
// nothing is printed without it. A queue gets the job laid out on its own paper; a PDF is
// saved where the save picker says, through the presentation's file access.
class DialogPrinter : public Printer {
 public:
  static constexpr const char* kSaveAsPdf = "Save as PDF...";

  DialogPrinter(Dialogs& dialogs, FileSystem& files, const CupsPrinters& cups)
      : dialogs_(dialogs), files_(files), cups_(cups) {}

  PrintOutcome Print(const PrintJob& job) override;

 private:
  Dialogs& dialogs_;
  FileSystem& files_;
  const CupsPrinters& cups_;
};

}  // namespace qlm
