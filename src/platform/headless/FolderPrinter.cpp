#include "platform/headless/FolderPrinter.h"

#include <array>
#include <cstdio>
#include <fstream>

namespace qlm {

bool WritePdfFile(const std::filesystem::path& path, const std::string& pdf) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(pdf.data(), static_cast<std::streamsize>(pdf.size()));
  return static_cast<bool>(out.flush());
}

std::filesystem::path FolderPrinter::FileOf(int number) const {
  std::array<char, 32> name{};
  std::snprintf(name.data(), name.size(), "print-%03d.pdf", number);
  return folder_.value_or(std::filesystem::path()) / name.data();
}

PrintOutcome FolderPrinter::Print(const PrintJob& job) {
  PrintOutcome outcome;
  const PrintedDocument document = job.layout(paper_);
  if (document.pages == 0) {
    outcome.error = "the job could not be laid out";
    return outcome;
  }
  outcome.pages = document.pages;
  if (folder_) {
    const std::filesystem::path file = FileOf(++count_);
    if (!WritePdfFile(file, document.pdf)) {
      outcome.error = "cannot write " + file.string();
      return outcome;
    }
    outcome.file = file.string();
  }
  outcome.printed = true;
  return outcome;
}

}  // namespace qlm
