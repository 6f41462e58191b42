#pragma once

#include <string>

#include "graphics/Font.h"
#include "graphics/Geometry.h"
#include "graphics/Surface.h"
#include "platform/Printer.h"

namespace qlm {

class ScriptRunner;
struct ObjectRecord;

// What the print commands need of the player window. The defaults print nothing.
class PrintHost {
 public:
  virtual ~PrintHost() = default;
  // The frame as it looks with the changes of the running script (`pending`) painted.
  virtual const Surface& PrintFrame(const IntRect& /*pending*/) { return empty_; }
  // Where the object is drawn now.
  virtual IntRect PrintRectOf(const ObjectRecord& object);
  virtual FontCache* PrintFonts() { return nullptr; }
  // A text of the presentation as UTF-8.
  virtual std::string PrintUtf8(const std::string& text) const { return text; }
  // The name of print jobs.
  virtual std::string PrintTitle() const { return "QLM Player"; }
  // Hands a job to the printer; false when nothing was printed.
  virtual bool Print(const PrintJob& /*job*/) { return false; }

 private:
  Surface empty_;
};

// Installs PrintText, PrintPage and PrintRect over `host`.
void RegisterPrintCommands(ScriptRunner& runner, PrintHost& host);

}  // namespace qlm
