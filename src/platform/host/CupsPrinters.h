#pragma once

#include <string>
#include <vector>

#include "graphics/PrintLayout.h"

namespace qlm {

// A print queue of the machine's print service.
struct PrintDestination {
  std::string name;         // the queue's name
  std::string description;  // what the queue says of itself (UTF-8), may be empty
  bool isDefault = false;
};

// The machine's print service through libcups: the queues the scheduler knows (CUPS_SERVER and
// the client configuration say which scheduler), their paper, and sending PDF jobs. Each call
// asks the scheduler and waits for its answer.
class CupsPrinters {
 public:
  // The queues, the default one first; empty when no scheduler answers.
  std::vector<PrintDestination> Destinations() const;
  // The queue's default paper and the margins it cannot print, or A4 with half-inch margins
  // when the queue does not say.
  PaperSize PaperOf(const std::string& name) const;
  // Sends a PDF document as one job of `copies` copies named `title`; false with the reason in
  // `error` when the scheduler did not take it.
  bool Submit(const std::string& name, const std::string& pdf, const std::string& title, int copies,
              std::string& error) const;
};

}  // namespace qlm
