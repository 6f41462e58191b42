#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/Printer.h"

namespace qlm {

// Headless printing: each job is laid out on one paper and, when a folder is given, written as
// print-001.pdf, print-002.pdf ... in the order printed. Nobody is asked: a headless run has
// no user, and nothing leaves the machine.
class FolderPrinter : public Printer {
 public:
  explicit FolderPrinter(std::optional<std::filesystem::path> folder, PaperSize paper = {})
      : folder_(std::move(folder)), paper_(std::move(paper)) {}

  PrintOutcome Print(const PrintJob& job) override;

  // The file of job `number` (from 1).
  std::filesystem::path FileOf(int number) const;

 private:
  std::optional<std::filesystem::path> folder_;
  PaperSize paper_;
  int count_ = 0;
};

// Writes a PDF document to a host file, replacing it; false when it cannot be written.
bool WritePdfFile(const std::filesystem::path& path, const std::string& pdf);

}  // namespace qlm
